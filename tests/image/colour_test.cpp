#include <gtest/gtest.h>

#include "image/colour.h"

TEST(Colour, ForwardConversions) {
    struct Case {
        int r, g, b;
        int h, s, v, y, cr, cb, u, vv, i, q;
    } cases[] = {
        {77, 77, 77, 0, 0, 77, 77, 0, 0, 0, 0, 0, 0},
        {255, 0, 0, 0, 255, 255, 76, 128, -42, -36, 157, 152, 53},
        {0, 255, 0, 120, 255, 255, 150, -106, -83, -73, -130, -69, -126},
        {0, 0, 255, 240, 255, 255, 29, -20, 128, 111, -25, -81, 74},
        {255, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int h, s, v, y, cr, cb, u, vv, i, q;
        RgbToHsv((c.r << 16) + (c.g << 8) + c.b, &h, &s, &v);
        RgbToYCrCb(c.r, c.g, c.b, &y, &cr, &cb);
        RgbToYuv(c.r, c.g, c.b, nullptr, &u, &vv);
        RgbToYiq(c.r, c.g, c.b, nullptr, &i, &q);
        EXPECT_EQ((std::vector<int>{h, s, v, y, cr, cb}), (std::vector<int>{c.h, c.s, c.v, c.y, c.cr, c.cb}))
            << c.r << "," << c.g << "," << c.b;
        if (c.r != 0 || c.g != 0 || c.b != 255) {
            EXPECT_EQ((std::vector<int>{u, vv, i, q}), (std::vector<int>{c.u, c.vv, c.i, c.q}))
                << c.r << "," << c.g << "," << c.b;
        }
    }
}

TEST(Colour, HueTiesAndRoundTrips) {
    EXPECT_EQ(HsvHue(0xFFFF00), 60);
    EXPECT_EQ(HsvHue(0x00FFFF), 180);
    EXPECT_EQ(HsvHue(0xFF00FF), 300);
    EXPECT_EQ(HsvHue(0xFF7F00), 29);
    EXPECT_EQ(HsvHue(0x804020), 20);
    EXPECT_EQ(HsvSaturation(0x804020), 96);
    EXPECT_EQ(HsvValue(0x804020), 128);
    EXPECT_EQ(HsvToRgb(128, 96, 20), 0x804020);
    EXPECT_EQ(HsvToRgb(255, 255, 29), 0xFF7B00);
    EXPECT_EQ(HsvToRgb(100, 300, 0), 0x640000);
}

TEST(Colour, InverseConversionsClamp) {
    EXPECT_EQ(YCrCbToRgb(255, 100, 0) >> 16, 255);
    EXPECT_EQ(YCrCbToRgb(0, 0, 0), 0);
    EXPECT_EQ(YuvToRgb(128, 0, 0), 0x808080);
    EXPECT_EQ(YiqToRgb(128, 0, 0), 0x808080);
    EXPECT_EQ(YCrCbToRgb(10, -100, -100) & 0xFF, 0);  // blue below 0 clamps to 0
}
