#pragma once
#include "link/serialdevice.h"
#include "platform/clock.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

// A serial device for link tests: records what the program writes and delivers scripted
// bytes when the current clock reaches their time.
class ScriptedDevice : public tarvex::SerialDevice {
  public:
    struct Shared {
        std::vector<unsigned char> written;
        std::deque<std::pair<std::int64_t, unsigned char>> inbound; // (due time, byte)
        bool vanished = false;
        std::int64_t vanishesAt = INT64_MAX; // clock time at which the cable is pulled
        bool Gone() const { return vanished || tarvex::CurrentClock().NowMs() >= vanishesAt; }
        int baud = 0;
    };

    explicit ScriptedDevice(std::shared_ptr<Shared> shared, int baud)
        : m_shared(std::move(shared)) {
        m_shared->baud = baud;
    }
    int WriteByte(unsigned char byte, int) override {
        if (m_shared->Gone())
            return -1;
        m_shared->written.push_back(byte);
        return 1;
    }
    int Pending() override {
        if (m_shared->Gone())
            return -1;
        const std::int64_t now = tarvex::CurrentClock().NowMs();
        int n = 0;
        for (const auto& [due, byte] : m_shared->inbound) {
            if (due > now)
                break;
            ++n;
        }
        return n;
    }
    int Read(unsigned char* buffer, int limit) override {
        const int n = std::min(limit, Pending());
        for (int i = 0; i < n; ++i) {
            buffer[i] = m_shared->inbound.front().second;
            m_shared->inbound.pop_front();
        }
        return n;
    }
    int Baud() const override { return m_shared->baud; }

  private:
    std::shared_ptr<Shared> m_shared;
};
