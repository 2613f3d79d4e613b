#include <gtest/gtest.h>

#include "image/image_support.h"

TEST_F(ImageTest, PixelCallsBoundsAndLayout) {
    ASSERT_EQ(ORV_CreateImage8(1, "eight", 0, 0, 5, 3, 100), 0);
    EXPECT_EQ(ImageStride(1), 8);
    ORV_PutPixel(4, 1, 0x1FF);
    EXPECT_EQ(ImagePixels(1)[12], 0xFF);
    EXPECT_EQ(ORV_GetPixel(5, 0), 0);
    EXPECT_EQ(ProbePixel(5, 0), -1);
    ORV_PutPixel(-1, 0, 7);
    EXPECT_EQ(penX, -1);
    EXPECT_EQ(penY, 0);
    ORV_PutPixel(0, 0, 0x0F);
    ORV_InvertPixel(0, 0);
    EXPECT_EQ(ORV_GetPixel(0, 0), 0xF0);
    EXPECT_EQ(imageTable[1].bitmap->palette[128], 0x808080u);  // grey ramp

    ASSERT_EQ(ORV_CreateImage(2, "word", 0, 0, 4, 4, 100), 0);
    ORV_PutPixel(1, 1, int(0xAB102030u));
    ORV_InvertPixel(1, 1);
    EXPECT_EQ(uint32_t(ORV_GetPixel(1, 1)), 0xABEFDFCFu);
    ORV_PutPixel(2, 2, -1);  // a real 0xFFFFFFFF pixel reads back, outside reads 0
    EXPECT_EQ(ORV_GetPixel(2, 2), -1);
    EXPECT_EQ(ORV_GetPixel(4, 0), 0);
}

TEST_F(ImageTest, SelectionHistory) {
    for (int n = 1; n <= 3; ++n) ASSERT_EQ(ORV_CreateImage(n, "s", 0, 0, 2, 2, 100), 0);
    // Creation selects; start again from 0 as the table's own start.
    InitImageTable();
    for (int n = 1; n <= 3; ++n) imageTable[n].inUse = 1;
    EXPECT_EQ(ORV_SelectImage(256), 1);
    EXPECT_EQ(ORV_SelectImage(9), 1);
    EXPECT_EQ(currentImage, 0);
    ORV_SelectImage(1);
    ORV_SelectImage(2);
    ORV_SelectImage(3);
    EXPECT_EQ(currentImage, 3);
    EXPECT_EQ((std::vector<int>(selectionHistory, selectionHistory + 4)), (std::vector<int>{2, 1, 0, 0}));
    EXPECT_EQ(ORV_SelectPreviousImage(), 0);
    EXPECT_EQ(currentImage, 2);
    EXPECT_EQ((std::vector<int>(selectionHistory, selectionHistory + 3)), (std::vector<int>{1, 0, 0}));
    imageTable[1].inUse = 0;  // entry 0 names a destroyed slot
    EXPECT_EQ(ORV_SelectPreviousImage(), 1);
    EXPECT_EQ(currentImage, 2);
    for (int n = 1; n <= 3; ++n) imageTable[n].inUse = 1;
}

TEST_F(ImageTest, FreeCurrentSlotIsHarmless) {
    ASSERT_EQ(ORV_CreateImage(4, "gone", 0, 0, 8, 8, 100), 0);
    ORV_DestroyImage(4);
    EXPECT_EQ(currentImage, 4);  // destruction keeps the number
    ORV_PutPixel(1, 1, 5);       // nothing to write into: nothing happens
    EXPECT_EQ(ORV_GetPixel(1, 1), 0);
    EXPECT_EQ(ProbePixel(1, 1), -1);
    ColourEntry pal[256];
    EXPECT_EQ(ORV_GetPalette(pal), 1);
    ASSERT_EQ(ORV_CreateImage(5, "rgb", 0, 0, 8, 8, 100), 0);
    EXPECT_EQ(ORV_SetPalette(pal, 1), 2);
    EXPECT_EQ(FindImageByWindow(plat::Window{999999}), -1);
    EXPECT_EQ(FindImageByWindow(imageTable[5].window), 5);
}
