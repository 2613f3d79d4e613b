#include <gtest/gtest.h>

#include "image/image_support.h"
#include "image/test_pattern.h"
#include "platform/surface.h"

using testing_support::pumpUntilIdle;

TEST(ZoomFit, Table) {
    const ImageWindowLimits fit{104, -1, 1280, 1004};  // 1280 x 1024 screen, caption 20
    struct Case {
        int w, h, zoom;
        bool ok;
        int wantZoom, vw, vh;
    } cases[] = {
        {320, 240, 100, true, 100, 320, 240},
        {320, 240, 50, true, 50, 160, 120},
        {4000, 3000, 100, true, 32, 1280, 960},
        {1, 1, 100, true, 10400, 104, 104},
        {320, 240, 0, true, 33, 105, 79},      // W' = H' = 1: zoom 0, then raised to the minimum
        {320, 240, -50, true, 33, 105, 79},
        {1, 100000, 100, false, 0, 0, 0},      // the minimum zoom would exceed the screen
    };
    for (const auto& c : cases) {
        const ZoomFitResult r = ZoomFit(c.w, c.h, c.zoom, fit);
        EXPECT_EQ(r.ok, c.ok) << c.w << "x" << c.h << "@" << c.zoom;
        if (c.ok) {
            EXPECT_EQ(r.zoom, c.wantZoom) << c.w << "x" << c.h << "@" << c.zoom;
            EXPECT_EQ(r.viewWidth, c.vw);
            EXPECT_EQ(r.viewHeight, c.vh);
        }
    }
}

TEST_F(ImageTest, CreationChecksAndCaption) {
    EXPECT_EQ(ORV_CreateImage(256, "x", 0, 0, 10, 10, 100), 4);
    EXPECT_EQ(CreateImageWindow(3, "x", 0, 0, 10, 10, 16, 100), 3);
    ASSERT_EQ(ORV_CreateImage(2, "basepic", 0, 0, 320, 240, 100), 0);
    EXPECT_EQ(ORV_CreateImage(2, "again", 0, 0, 10, 10, 100), 1);
    EXPECT_EQ(CreateImageWindow(2, "x", 0, 0, 10, 10, 16, 100), 1);  // in use checked before bits
    EXPECT_EQ(plat::windowText(imageTable[2].window), "basepic(100%)");
    EXPECT_EQ(plat::clientRect(imageTable[2].window), (plat::Rect{0, 0, 320, 240}));
    EXPECT_EQ(currentImage, 2);
    // Too large for memory: 3, and nothing is left behind.
    const size_t windows = plat::topLevelWindows().size();
    EXPECT_EQ(ORV_CreateImageFL(9, "huge", 0, 0, 60000, 60000, 1), 3);
    EXPECT_FALSE(imageTable[9].inUse);
    EXPECT_EQ(plat::topLevelWindows().size(), windows);
    ASSERT_EQ(ORV_CreateImage8(4, "idx", -1, -1, 5, 5, 100), 0);
    EXPECT_EQ(plat::windowText(imageTable[4].window), "idx(2080%)[8bit]");  // raised to the minimum width
}

TEST_F(ImageTest, ZoomResizeAndStretchMode) {
    ASSERT_EQ(ORV_CreateImage8(1, "pal", 100, 50, 320, 240, 100), 0);
    const plat::Window w = imageTable[1].window;
    const plat::Rect before = plat::windowRect(w);
    ASSERT_EQ(ORV_ZoomImage(1, 50), 0);
    EXPECT_EQ(plat::clientRect(w), (plat::Rect{0, 0, 160, 120}));
    EXPECT_EQ(plat::windowRect(w).left, before.left);
    EXPECT_EQ(plat::windowRect(w).top, before.top);
    EXPECT_EQ(plat::windowText(w), "pal(50%)[8bit]");
    ASSERT_EQ(SetImageStretchMode(kStretchHalftone, 1), 0);
    EXPECT_EQ(plat::windowText(w), "pal(50%)[8bit]*");
    ColourEntry pal[256];
    for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i), 0, uint8_t(255 - i), 0};
    ORV_SetPalette(pal, 256);
    ORV_PutPixel(3, 3, 9);
    EXPECT_EQ(ORV_ResizeImage(1, 0, 100), 2);  // 1 x 100 cannot reach the minimum width on screen
    EXPECT_FALSE(imageTable[1].inUse);
    ASSERT_EQ(ORV_CreateImage8(1, "pal", 100, 50, 320, 240, 50), 0);
    ORV_SetPalette(pal, 256);
    SetImageStretchMode(kStretchHalftone, 1);
    ASSERT_EQ(ORV_ResizeImage(1, 0, -3), 0);  // sides of 0 or below become 1
    EXPECT_EQ(imageTable[1].width, 1);
    EXPECT_EQ(imageTable[1].height, 1);
    EXPECT_EQ(ORV_GetPixel(0, 0), 0);
    EXPECT_EQ(imageTable[1].bitmap->palette[10], 0xF5000Au);
    EXPECT_EQ(GetImageStretchMode(1), kStretchHalftone);
    EXPECT_NE(plat::windowText(imageTable[1].window).find("[8bit]*"), std::string::npos);
    EXPECT_EQ(plat::windowRect(imageTable[1].window).left, before.left);
    EXPECT_EQ(ORV_ZoomImage(7, 50), 1);
}

TEST_F(ImageTest, WindowsShowThePatternAtZoomAndRefuseSizing) {
    ASSERT_EQ(ORV_CreateImage(0, "rgb32", 0, 0, 320, 240, 100), 0);
    TestPatternRgb();
    ORV_DrawImage(0);
    ASSERT_EQ(ORV_CreateImage(1, "rgb50", 360, 0, 320, 240, 50), 0);
    TestPatternRgb();
    ORV_DrawImage(1);
    ASSERT_EQ(ORV_CreateImage8(2, "grey8", 0, 300, 320, 240, 100), 0);
    TestPatternGrey();
    ORV_DrawImage(2);
    ASSERT_EQ(ORV_CreateImage8(3, "grey8half", 360, 300, 320, 240, 50), 0);
    TestPatternGrey();
    SetImageStretchMode(kStretchHalftone, 3);
    pumpUntilIdle();
    plat::headless::screenshot(::testing::TempDir() + "image_windows.png");
    auto screen = plat::headless::screen();
    const plat::Point o0 = plat::clientToScreen(imageTable[0].window, {0, 0});
    const plat::Point o1 = plat::clientToScreen(imageTable[1].window, {0, 0});
    const plat::Point o2 = plat::clientToScreen(imageTable[2].window, {0, 0});
    ORV_SelectImage(0);
    EXPECT_EQ(screen->colorAt(o0.x + 100, o0.y + 50), uint32_t(ORV_GetPixel(100, 50)));
    EXPECT_EQ(screen->colorAt(o1.x + 50, o1.y + 25), uint32_t(ORV_GetPixel(100, 50)));  // half size
    EXPECT_EQ(screen->colorAt(o2.x + 160, o2.y + 10), 0x7F7F7Fu);                     // grey through the table
    // Dragging the frame does not resize an image window.
    const plat::Rect r = plat::windowRect(imageTable[0].window);
    plat::headless::press({r.right - 2, r.top + 100});
    pumpUntilIdle();
    plat::headless::move({r.right + 40, r.top + 100});
    pumpUntilIdle();
    plat::headless::release({r.right + 40, r.top + 100});
    pumpUntilIdle();
    EXPECT_EQ(plat::windowRect(imageTable[0].window), r);
    // The close box destroys the slot.
    plat::postMessage(imageTable[0].window, plat::Msg::Close);
    pumpUntilIdle();
    EXPECT_FALSE(imageTable[0].inUse);
}
