// Runs WinMain on its own thread (the program's main thread) against the
// headless backend, with a test application.
#pragma once

#include <atomic>
#include <thread>

#include "frame/frame.h"
#include "support/headless.h"

namespace spine {

inline std::atomic<int> setupCalls{0}, mainCalls{0}, closeCalls{0};
inline std::atomic<bool> setupStarts{true};
inline std::atomic<int> mainMode{0};  // 0: wait until Stop; 1: one 300 ms wait, result kept
inline std::atomic<int> waitResult{-1};
inline std::thread::id closeThread;

inline void Setup() {
    ++setupCalls;
    if (setupStarts) startRequested = 1;
}

inline void Main() {
    ++mainCalls;
    if (mainMode == 1) {
        waitResult = WaitMilliseconds(300);
        return;
    }
    while (WaitMilliseconds(5) == 0) {
    }
}

inline void CloseCameras() {
    ++closeCalls;
    closeThread = std::this_thread::get_id();
}

class SpineTest : public testing_support::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        setupCalls = mainCalls = closeCalls = 0;
        setupStarts = true;
        mainMode = 0;
        waitResult = -1;
        frameHooks() = FrameHooks{};
        frameHooks().closeCameras = CloseCameras;
        SetApplication(spine::Setup, spine::Main);
    }
    void TearDown() override {
        if (main_.joinable()) {
            if (plat::isWindow(frame().mainWindow)) plat::headless::key('X');
            main_.join();
        }
        HeadlessTest::TearDown();
    }
    // Starts the program and waits until its main window has settled.
    void start() {
        main_ = std::thread([this] {
            mainThread_ = std::this_thread::get_id();
            result_ = WinMain();
            plat::endThread();
            finished_ = true;
        });
        ASSERT_TRUE(testing_support::waitUntil(
            [] { return plat::windowText(frame().statusControl).find("bit color") != std::string::npos; },
            10000));
    }
    int finish() {
        EXPECT_TRUE(testing_support::waitUntil([this] { return finished_.load(); }, 10000));
        main_.join();
        return result_;
    }
    std::thread main_;
    std::thread::id mainThread_;
    std::atomic<int> result_{-1};
    std::atomic<bool> finished_{false};
};

}  // namespace spine
