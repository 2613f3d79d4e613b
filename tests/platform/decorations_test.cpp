#include <gtest/gtest.h>

#include "platform/decorations.h"
#include "platform/window.h"

using namespace plat;

TEST(Decorations, MainWindowGeometry) {
    // 240 x (20 + 32) asked for, the menu not counted: the menu takes 20 of it.
    const unsigned style = kVisible | kCaption | kSizingBorder;
    const Rect outer = adjustWindowRect({0, 0, 240, 52}, style, false);
    EXPECT_EQ(outer.width(), 248);
    EXPECT_EQ(outer.height(), 80);
    const FrameGeometry g = frameGeometry(248, 80, style, true);
    EXPECT_EQ(g.caption, (Rect{4, 4, 244, 24}));
    EXPECT_EQ(g.menuBar, (Rect{4, 24, 244, 44}));
    EXPECT_EQ(g.client, (Rect{4, 44, 244, 76}));
    EXPECT_TRUE(g.closeBox.empty());
}

TEST(Decorations, HitTests) {
    const unsigned style = kVisible | kCaption | kSizingBorder | kCloseBox;
    const FrameGeometry g = frameGeometry(300, 200, style, false);
    struct Case {
        Point p;
        HitTest want;
    } cases[] = {
        {{150, 100}, HitTest::Client},   {{100, 10}, HitTest::Caption},
        {{g.closeBox.left + 2, g.closeBox.top + 2}, HitTest::CloseBox},
        {{1, 100}, HitTest::Left},       {{298, 100}, HitTest::Right},
        {{150, 1}, HitTest::Top},        {{150, 198}, HitTest::Bottom},
        {{1, 1}, HitTest::TopLeft},      {{299, 199}, HitTest::BottomRight},
        {{1, 195}, HitTest::BottomLeft}, {{298, 3}, HitTest::TopRight},
        {{300, 100}, HitTest::Nowhere},
    };
    for (const auto& c : cases) EXPECT_EQ(hitTest(g, style, c.p), c.want) << c.p.x << "," << c.p.y;
    // A fixed frame offers no edges to size by.
    const unsigned fixed = kVisible | kCaption | kDialogFrame;
    EXPECT_EQ(hitTest(frameGeometry(300, 200, fixed, false), fixed, {1, 100}), HitTest::Nowhere);
}

TEST(Decorations, SizedRectKeepsTheMinimum) {
    const Rect s{100, 100, 300, 200};
    EXPECT_EQ(sizedRect(s, HitTest::Right, 50, 0, 112, 27), (Rect{100, 100, 350, 200}));
    EXPECT_EQ(sizedRect(s, HitTest::Left, 150, 0, 112, 27), (Rect{188, 100, 300, 200}));
    EXPECT_EQ(sizedRect(s, HitTest::TopLeft, -10, -20, 112, 27), (Rect{90, 80, 300, 200}));
    EXPECT_EQ(sizedRect(s, HitTest::Bottom, 0, -90, 112, 27), (Rect{100, 100, 300, 127}));
}

TEST(Decorations, MenuLabels) {
    struct Case {
        const char* text;
        std::u32string label;
        int mnemonic;
        std::u32string accel;
    } cases[] = {
        {"Start(&S)", U"Start(S)", 6, U""},
        {"E&xit", U"Exit", 1, U""},
        {"Paste\tCtrl+V", U"Paste", -1, U"Ctrl+V"},
        {"&Window Info.\tCtrl+W", U"Window Info.", 0, U"Ctrl+W"},
        {"A && B", U"A & B", -1, U""},
    };
    for (const auto& c : cases) {
        int mn = 99;
        std::u32string acc;
        EXPECT_EQ(menuLabel(c.text, &mn, &acc), c.label) << c.text;
        EXPECT_EQ(mn, c.mnemonic) << c.text;
        EXPECT_EQ(acc, c.accel) << c.text;
    }
}
