#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "support/headless.h"

using namespace plat;
using testing_support::HeadlessTest;
using testing_support::pumpUntilIdle;
using testing_support::waitUntil;

namespace {

constexpr Msg kRecord = Msg(int(Msg::User) + 1);
constexpr Msg kAsk = Msg(int(Msg::User) + 2);
constexpr Msg kAskBack = Msg(int(Msg::User) + 3);

std::mutex g_m;
std::vector<int> g_seen;
std::vector<std::thread::id> g_threads;
Window g_other;

LResult recorder(Window w, Msg m, WParam wp, LParam lp) {
    if (m == kRecord || m == kAsk || m == kAskBack) {
        std::lock_guard lock(g_m);
        g_seen.push_back(int(wp));
        g_threads.push_back(std::this_thread::get_id());
    }
    if (m == kAsk) return LResult(wp * 2);
    // Sends back to the asking thread's window while that thread waits.
    if (m == kAskBack) return sendMessage(g_other, kAsk, wp + 1) + 1;
    return defaultWindowProc(w, m, wp, lp);
}

// A window on its own thread, pumped until `stop`.
struct OwnerThread {
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> window{0};
    std::thread::id id;
    std::thread t;
    OwnerThread() {
        t = std::thread([this] {
            id = std::this_thread::get_id();
            window = testing_support::makeWindow("rec", {0, 0, 50, 50}, 0, recorder).id;
            while (!stop) {
                pumpUntilIdle();
                waitMessage(5);
            }
            endThread();
        });
        waitUntil([this] { return window.load() != 0; });
    }
    ~OwnerThread() {
        stop = true;
        t.join();
    }
};

class MessageQueue : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        g_seen.clear();
        g_threads.clear();
    }
};

}  // namespace

TEST_F(MessageQueue, PostsKeepTheirOrderAcrossThreads) {
    OwnerThread owner;
    const Window w{owner.window};
    std::thread a([&] {
        for (int i = 0; i < 100; ++i) postMessage(w, kRecord, WParam(i));
    });
    a.join();
    for (int i = 100; i < 200; ++i) postMessage(w, kRecord, WParam(i));
    ASSERT_TRUE(waitUntil([] {
        std::lock_guard lock(g_m);
        return g_seen.size() == 200;
    }));
    for (int i = 0; i < 200; ++i) EXPECT_EQ(g_seen[size_t(i)], i);
    for (auto id : g_threads) EXPECT_EQ(id, owner.id);  // never on the poster's thread
}

TEST_F(MessageQueue, CrossThreadSendBlocksAndReturnsTheResult) {
    OwnerThread owner;
    EXPECT_EQ(sendMessage(Window{owner.window}, kAsk, 21), 42);
    std::lock_guard lock(g_m);
    ASSERT_EQ(g_threads.size(), 1u);
    EXPECT_EQ(g_threads[0], owner.id);
}

TEST_F(MessageQueue, SenderServesSendsAimedAtItselfWhileWaiting) {
    g_other = testing_support::makeWindow("mine", {0, 0, 50, 50}, 0, recorder);
    OwnerThread owner;
    // The owner's procedure sends back to our window before it answers.
    EXPECT_EQ(sendMessage(Window{owner.window}, kAskBack, 10), (10 + 1) * 2 + 1);
    std::lock_guard lock(g_m);
    ASSERT_EQ(g_threads.size(), 2u);
    EXPECT_EQ(g_threads[0], owner.id);
    EXPECT_EQ(g_threads[1], std::this_thread::get_id());
}

TEST_F(MessageQueue, SendToAWindowDestroyedMeanwhileReturns) {
    std::atomic<bool> go{false};
    std::atomic<uint32_t> win{0};
    std::thread t([&] {
        win = testing_support::makeWindow("rec2", {0, 0, 20, 20}, 0, recorder).id;
        while (!go) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        destroyWindow(Window{win});  // never pumps the pending send
        endThread();
    });
    waitUntil([&] { return win.load() != 0; });
    go = true;
    EXPECT_EQ(sendMessage(Window{win}, kAsk, 1), 0);
    t.join();
}

TEST_F(MessageQueue, QuitEndsGetMessageAndPaintsComeWhenIdle) {
    const Window w = testing_support::makeWindow("paint", {0, 0, 40, 40}, kVisible, recorder);
    pumpUntilIdle();
    Message m;
    EXPECT_FALSE(peekMessage(m));
    const Rect part{5, 5, 10, 10};
    invalidate(w, &part);
    postMessage(w, kRecord, 7);
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.msg, kRecord);  // posted first, paint when the queue is empty
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.msg, Msg::Paint);
    dispatchMessage(m);
    EXPECT_FALSE(peekMessage(m));
    postQuitMessage(3);
    EXPECT_FALSE(getMessage(m));
    EXPECT_EQ(m.msg, Msg::Quit);
    EXPECT_EQ(m.wParam, 3u);
}
