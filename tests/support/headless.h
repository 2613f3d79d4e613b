// Test support: a headless platform for one test, and small waiting and
// pumping helpers.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/headless/headless_backend.h"
#include "platform/system.h"
#include "platform/window.h"

namespace testing_support {

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string err;
        ASSERT_TRUE(plat::initialize(plat::BackendKind::Headless, &err)) << err;
    }
    void TearDown() override { plat::shutdown(); }
};

// Serves the calling thread's messages until its queue is empty.
inline void pumpUntilIdle() {
    plat::Message m;
    while (plat::peekMessage(m, true)) plat::dispatchMessage(m);
}

// Polls `pred` (pumping the calling thread) until it holds or time runs out.
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000, bool pump = false) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (pump) pumpUntilIdle();
        if (pred()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return pred();
}

// A plain top-level window class for tests; procedure records nothing.
inline plat::Window makeWindow(const char* cls, plat::Rect r, unsigned style = plat::kVisible | plat::kCaption,
                               plat::WindowProc proc = nullptr) {
    plat::registerClass(cls, proc ? proc : plat::defaultWindowProc, 0, 0x808080);
    plat::CreateParams p;
    p.className = cls;
    p.title = cls;
    p.style = style;
    p.x = r.left;
    p.y = r.top;
    p.width = r.width();
    p.height = r.height();
    return plat::createWindow(p);
}

}  // namespace testing_support
