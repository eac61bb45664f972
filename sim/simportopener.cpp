#include "simportopener.h"

#include "simserialdevice.h"

#include <mutex>

namespace sim {

struct ScopedSimPort::Shared {
    Engine* engine = nullptr;
    std::string portName;
    mutable std::mutex mutex;
    bool available = true;
    std::vector<Request> requests;
    std::vector<std::uint8_t> written;
    SimSerialDevice* device = nullptr;
};

namespace {

// "\\.\COM10" -> "COM10"
std::string Plain(const std::string& name) {
    const std::string prefix = "\\\\.\\";
    return name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name;
}

} // namespace

ScopedSimPort::ScopedSimPort(Engine& engine, std::string portName)
    : m_shared(std::make_shared<Shared>()), m_previous(tarvex::CurrentSerialOpener()) {
    m_shared->engine = &engine;
    m_shared->portName = Plain(portName);
    std::weak_ptr<Shared> weak = m_shared;
    tarvex::SetSerialOpener(
        [weak](const std::string& name, int baud) -> std::unique_ptr<tarvex::SerialDevice> {
            std::shared_ptr<Shared> shared = weak.lock();
            if (!shared)
                return nullptr;
            std::lock_guard lock(shared->mutex);
            const bool ok = shared->available && Plain(name) == shared->portName;
            shared->requests.push_back({name, baud, ok});
            if (!ok)
                return nullptr;
            auto device = std::make_unique<SimSerialDevice>(*shared->engine, baud);
            SimSerialDevice* raw = device.get();
            device->SetObserver(
                [weak](std::uint8_t byte) {
                    if (auto s = weak.lock()) {
                        std::lock_guard l(s->mutex);
                        s->written.push_back(byte);
                    }
                },
                [weak, raw]() {
                    if (auto s = weak.lock()) {
                        std::lock_guard l(s->mutex);
                        if (s->device == raw)
                            s->device = nullptr;
                    }
                });
            shared->device = raw;
            return device;
        });
}

ScopedSimPort::~ScopedSimPort() {
    tarvex::SetSerialOpener(m_previous);
}

void ScopedSimPort::SetAvailable(bool available) {
    std::lock_guard lock(m_shared->mutex);
    m_shared->available = available;
}

std::vector<ScopedSimPort::Request> ScopedSimPort::Requests() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->requests;
}

SimSerialDevice* ScopedSimPort::Device() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->device;
}

std::vector<std::uint8_t> ScopedSimPort::Written() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->written;
}

void ScopedSimPort::ClearWritten() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->written.clear();
}

} // namespace sim
