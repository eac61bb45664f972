#pragma once
#include "app/mainfrm.h"
#include "app/tarvexapp.h"
#include "controls/ltree.h"
#include "controls/mytabctrl.h"
#include "devicelink.h"
#include "platform/msgboxrecorder.h"
#include "platform/virtualclock.h"
#include "rxbuffer.h"
#include "support/scripteddevice.h"

#include <gtest/gtest.h>

#include <QSettings>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The real main window on the virtual clock, with COM1 opened on a scripted device.
class ShellFixture : public ::testing::Test {
  protected:
    using Bytes = std::vector<unsigned char>;

    void SetUp() override {
        QSettings("tarvex", "tarvex").clear(); // a fresh configuration for every test
        tarvex::SetSerialOpener([this](const std::string& name, int baud) {
            opened.emplace_back(name, baud);
            std::unique_ptr<tarvex::SerialDevice> device;
            if (!missingPorts.count(name) && !shared->Gone())
                device = std::make_unique<ScriptedDevice>(shared, baud);
            return device;
        });
        app = std::make_unique<CTarvexApp>();
        ASSERT_TRUE(app->InitInstance());
        frame = app->m_pMainWnd;
        link = app->m_pLink;
    }
    void TearDown() override {
        app.reset();
        tarvex::SetSerialOpener(nullptr);
    }

    // Bytes the instrument sends, arriving afterMs from now.
    void Arrive(const Bytes& bytes, int afterMs = 0) {
        for (unsigned char b : bytes)
            shared->inbound.emplace_back(clock.NowMs() + afterMs, b);
    }
    // Hands a block to the dispatcher as ReadReply would.
    void Dispatch(const Bytes& block) {
        std::memcpy(g_RxBuf, block.data(), block.size());
        g_RxBuf[block.size()] = 0;
        g_RxLen = static_cast<std::int16_t>(block.size());
        frame->OnDeviceReply({g_RxBuf, static_cast<std::size_t>(g_RxLen)});
    }
    Bytes TakeWritten() {
        Bytes w = shared->written;
        shared->written.clear();
        return w;
    }
    // The frames written since the last call, split at their AA 55 starts.
    std::vector<Bytes> WrittenFrames() {
        std::vector<Bytes> frames;
        for (unsigned char b : TakeWritten()) {
            if (b == 0xAA || frames.empty())
                frames.emplace_back();
            frames.back().push_back(b);
        }
        return frames;
    }
    void Handshake() {
        Dispatch({0x55, 0xAA, 0xD0, 0xFD, 0xFA});
        boxes.clear();
        shared->written.clear();
    }

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    tarvex::MessageBoxRecorder boxes;
    std::shared_ptr<ScriptedDevice::Shared> shared = std::make_shared<ScriptedDevice::Shared>();
    std::vector<std::pair<std::string, int>> opened;
    std::set<std::string> missingPorts;
    std::unique_ptr<CTarvexApp> app;
    CMainFrame* frame = nullptr;
    CDeviceLink* link = nullptr;
};
