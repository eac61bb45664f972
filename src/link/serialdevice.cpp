#include "serialdevice.h"

#include "comname.h"
#include "termiosdevice.h"

namespace tarvex {
namespace {

std::unique_ptr<SerialDevice> OpenTermios(const std::string& name, int baud) {
    return TermiosDevice::Open(ResolveComDevice(name), baud);
}

SerialOpener& Installed() {
    static SerialOpener opener = OpenTermios;
    return opener;
}

} // namespace

SerialOpener& CurrentSerialOpener() {
    return Installed();
}

void SetSerialOpener(SerialOpener opener) {
    Installed() = opener ? std::move(opener) : SerialOpener(OpenTermios);
}

} // namespace tarvex
