#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "image/draw.h"
#include "image/image_support.h"

using Pixels = std::vector<std::pair<int, int>>;

class Drawing : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        ASSERT_EQ(ORV_CreateImage(0, "canvas", 0, 0, 20, 20, 100), 0);
        drawingColour = 0xFFFFFF;
    }
    static Pixels sorted(Pixels p) {
        std::sort(p.begin(), p.end(), [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
        return p;
    }
    static std::vector<uint32_t> snapshot() {
        std::vector<uint32_t> v;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) v.push_back(uint32_t(ORV_GetPixel(x, y)));
        return v;
    }
};

TEST_F(Drawing, LinesCoverTheSamePixelsBothWays) {
    ORV_DrawLine(0, 0, 5, 2, 1);
    EXPECT_EQ(sorted(lit()), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    ClearImage(0);
    ORV_DrawLine(5, 2, 0, 0, 1);
    EXPECT_EQ(sorted(lit()), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(penX, 0);
    EXPECT_EQ(penY, 0);
    ClearImage(0);
    ORV_DrawLine(3, 3, 3, 3, 1);
    EXPECT_EQ(lit().size(), 1u);
    ClearImage(0);
    ORV_DrawLine(1, 1, 3, 10, 1);  // y-major: one pixel a row
    EXPECT_EQ(lit().size(), 10u);
    ORV_DrawLine(-5, 5, 25, 5, 1);  // clipped by the pixel calls
    EXPECT_EQ(ORV_GetPixel(19, 5), 1);
}

TEST_F(Drawing, InvertingShapesRestoreWhenDrawnTwice) {
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ORV_PutPixel(x, y, x * 7 + y * 1000);
    const auto before = snapshot();
    struct Shape {
        void (*draw)();
    } shapes[] = {
        {[] { ORV_DrawBoxXor(2, 3, 12, 9); }},  {[] { ORV_DrawBoxXor(4, 4, 4, 10); }},
        {[] { ORV_FillBoxXor(12, 9, 2, 3); }},  {[] { ORV_DrawCircleXor(10, 10, 6); }},
        {[] { ORV_FillCircleXor(10, 10, 7); }}, {[] { ORV_DrawLineXor(0, 19, 19, 0); }},
        {[] { ORV_FillCircleXor(3, 3, 9); }},
    };
    for (const auto& s : shapes) {
        s.draw();
        EXPECT_NE(snapshot(), before);
        s.draw();
        EXPECT_EQ(snapshot(), before);
    }
    ORV_DrawCircleXor(5, 5, 0);  // the centre four times: unchanged
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Drawing, BoxesAndCircles) {
    ORV_FillBox(1, 1, 2, 2, 5, 9);  // 2 x 2: border only
    EXPECT_EQ(lit().size(), 4u);
    EXPECT_TRUE(std::none_of(lit().begin(), lit().end(), [](auto p) { return ORV_GetPixel(p.first, p.second) == 9; }));
    ClearImage(0);
    ORV_FillBox(3, 3, 1, 1, 5, 9);  // 3 x 3: one fill pixel
    EXPECT_EQ(ORV_GetPixel(2, 2), 9);
    EXPECT_EQ(lit().size(), 9u);
    ClearImage(0);
    ORV_DrawCircle(10, 10, 3, 1);
    EXPECT_EQ(sorted(lit()), sorted(Pixels{{10, 7}, {10, 13}, {7, 10}, {13, 10}, {9, 7}, {11, 7}, {9, 13}, {11, 13},
                                            {7, 9}, {7, 11}, {13, 9}, {13, 11}, {8, 8}, {12, 8}, {8, 12}, {12, 12}}));
    ClearImage(0);
    ORV_DrawCircle(10, 10, 1, 1);
    EXPECT_EQ(sorted(lit()), sorted(Pixels{{10, 9}, {10, 11}, {9, 10}, {11, 10}}));
    ClearImage(0);
    ORV_FillCircle(10, 10, 5);  // the disc's edge is the outline of the same radius
    ORV_DrawCircle(10, 10, 5, 0);
    for (auto [x, y] : lit()) EXPECT_LT((x - 10) * (x - 10) + (y - 10) * (y - 10), 25) << x << "," << y;
}

TEST_F(Drawing, FloodFillStaysInsideFourConnectedAreas) {
    drawingColour = 0x00FF00;
    ORV_DrawBox(2, 2, 10, 10);                  // a closed outline in white... drawn green
    drawingColour = 0xFF0000;
    ORV_DrawLine(11, 11, 15, 15, 0x00FF00);     // touches the box only diagonally
    ORV_Paint(5, 5);
    EXPECT_EQ(ORV_GetPixel(5, 5), 0xFF0000);
    EXPECT_EQ(ORV_GetPixel(9, 9), 0xFF0000);
    EXPECT_EQ(ORV_GetPixel(1, 1), 0);           // outside stays
    EXPECT_EQ(ORV_GetPixel(15, 14), 0);
    ORV_Paint(0, 0);                            // the outside, around the diagonal gap
    EXPECT_EQ(ORV_GetPixel(19, 19), 0xFF0000);
    EXPECT_EQ(ORV_GetPixel(2, 2), 0x00FF00);
    const auto before = snapshot();
    ORV_Paint(5, 5);                            // already the drawing colour
    EXPECT_EQ(snapshot(), before);
    ORV_Paint(-1, 3);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Drawing, FloodFillOnEightBitImagesEnds) {
    ASSERT_EQ(ORV_CreateImage8(1, "eight", 0, 0, 16, 16, 100), 0);
    ORV_FillBox(0, 0, 15, 15, 255, 255);
    drawingColour = 0xFFFFFF;  // lands as index 255: the same as the area
    ORV_Paint(3, 3);
    EXPECT_EQ(ORV_GetPixel(3, 3), 255);
    drawingColour = 0x000007;
    ORV_Paint(3, 3);
    EXPECT_EQ(ORV_GetPixel(15, 15), 7);
}
