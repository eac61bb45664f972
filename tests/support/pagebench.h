#pragma once
#include "devicelink.h"
#include "platform/msgboxrecorder.h"
#include "platform/virtualclock.h"
#include "replydecoders.h"
#include "res/tarvexres.h"
#include "sim/engine.h"
#include "sim/simportopener.h"
#include "state/appstate.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The frames of what the program wrote, split at AA 55 (an F2/F3 frame keeps its trailing 00).
inline std::vector<Bytes> SplitFrames(const Bytes& written) {
    std::vector<Bytes> frames;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (i + 1 < written.size() && written[i] == 0xAA && written[i + 1] == 0x55)
            frames.emplace_back();
        if (!frames.empty())
            frames.back().push_back(written[i]);
    }
    return frames;
}

// A page under test with everything it talks to: the application object, a link opened on the
// simulated instrument (handshake flag already set, so guarded commands go out), the virtual
// clock and the message-box recorder. Replies the instrument sends are read but go nowhere;
// tests of the result handlers call them directly, and the end-to-end tests use the main frame.
class PageBench {
  public:
    PageBench() {
        tarvex::InitResources();
        app.m_pLink = new CDeviceLink(&target); // the application object deletes it
        app.m_pLink->Open(1, 9600);
        app.m_pLink->m_bConnected = 1;
    }

    // Every frame the program wrote.
    std::vector<Bytes> Frames() const { return SplitFrames(port.Written()); }

    // Milliseconds between the instrument's receiving the first frame of command `first` and
    // the first of `second`; nullopt when either never came.
    std::optional<std::int64_t> GapMs(std::uint8_t first, std::uint8_t second) const {
        std::optional<std::int64_t> a, b;
        for (const sim::LogEntry& entry : engine.Log()) {
            if (entry.kind != sim::LogEntry::Kind::Received)
                continue;
            if (entry.code == first && !a)
                a = entry.timeMs;
            else if (entry.code == second && a && !b)
                b = entry.timeMs;
        }
        if (!a || !b)
            return std::nullopt;
        return *b - *a;
    }

    // Clicks the start button of a page as the operator would (the main frame enables it
    // after the handshake).
    static void Start(QWidget* page) {
        auto* button = page->findChild<QPushButton*>("id1013");
        button->setEnabled(true);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    static void Type(QWidget* page, const char* entryName, const QString& text) {
        auto* entry = page->findChild<QLineEdit*>(entryName);
        entry->clear();
        QTest::keyClicks(entry, text);
    }

    class NullTarget : public CReplyTarget {
      public:
        long OnDeviceReply(std::span<const unsigned char>) override { return 0; }
    };

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    sim::Engine engine;
    sim::ScopedSimPort port{engine};
    tarvex::MessageBoxRecorder boxes;
    NullTarget target;
    CAppState app;
};

// The first `length` bytes of a payload (all of them when length < 0), as the decoders take
// the bytes that arrived.
inline tarvex::ReplyBytes Arrived(const Bytes& payload, int length = -1) {
    return tarvex::ReplyBytes(payload).first(length < 0 ? payload.size() : std::size_t(length));
}

// The frame AA 55 command payload 0D 0A.
inline Bytes Frame(std::uint8_t command, Bytes payload) {
    Bytes frame{0xAA, 0x55, command};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x0D);
    frame.push_back(0x0A);
    return frame;
}
