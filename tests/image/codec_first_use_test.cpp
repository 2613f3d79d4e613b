// In a process of its own: loading is the first use of the codec library,
// which must then be started before any of its objects is made.
#include <gtest/gtest.h>

#include <fstream>

#include "files/image_file.h"
#include "image/image_support.h"

TEST_F(ImageTest, LoadIsTheFirstCodecUse) {
    ASSERT_EQ(ORV_CreateImage(0, "first", 0, 0, 4, 4, 100), 0);
    const std::string p = ::testing::TempDir() + "orv_first_use.pgm";
    std::ofstream(p, std::ios::binary) << "P5 2 2 255\n" << std::string("\x10\x20\x30\x40", 4);
    int w = 0, h = 0;
    ImageFileSize(p.c_str(), &w, &h);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(LoadImageFile(p.c_str(), 1, 1), 0);
    EXPECT_EQ(ORV_GetPixel(2, 1), 0x202020);
    std::remove(p.c_str());
}
