#include "systempaths.h"

namespace tarvex {
namespace {
SystemPaths g_paths;
}

const SystemPaths& CurrentSystemPaths() {
    return g_paths;
}
void SetSystemPaths(const SystemPaths& paths) {
    g_paths = paths;
}

} // namespace tarvex
