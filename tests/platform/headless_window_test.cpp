// Window manager behaviour through the headless screen: frames, dragging,
// sizing, the close box, the menu bar, activation, message boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/decorations.h"
#include "platform/keys.h"
#include "support/headless.h"

using namespace plat;
using testing_support::HeadlessTest;
using testing_support::pumpUntilIdle;
using testing_support::waitUntil;

namespace {

std::vector<Msg> g_msgs;
std::vector<int> g_commands;
Rect g_sizingOverride;

LResult watcher(Window w, Msg m, WParam wp, LParam lp) {
    g_msgs.push_back(m);
    if (m == Msg::Command) g_commands.push_back(commandId(wp));
    if (m == Msg::Sizing && !g_sizingOverride.empty()) *reinterpret_cast<Rect*>(lp) = g_sizingOverride;
    if (m == Msg::Paint) {
        PaintContext pc = beginPaint(w);
        fillRect(pc.dc, clientRect(w), 0x00FF00);
        endPaint(w, pc);
        return 0;
    }
    return defaultWindowProc(w, m, wp, lp);
}

class Windows : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        g_msgs.clear();
        g_commands.clear();
        g_sizingOverride = {};
    }
    Window make(unsigned style, std::shared_ptr<Menu> menu = nullptr) {
        registerClass("watch", watcher, kClassDblClks, 0x000000);
        CreateParams p;
        p.className = "watch";
        p.title = "Watched";
        p.style = style;
        p.x = 100;
        p.y = 100;
        p.width = 200;
        p.height = 150;
        p.menu = menu;
        return createWindow(p);
    }
    static int count(Msg m) { return int(std::count(g_msgs.begin(), g_msgs.end(), m)); }
};

}  // namespace

TEST_F(Windows, PaintedFrameAndClientShowOnTheScreen) {
    const Window w = make(kVisible | kCaption | kSizingBorder | kCloseBox);
    pumpUntilIdle();
    EXPECT_EQ(headless::screenPixel(150, 200), 0x00FF00u);               // client painted
    EXPECT_EQ(headless::screenPixel(102, 150), kFaceColor);              // frame
    EXPECT_EQ(headless::screenPixel(110, 106), kActiveCaption);          // caption, active
    EXPECT_EQ(headless::screenPixel(50, 50), headless::kDesktopColor);   // desktop
    const FrameGeometry g = frameGeometry(200, 150, styleOf(w), false);
    EXPECT_EQ(headless::screenPixel(100 + g.closeBox.left, 100 + g.closeBox.top), kLightColor);
}

TEST_F(Windows, CaptionDragMovesWithMovingThenMove) {
    const Window w = make(kVisible | kCaption | kSizingBorder);
    pumpUntilIdle();
    g_msgs.clear();
    headless::press({150, 110});
    pumpUntilIdle();
    headless::move({180, 140});
    pumpUntilIdle();
    headless::release({180, 140});
    pumpUntilIdle();
    EXPECT_EQ(windowRect(w), (Rect{130, 130, 330, 280}));
    EXPECT_GE(count(Msg::Moving), 1);
    EXPECT_GE(count(Msg::Move), 1);
    EXPECT_EQ(headless::screenPixel(200, 230), 0x00FF00u);
}

TEST_F(Windows, SizingRectCanBeOverwrittenByTheProcedure) {
    const Window w = make(kVisible | kCaption | kSizingBorder);
    pumpUntilIdle();
    g_sizingOverride = windowRect(w);  // refuse every size change
    headless::press({299, 200});       // right border
    pumpUntilIdle();
    headless::move({350, 200});
    pumpUntilIdle();
    headless::release({350, 200});
    pumpUntilIdle();
    EXPECT_EQ(windowRect(w), (Rect{100, 100, 300, 250}));
    EXPECT_GE(count(Msg::Sizing), 1);
    EXPECT_EQ(count(Msg::Size), 1);  // only the one at creation

    g_sizingOverride = {};
    headless::press({299, 200});
    pumpUntilIdle();
    headless::move({349, 200});
    pumpUntilIdle();
    headless::release({349, 200});
    pumpUntilIdle();
    EXPECT_EQ(windowRect(w), (Rect{100, 100, 350, 250}));
    EXPECT_EQ(count(Msg::Size), 2);
    EXPECT_EQ(headless::screenPixel(340, 200), 0x00FF00u);  // the new area painted
}

TEST_F(Windows, CloseBoxClosesMenuBarCommands) {
    auto menu = Menu::create();
    menu->insert(0, {"&One", 11});
    menu->insert(1, {"Tw&o", 12, kMenuGrayed});
    const Window w = make(kVisible | kCaption | kCloseBox, menu);
    pumpUntilIdle();
    const FrameGeometry g = frameGeometry(200, 150, styleOf(w), true);
    const Point item{100 + g.menuBar.left + 10, 100 + g.menuBar.top + 10};
    headless::click(item);
    pumpUntilIdle();
    EXPECT_EQ(g_commands, std::vector<int>{11});
    headless::click({item.x + 60, item.y});  // the greyed item does nothing
    pumpUntilIdle();
    EXPECT_EQ(g_commands, std::vector<int>{11});

    // Pressing the close box and leaving it before release does not close.
    const Point box{100 + g.closeBox.left + 3, 100 + g.closeBox.top + 3};
    headless::press(box);
    pumpUntilIdle();
    headless::move({box.x - 40, box.y});
    pumpUntilIdle();
    headless::release({box.x - 40, box.y});
    pumpUntilIdle();
    EXPECT_TRUE(isWindow(w));
    headless::click(box);
    pumpUntilIdle();
    EXPECT_FALSE(isWindow(w));
    EXPECT_EQ(count(Msg::Close), 1);
    EXPECT_EQ(count(Msg::Destroy), 1);
}

TEST_F(Windows, ClicksActivateKeysGoToTheActiveWindowAndDoubleClicks) {
    const Window a = make(kVisible | kCaption);
    const Window b = testing_support::makeWindow("other", {400, 400, 600, 500});
    pumpUntilIdle();
    EXPECT_EQ(foregroundWindow(), b);
    headless::click({150, 200});
    pumpUntilIdle();
    EXPECT_EQ(foregroundWindow(), a);
    EXPECT_EQ(topLevelWindows().front(), a);
    g_msgs.clear();
    headless::key('Q', {}, "q");
    headless::click({150, 200});
    pumpUntilIdle();
    EXPECT_EQ(count(Msg::KeyDown), 1);
    EXPECT_EQ(count(Msg::Char), 1);
    EXPECT_EQ(count(Msg::LButtonDblClk), 1);  // second click within the interval
    headless::keyDown(key::Control);
    pumpUntilIdle();
    EXPECT_TRUE(ctrlHeld());
    headless::keyUp(key::Control);
    pumpUntilIdle();
    EXPECT_FALSE(ctrlHeld());
}

TEST_F(Windows, ChildPaintsAboveItsParent) {
    const Window w = make(kVisible | kCaption);
    CreateParams c;
    c.className = "static";
    c.title = "";
    c.style = kVisible | kChild;
    c.x = 10;
    c.y = 10;
    c.width = 30;
    c.height = 20;
    c.parent = w;
    const Window s = createWindow(c);
    ASSERT_TRUE(s);
    pumpUntilIdle();
    const Point o = clientToScreen(w, {0, 0});
    EXPECT_EQ(headless::screenPixel(o.x + 20, o.y + 15), kFaceColor);  // the control
    EXPECT_EQ(headless::screenPixel(o.x + 60, o.y + 15), 0x00FF00u);   // the parent
    invalidate(w);  // a parent repaint must not cover the control
    pumpUntilIdle();
    EXPECT_EQ(headless::screenPixel(o.x + 20, o.y + 15), kFaceColor);
}

TEST_F(Windows, MessageBoxWaitsForOk) {
    std::atomic<bool> returned{false};
    std::thread t([&] {
        messageBox(Window{}, "Something failed.", "Problem", kMbIconError);
        returned = true;
        endThread();
    });
    ASSERT_TRUE(waitUntil([] { return findWindow("plat_msgbox").id != 0; }));
    const Window box = findWindow("plat_msgbox");
    EXPECT_EQ(windowText(box), "Problem");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned);
    headless::screenshot(::testing::TempDir() + "message_box.png");
    // The OK button sits centred near the bottom of the client area.
    const Rect r = windowRect(box);
    const Point ok{(r.left + r.right) / 2, r.bottom - 4 - 14 - 13};
    headless::click(ok);
    ASSERT_TRUE(waitUntil([&] { return returned.load(); }));
    t.join();
    EXPECT_FALSE(isWindow(box));
}
