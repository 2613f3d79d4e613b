// Snapping, the status line, the waits and the text utilities.
#include <gtest/gtest.h>

#include <thread>

#include "frame/frame.h"
#include "frame/options.h"
#include "platform/keys.h"
#include "support/headless.h"

using testing_support::HeadlessTest;
using testing_support::makeWindow;
using testing_support::pumpUntilIdle;

namespace {

plat::Window g_a, g_b;
int g_handled = 0;

plat::LResult counting(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp) {
    if (m == plat::Msg::User) ++g_handled;
    return plat::defaultWindowProc(w, m, wp, lp);
}

class Snapping : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        frame() = FrameState{};
        g_a = makeWindow("a", {100, 100, 300, 300});
        g_b = makeWindow("b", {600, 600, 700, 700});
        SetSnapSources({[](std::vector<plat::Window>& out) { out.push_back(g_a); },
                        [](std::vector<plat::Window>& out) { out.push_back(g_b); }});
        CollectSnapEdges();
        plat::headless::keyDown(plat::key::Control);
        pumpUntilIdle();  // Ctrl counts once its key message is taken
    }
    void TearDown() override {
        plat::headless::keyUp(plat::key::Control);
        SetSnapSources({});
        HeadlessTest::TearDown();
    }
    static plat::Rect snap(plat::Rect r) {
        SnapMovingWindow(&r, g_b);
        return r;
    }
};

}  // namespace

TEST_F(Snapping, ListHoldsTheScreenStripsThenTheWindows) {
    const SnapList& s = snapList();
    ASSERT_EQ(s.count, 6);
    EXPECT_EQ((std::vector<int>{s.left[0], s.top[0], s.right[0], s.bottom[0]}),
              (std::vector<int>{-1000, 0, 0, 1024}));
    EXPECT_EQ((std::vector<int>{s.left[3], s.top[3], s.right[3], s.bottom[3]}),
              (std::vector<int>{0, 1024, 1280, 2024}));
    EXPECT_EQ(s.left[4], 100);
    EXPECT_EQ(s.right[5], 700);
}

TEST_F(Snapping, EdgesWithinSevenPixels) {
    using plat::Rect;
    struct Case {
        Rect proposed, want;
    } cases[] = {
        {Rect::xywh(307, 150, 100, 100), Rect::xywh(300, 150, 100, 100)},  // 7: touches
        {Rect::xywh(308, 150, 100, 100), Rect::xywh(308, 150, 100, 100)},  // 8: nothing
        {Rect::xywh(297, 104, 100, 100), Rect::xywh(300, 100, 100, 100)},  // and tops aligned
        {Rect::xywh(-7, 500, 100, 100), Rect::xywh(0, 500, 100, 100)},     // left screen border
        {Rect::xywh(1185, 500, 100, 100), Rect::xywh(1180, 500, 100, 100)},  // right border
        {Rect::xywh(150, 306, 100, 100), Rect::xywh(150, 300, 100, 100)},  // top onto a's bottom
        {Rect::xywh(703, 600, 100, 100), Rect::xywh(703, 600, 100, 100)},  // never to its own edges
    };
    for (const auto& c : cases)
        EXPECT_EQ(snap(c.proposed), c.want) << c.proposed.left << "," << c.proposed.top;
}

TEST_F(Snapping, NothingWithoutCtrl) {
    plat::headless::keyUp(plat::key::Control);
    pumpUntilIdle();
    const plat::Rect r = plat::Rect::xywh(307, 150, 100, 100);
    EXPECT_EQ(snap(r), r);
}

class Utilities : public HeadlessTest {};

TEST_F(Utilities, StatusTextIsCentredOnColumnEighteen) {
    const plat::Window w = makeWindow("host", {0, 0, 300, 100});
    plat::CreateParams p;
    p.className = "static";
    p.style = plat::kVisible | plat::kChild;
    p.width = 234;
    p.height = 20;
    p.parent = w;
    frame().statusControl = plat::createWindow(p);
    struct Case {
        std::string text;
        size_t blanks;
    } cases[] = {{"Input text", 13}, {"Click a point", 12}, {std::string(40, 'x'), 0}, {"", 18}};
    for (const auto& c : cases) {
        SetStatusText(c.text.c_str());
        EXPECT_EQ(plat::windowText(frame().statusControl), std::string(c.blanks, ' ') + c.text);
    }
    SetStatusText(std::string(100, 'y').c_str());  // cut at the line's end
    EXPECT_EQ(plat::windowText(frame().statusControl), std::string(63, 'y'));
}

TEST_F(Utilities, WaitMilliseconds) {
    g_handled = 0;
    stopRequested = 0;
    const plat::Window w = makeWindow("counting", {0, 0, 50, 50}, 0, counting);
    pumpUntilIdle();
    plat::postMessage(w, plat::Msg::User);
    EXPECT_EQ(WaitMilliseconds(0), 0);
    EXPECT_EQ(WaitMilliseconds(-5), 0);
    EXPECT_EQ(g_handled, 0);  // returned without pumping

    stopRequested = 1;
    EXPECT_EQ(WaitMilliseconds(100), 1);
    EXPECT_EQ(g_handled, 1);  // pumped once
    stopRequested = 0;

    std::thread poster([w] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        plat::postMessage(w, plat::Msg::User);
    });
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitMilliseconds(50), 0);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    poster.join();
    EXPECT_GE(ms, 49.5);
    EXPECT_EQ(g_handled, 2);  // the window answered during the wait
}

TEST_F(Utilities, WindowTextsAndColours) {
    const plat::Window w = makeWindow("texts", {0, 0, 50, 50});
    SetWindowTextAnsi(w, std::string(300, 'a').c_str());
    EXPECT_EQ(plat::windowText(w).size(), 255u);
    SetWindowTextAnsi(w, "漢字abc");
    char buf[256];
    GetWindowTextAnsi(w, buf, 256);
    EXPECT_STREQ(buf, "漢字abc");
    GetWindowTextAnsi(w, buf, 5);  // whole characters within 4 bytes
    EXPECT_STREQ(buf, "漢");
    int r, g, b;
    SplitRgb(0x123456, &r, &g, &b);
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{0x12, 0x34, 0x56}));
    plat::Menu m;
    InsertMenuItemAnsi(m, 0, plat::kMenuEnabled, 1, "a");
    InsertMenuItemAnsi(m, 0, plat::kMenuGrayed, 2, "b");
    InsertMenuSeparator(m, 1);
    ASSERT_EQ(m.items().size(), 3u);
    EXPECT_EQ(m.items()[0].id, 2);
    EXPECT_TRUE(m.items()[1].separator);
    EXPECT_EQ(m.items()[2].id, 1);
}

TEST(Options, ParsedOrRefused) {
    struct Case {
        std::vector<const char*> args;
        OptionsResult want;
        std::string cameras;
    } cases[] = {
        {{}, OptionsResult::Run, "auto"},
        {{"--backend=headless", "--cameras=demo"}, OptionsResult::Run, "demo"},
        {{"--cameras=files:l.png,r.png"}, OptionsResult::Run, "files"},
        {{"--cameras=files:l.png"}, OptionsResult::Error, ""},
        {{"--cameras=usb"}, OptionsResult::Error, ""},
        {{"--backend=wayland"}, OptionsResult::Error, ""},
        {{"-x"}, OptionsResult::Error, ""},
        {{"--help"}, OptionsResult::Help, ""},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv{const_cast<char*>("lenti3d")};
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        ProgramOptions o;
        std::string msg;
        EXPECT_EQ(ParseOptions(int(argv.size()), argv.data(), &o, &msg), c.want);
        if (c.want == OptionsResult::Run) {
            EXPECT_EQ(o.cameras, c.cameras);
        }
        if (c.want == OptionsResult::Error) {
            EXPECT_EQ(msg.find('\n'), std::string::npos);
        }
    }
}
