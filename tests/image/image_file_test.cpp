#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "files/image_file.h"
#include "image/image_support.h"
#include "image/test_pattern.h"

namespace {

std::string Tmp(const std::string& name) { return ::testing::TempDir() + "orv_file_" + name; }

std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ImageFiles, AppendExtension) {
    struct Case {
        std::string path, ext, want;
    } cases[] = {
        {"pic", ".png", "pic.png"},         {"pic.PNG", ".png", "pic.PNG"},
        {"pic.jpeg", ".jpg", "pic.jpeg.jpg"}, {"pic.tiff", ".tif", "pic.tiff.tif"},
        {"a", ".bmp", "a.bmp"},             {"x.gif", ".gif", "x.gif"},
    };
    for (auto c : cases) {
        AppendExtension(c.path, c.ext);
        EXPECT_EQ(c.path, c.want);
    }
    std::string id;
    EXPECT_EQ(FindEncoderByMimeType("image/png", &id), 0);
    EXPECT_EQ(id, "PNG");
    EXPECT_EQ(FindEncoderByMimeType("image/PNG", &id), 1);
}

TEST_F(ImageTest, RoundTripsThroughEveryFormat) {
    for (int bits : {32, 8}) {
        // An odd width shows row alignment faults.
        ASSERT_EQ(CreateImageWindow(0, "src", 0, 0, 37, 23, bits, 100), 0);
        if (bits == 32) {
            TestPatternRgb();
        } else {
            ColourEntry pal[256];
            for (int i = 0; i < 256; ++i) pal[i] = {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i), 0};
            ORV_SetPalette(pal, 256);
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37; ++x) ORV_PutPixel(x, y, (x * 5 + y * 11) & 0xFF);
        }
        for (int format = 0; format <= 4; ++format) {
            const std::string path = Tmp("rt" + std::to_string(bits) + "_" + std::to_string(format));
            ORV_SelectImage(0);
            ASSERT_EQ(SaveImageFile(37, 23, format, path.c_str()), 0) << bits << " " << format;
            ASSERT_EQ(CreateImageWindow(1, "dst", 0, 0, 37, 23, bits, 100), 0);
            // A JPEG has no palette: an 8-bit target maps to its own table.
            if (bits == 8 && format == kFormatJpeg) imageTable[1].bitmap->palette = imageTable[0].bitmap->palette;
            std::string full = path;
            const char* ext[] = {".bmp", ".jpg", ".gif", ".png", ".tif"};
            AppendExtension(full, ext[format]);
            ASSERT_EQ(LoadImageFile(full.c_str(), 0, 0), 0) << full;
            // JPEG within a small error; a true-colour GIF is quantised to 256 colours.
            const int tolerance = format == kFormatJpeg ? 12 : (format == kFormatGif && bits == 32) ? 40 : 0;
            int worst = 0;
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 37; ++x) {
                    ORV_SelectImage(0);
                    const int a = ORV_GetPixel(x, y);
                    const auto pa = imageTable[0].bitmap->palette;
                    ORV_SelectImage(1);
                    const int b = ORV_GetPixel(x, y);
                    const uint32_t ca = bits == 8 ? pa[size_t(a)] : uint32_t(a);
                    const uint32_t cb = bits == 8 ? imageTable[1].bitmap->palette[size_t(b)] : uint32_t(b);
                    for (int sh : {0, 8, 16})
                        worst = std::max(worst, std::abs(int((ca >> sh) & 0xFF) - int((cb >> sh) & 0xFF)));
                }
            EXPECT_LE(worst, tolerance) << bits << "-bit format " << format;
            ORV_DestroyImage(1);
            unlink(full.c_str());
        }
        ORV_DestroyImage(0);
    }
}

TEST_F(ImageTest, LoadDrawsAtThePositionAndCuts) {
    ASSERT_EQ(ORV_CreateImageFL(0, "big", 0, 0, 640, 480, 50), 0);
    TestPatternRgb();
    const std::string p = Tmp("big.png");
    ASSERT_EQ(SaveImageFile(640, 480, kFormatPng, p.c_str()), 0);
    const int corner = ORV_GetPixel(319, 239), mid = ORV_GetPixel(100, 50);
    ASSERT_EQ(ORV_CreateImage(1, "small", 0, 0, 320, 240, 100), 0);
    ASSERT_EQ(LoadImageFile(p.c_str(), 0, 0), 0);
    EXPECT_EQ(ORV_GetPixel(319, 239), corner);  // the top-left quarter
    ClearImage(1);
    ASSERT_EQ(LoadImageFile(p.c_str(), 10, 20), 0);
    EXPECT_EQ(ORV_GetPixel(110, 70), mid);
    EXPECT_EQ(ORV_GetPixel(5, 5), 0);  // left of the drawing stays
    unlink(p.c_str());
}

TEST_F(ImageTest, BadFilesLeaveTheImageUntouched) {
    ASSERT_EQ(ORV_CreateImage(0, "keep", 0, 0, 16, 16, 100), 0);
    TestPatternRgb();
    const int before = ORV_GetPixel(5, 5);
    const std::string notImage = Tmp("text.png"), truncated = Tmp("trunc.png"), bomb = Tmp("bomb.png");
    std::ofstream(notImage) << "this is not an image";
    ASSERT_EQ(SaveImageFile(16, 16, kFormatPng, truncated.c_str()), 0);
    const std::string good = Slurp(truncated);
    std::ofstream(truncated, std::ios::binary) << good.substr(0, good.size() / 2);
    {
        // A PNG header claiming 100000 x 100000 pixels.
        const unsigned char ihdr[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                      0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 2, 0, 0, 0, 0x2B, 0x0E, 0x6D, 0xF6};
        std::ofstream(bomb, std::ios::binary).write(reinterpret_cast<const char*>(ihdr), sizeof ihdr);
    }
    for (const std::string& p : {std::string("/nonexistent/x.png"), notImage, truncated, bomb}) {
        EXPECT_EQ(LoadImageFile(p.c_str(), 0, 0), 1) << p;
        EXPECT_EQ(ORV_GetPixel(5, 5), before) << p;
    }
    ORV_DestroyImage(0);
    EXPECT_EQ(LoadImageFile(notImage.c_str(), 0, 0), 2);
    for (auto& p : {notImage, truncated, bomb}) unlink(p.c_str());
}

TEST_F(ImageTest, FailedSavesLeaveNothingBehind) {
    ASSERT_EQ(ORV_CreateImage(0, "save", 0, 0, 8, 8, 100), 0);
    EXPECT_EQ(SaveImageFile(0, 8, kFormatPng, "x"), 2);
    EXPECT_EQ(SaveImageFile(8, 8, kFormatPng, "/nonexistent-dir/x.png"), 1);
    // A write that fails half way (here: the temporary name is taken by a
    // directory) keeps the good file that stood at the path.
    const std::string target = Tmp("kept.png");
    std::ofstream(target) << "an earlier good file";
    const std::string blocker = target + ".part" + std::to_string(getpid());
    mkdir(blocker.c_str(), 0755);
    EXPECT_EQ(SaveImageFile(8, 8, kFormatPng, target.c_str()), 1);
    EXPECT_EQ(Slurp(target), "an earlier good file");
    rmdir(blocker.c_str());
    EXPECT_EQ(SaveImageFile(8, 8, kFormatPng, target.c_str()), 0);
    EXPECT_NE(Slurp(target), "an earlier good file");
    unlink(target.c_str());
    ORV_DestroyImage(0);
    EXPECT_EQ(SaveImageFile(8, 8, kFormatPng, "x"), 3);
}
