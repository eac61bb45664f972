// Runs every input of the folders given through a fuzz target twice, first in name order and then
// in the reverse order, and requires each to leave the program showing the same either way: one
// program serves all inputs, so an input must never see what the one before it left. The first
// input of the first pass and the last of the second each run on the program just built.
#include "shell.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

QStringList g_shown;

void Run(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    g_shown.clear();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int folder = 1; folder < argc; ++folder) {
        for (const fs::directory_entry& entry : fs::directory_iterator(argv[folder])) {
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    LLVMFuzzerInitialize(&argc, &argv);
    fuzz::Input::inspect = [](const fuzz::Shell& shell) { g_shown = shell.ShownTexts(); };
    std::map<fs::path, QStringList> forward;
    for (const fs::path& path : inputs) {
        Run(path);
        forward[path] = g_shown;
    }
    int differ = 0;
    for (auto path = inputs.rbegin(); path != inputs.rend(); ++path) {
        Run(*path);
        if (g_shown == forward[*path])
            continue;
        ++differ;
        std::fprintf(stderr, "%s shows otherwise after another input:\n", path->c_str());
        const QStringList& before = forward[*path];
        for (qsizetype i = 0; i < std::max(before.size(), g_shown.size()); ++i) {
            if (before.value(i) != g_shown.value(i))
                std::fprintf(stderr, "  %s\n  %s\n", qPrintable(before.value(i)),
                             qPrintable(g_shown.value(i)));
        }
    }
    std::printf("%zu inputs in both orders, %d shown otherwise\n", inputs.size(), differ);
    return differ == 0 && !inputs.empty() ? 0 : 1;
}
