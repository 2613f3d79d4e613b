#include <gtest/gtest.h>

#include "image/image_support.h"
#include "image/colour.h"
#include "image/test_pattern.h"

TEST_F(ImageTest, BitmapFontRowsAndWrapping) {
    ASSERT_EQ(ORV_CreateImage(0, "text", 0, 0, 256, 64, 100), 0);
    orv_tc = 0xFFFFFF;
    textX = 110;
    textY = 16;
    ORV_DrawString("Cr");
    auto px = lit();
    ASSERT_FALSE(px.empty());
    for (auto [x, y] : px) {
        EXPECT_GE(y, 2);
        EXPECT_LE(y, 15);
        EXPECT_GE(x, 110);
        EXPECT_LE(x, 125);
    }
    ClearImage(0);
    textX = textLeft = 0;
    textY = 16;
    for (int i = 0; i < 31; ++i) ORV_DrawChar('A');
    EXPECT_EQ(textX, 248);  // the 32nd goes at 248
    ORV_DrawChar('A');
    EXPECT_EQ(textX, 0);  // and the 33rd starts the next line
    EXPECT_EQ(textY, 32);
    const int x = textX, y = textY;
    for (int c : {9, 13, 128, 200}) ORV_DrawChar(c);
    EXPECT_EQ(textX, x);
    EXPECT_EQ(textY, y);
    // The capital A exactly: 00 00 18 3C 66 66 66 7E 66 66 66 00 00 00.
    ClearImage(0);
    textX = 0;
    textY = 14;
    ORV_DrawChar('A');
    const unsigned char want[14] = {0, 0, 0x18, 0x3C, 0x66, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x66, 0, 0, 0};
    for (int r = 0; r < 14; ++r) {
        int bits = 0;
        for (int j = 0; j < 8; ++j) bits |= ORV_GetPixel(j, r) ? 0x80 >> j : 0;
        EXPECT_EQ(bits, want[r]) << r;
    }
}

TEST_F(ImageTest, TrueTypeText) {
    ASSERT_EQ(ORV_CreateImage(0, "tt", 0, 0, 200, 80, 100), 0);
    ASSERT_EQ(ORV_SetTrueTypeSize(21, 30), 0);
    EXPECT_EQ(trueTypeWidth, 10);
    EXPECT_EQ(trueTypeHeight, 30);
    orv_tttc = 0xFFFFFF;
    textX = 10;
    textY = 60;
    ORV_DrawTrueTypeString("Hg");
    auto px = lit();
    ASSERT_FALSE(px.empty());
    int top = 1000, bottom = 0;
    for (auto [x, y] : px) top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_GE(top, 60 - 29);
    EXPECT_LE(bottom, 60);
    EXPECT_GT(textX, 10 + 10);  // advanced by both characters
    // A text that ends inside a multi-byte character stops before it.
    const int x = textX;
    ORV_DrawTrueTypeString("\xE6\xBC");
    EXPECT_EQ(textX, x);
    ORV_DrawTrueTypeChar(3);
    EXPECT_EQ(trueTypeFont->desc().weight, 700);
    ORV_DrawTrueTypeChar(4);
    EXPECT_EQ(trueTypeFont->desc().weight, 400);
    ORV_DrawTrueTypeChar(10);
    EXPECT_EQ(textX, textLeft);
    EXPECT_EQ(textY, 90);
}

TEST_F(ImageTest, TestPatterns) {
    ASSERT_EQ(ORV_CreateImage(0, "pattern", 0, 0, 256, 256, 100), 0);
    TestPatternRgb();
    EXPECT_EQ(ORV_GetPixel(0, 0), 0x0000FF);
    EXPECT_EQ(ORV_GetPixel(255, 0), 0xFE0080);
    EXPECT_EQ(ORV_GetPixel(255, 255), 0xFEFE01);
    EXPECT_EQ(ORV_GetPixel(128, 128), 0x7F7F80);
    TestPatternHsv();
    EXPECT_EQ(ORV_GetPixel(17, 0), 0xFFFFFF);
    EXPECT_EQ(HsvSaturation(ORV_GetPixel(100, 128)), 255);
    EXPECT_EQ(HsvValue(ORV_GetPixel(100, 255)), 2);  // V = 2 at the bottom when H is 256
    for (auto p : {TestPatternYCrCb, TestPatternYuv, TestPatternYiq}) {
        p();
        EXPECT_EQ(ORV_GetPixel(128, 128), 0);
        EXPECT_NE(ORV_GetPixel(0, 0), 0);
    }
    ASSERT_EQ(ORV_CreateImage8(1, "grey8", 0, 0, 64, 4, 100), 0);
    ColourEntry red[256];
    for (auto& e : red) e = {0, 0, 255, 0};
    ORV_SetPalette(red, 256);
    TestPatternGrey();
    EXPECT_EQ(imageTable[1].bitmap->palette[77], 0x4D4D4Du);  // the grey ramp again
    EXPECT_EQ(ORV_GetPixel(32, 0), 127);
    EXPECT_EQ(ORV_GetPixel(32, 3), 128);
    ASSERT_EQ(ORV_CreateImage(2, "one row", 0, 0, 8, 1, 100), 0);
    TestPatternHsv();  // one row high: no division by zero
    EXPECT_EQ(ORV_GetPixel(3, 0), 0xFFFFFF);
}
