// The program's spine through the headless screen: start-up, the main
// window, the worker thread's flows, instance numbers, exit.
#include <gtest/gtest.h>

#include "frame/spine_support.h"
#include "platform/decorations.h"
#include "platform/keys.h"
#include "platform/surface.h"

using namespace spine;
using plat::headless::key;
using testing_support::waitUntil;

TEST_F(SpineTest, MainWindowSettlesAtTheBottomCentreAndIsDrawn) {
    start();
    const plat::Window w = frame().mainWindow;
    // 248 x 80 outer; dropped 55 pixels from y = 1004 + 20 - 80 - 55 onto the bottom edge.
    EXPECT_EQ(plat::windowRect(w), (plat::Rect{516, 944, 764, 1024}));
    EXPECT_EQ(plat::windowText(w), kFrameworkBanner);
    EXPECT_EQ(frame().instanceNumber, 0);
    EXPECT_EQ(plat::className(w), "orvant_mw0");
    EXPECT_EQ(plat::windowText(frame().statusControl), std::string(12, ' ') + "32-bit color");
    ASSERT_TRUE(waitUntil([] { return mainCalls == 1; }));  // the set-up asked for a run
    EXPECT_EQ(setupCalls, 1);

    ASSERT_TRUE(plat::headless::screenshot(::testing::TempDir() + "main_window.png"));
    auto screen = plat::headless::screen();
    auto darkIn = [&](plat::Rect r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += screen->colorAt(x, y) < 0x404040;
        return n;
    };
    EXPECT_EQ(screen->colorAt(530, 950), plat::kActiveCaption);  // caption
    EXPECT_GT(darkIn({522, 970, 740, 986}), 40);                  // menu bar texts
    EXPECT_GT(darkIn({560, 994, 700, 1012}), 30);                 // status text
    EXPECT_EQ(darkIn({700, 994, 755, 1012}), 0);                  // nothing right of it

    key('X');
    EXPECT_EQ(finish(), 0);
}

TEST_F(SpineTest, StartTwiceRunsOnceStopWhileIdleDoesNotCutTheNextRun) {
    setupStarts = false;
    start();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(mainCalls, 0);
    key('S');
    ASSERT_TRUE(waitUntil([] { return running == 1; }));
    key('S');
    key('S');
    key('C');
    ASSERT_TRUE(waitUntil([] { return running == 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(mainCalls, 1);
    EXPECT_EQ(startRequested, 0);

    mainMode = 1;
    key('C');  // Stop while idle
    key('S');
    ASSERT_TRUE(waitUntil([] { return waitResult != -1; }));
    EXPECT_EQ(waitResult, 0);  // the run was not stopped at once
    EXPECT_EQ(mainCalls, 2);
    key('X');
    EXPECT_EQ(finish(), 0);
}

TEST_F(SpineTest, ExitWhileIdleLetsTheWorkerCloseTheCameras) {
    setupStarts = false;
    start();
    key(plat::key::Escape);
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(exitState, 2);
    EXPECT_EQ(closeCalls, 1);
    EXPECT_NE(closeThread, mainThread_);
    EXPECT_FALSE(plat::isWindow(frame().mainWindow));
}

TEST_F(SpineTest, ExitDuringARunLeavesRunningSet) {
    start();
    ASSERT_TRUE(waitUntil([] { return running == 1; }));
    plat::postMessage(frame().mainWindow, plat::Msg::Command, plat::commandParam(kCmdExit));
    EXPECT_EQ(finish(), 0);
    EXPECT_EQ(running, 1);
    EXPECT_EQ(exitState, 2);
    EXPECT_EQ(closeCalls, 1);
}

TEST_F(SpineTest, CtrlKeysPostTheirCommands) {
    static std::vector<int> seen;
    seen.clear();
    frameHooks().mainWindowCommand = [](int id) { seen.push_back(id); };
    start();
    key('V', {true, false});
    key('W', {true, false});
    key('X', {true, false});  // Ctrl+X is not Exit
    key('Q');
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(seen, (std::vector<int>{kCmdPaste, kCmdWindowInfo}));
    EXPECT_TRUE(plat::isWindow(frame().mainWindow));
}

TEST_F(SpineTest, MainWindowCannotBeResizedAndSnapsWithCtrl) {
    start();
    const plat::Window w = frame().mainWindow;
    const plat::Rect before = plat::windowRect(w);
    plat::headless::press({763, 1000});  // right border
    plat::headless::move({800, 1000});
    plat::headless::release({800, 1000});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(plat::windowRect(w), before);

    // Caption drag to 6 pixels from the left screen border, Ctrl held.
    plat::headless::press({600, 955});
    plat::headless::move({600 - 510, 955}, {true, false});
    plat::headless::release({600 - 510, 955}, plat::input::Button::Left, {true, false});
    ASSERT_TRUE(waitUntil([&] { return plat::windowRect(w).left != before.left; }));
    EXPECT_EQ(plat::windowRect(w).left, 0);
    // Without Ctrl nothing snaps.
    plat::headless::press({100, 955});
    plat::headless::move({106, 955});
    plat::headless::release({106, 955});
    ASSERT_TRUE(waitUntil([&] { return plat::windowRect(w).left == 6; }));
}

TEST_F(SpineTest, InstanceNumberIsTheLowestFree) {
    testing_support::makeWindow("orvant_mw0", {0, 0, 120, 40});
    testing_support::makeWindow("orvant_mw2", {0, 50, 120, 90});
    start();
    EXPECT_EQ(frame().instanceNumber, 1);
    EXPECT_EQ(plat::className(frame().mainWindow), "orvant_mw1");
    key('X');
    EXPECT_EQ(finish(), 0);
}

TEST_F(SpineTest, OverTheInstanceLimitShowsAMessageAndEndsWithOne) {
    for (int i = 0; i < kMaxInstances; ++i)
        testing_support::makeWindow(MainWindowClassName(i).c_str(), plat::Rect::xywh(0, 40 * i, 120, 30));
    main_ = std::thread([this] {
        result_ = WinMain();
        plat::endThread();
        finished_ = true;
    });
    ASSERT_TRUE(waitUntil([] { return plat::findWindow("plat_msgbox").id != 0; }));
    EXPECT_EQ(plat::windowText(plat::findWindow("plat_msgbox")), "ORVANT");
    plat::headless::screenshot(::testing::TempDir() + "instance_limit.png");
    key(plat::key::Return);
    EXPECT_EQ(finish(), 1);
    EXPECT_EQ(setupCalls, 0);
    // Nothing was registered.
    EXPECT_TRUE(plat::registerClass("orv_iw", plat::defaultWindowProc, 0, 0));
}
