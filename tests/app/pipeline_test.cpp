// View synthesis, resampling and interlacing on small images, rule by rule.
#include <gtest/gtest.h>

#include <cmath>

#include "app/pipeline.h"
#include "image/draw.h"
#include "image/image_support.h"

class Pipeline : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        view_num = 3;
        shift_max = 80;
    }
    // basepic 320 x 240 with a distinct colour per pixel; depth from `disp`.
    template <class Disp>
    void Views(Disp disp, int n) {
        view_num = n;
        ASSERT_EQ(ORV_CreateImage(kSlotBasepic, "basepic", 0, 0, 320, 240, 100), 0);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) ORV_PutPixel(x, y, (y << 9) | x | 0x800000);
        ASSERT_EQ(ORV_CreateImage(kSlotDepth, "depth", 320, 0, 320, 240, 100), 0);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) ORV_PutPixel(x, y, disp(x, y) * 0x010101);
        ASSERT_EQ(ORV_CreateImageFL(kSlotDisplay, "display", 0, 0, 320 * n, 240, 10), 0);
    }
    static uint32_t Px(int slot, int x, int y) {
        ORV_SelectImage(slot);
        return uint32_t(ORV_GetPixel(x, y));
    }
    static uint32_t Base(int x, int y) { return uint32_t((y << 9) | x | 0x800000); }
};

TEST_F(Pipeline, ZeroShiftCopiesTheBaseIntoEveryView) {
    Views([](int x, int) { return x % 200; }, 5);
    shift_max = 0;
    SynthesiseViews();
    for (int v = 0; v < 5; ++v)
        for (int x : {0, 77, 319}) EXPECT_EQ(Px(kSlotDisplay, 320 * v + x, 100), Base(x, 100)) << v << " " << x;
}

TEST_F(Pipeline, EdgeBandsAndMoves) {
    Views([](int, int) { return 64; }, 3);  // d = 64 * 80 / 256 = 20
    SynthesiseViews();
    // Left view (0): pixel x lands at x - 20; its last 20 columns are a black band.
    EXPECT_EQ(Px(kSlotDisplay, 100, 5), Base(120, 5));
    for (int x = 300; x < 320; ++x) EXPECT_EQ(Px(kSlotDisplay, x, 5), 0u) << x;
    // Centre view (1): the base picture itself.
    EXPECT_EQ(Px(kSlotDisplay, 320 + 10, 5), Base(10, 5));
    // Right view (2): pixel x lands at x + 20; its first 20 columns are black.
    EXPECT_EQ(Px(kSlotDisplay, 640 + 120, 5), Base(100, 5));
    for (int x = 0; x < 20; ++x) EXPECT_EQ(Px(kSlotDisplay, 640 + x, 5), 0u) << x;
}

TEST_F(Pipeline, NearerPixelsWinAndHolesTakeTheBackground) {
    // A near strip (disparity 128 -> d 40) at columns 100..139 over a far background (0).
    Views([](int x, int) { return x >= 100 && x < 140 ? 128 : 0; }, 3);
    SynthesiseViews();
    // Left view: the strip moves 40 left, over the background it covers.
    EXPECT_EQ(Px(kSlotDisplay, 60, 0), Base(100, 0));
    EXPECT_EQ(Px(kSlotDisplay, 99, 0), Base(139, 0));
    // The hole it leaves (100..139) is filled with its right neighbour, background pixel 140.
    for (int x = 100; x < 140; ++x) EXPECT_EQ(Px(kSlotDisplay, x, 0), Base(140, 0)) << x;
    EXPECT_EQ(Px(kSlotDisplay, 140, 0), Base(140, 0));
}

TEST_F(Pipeline, BlendAndSubpixels) {
    EXPECT_EQ(BlendRgb(0.0, 0x102030, 0xFFFFFF), 0x102030u);
    EXPECT_EQ(BlendRgb(0.5, 0x000000, 0xFF80FF), 0x7F407Fu);
    EXPECT_EQ(BlendRgb(1.0, 0x000000, 0xABCDEF), 0xABCDEFu);
    // A negative weight extrapolates; each channel stays within its byte.
    EXPECT_EQ(BlendRgb(-0.5, 0xFF0000, 0x00FF00), 0xFF0000u);
    ASSERT_EQ(ORV_CreateImage(kSlotOutput, "out", 0, 0, 4, 6, 100), 0);
    ORV_FillBox(0, 0, 3, 5, 0x555555, 0x555555);
    PutSubpixel(1, 0x112233, 0);  // m = 1: green, blue of pixel 0, red of pixel 1
    EXPECT_EQ(Px(kSlotOutput, 0, 0), 0x552255u);
    EXPECT_EQ(Px(kSlotOutput, 0, 1), 0x555533u);
    EXPECT_EQ(Px(kSlotOutput, 1, 2), 0x115555u);
    PutSubpixel(5, 0xAABBCC, 1);  // m = 2: blue of pixel 1, then red, green of pixel 2
    EXPECT_EQ(Px(kSlotOutput, 1, 3), 0x5555CCu);
    EXPECT_EQ(Px(kSlotOutput, 2, 4), 0xAA5555u);
    EXPECT_EQ(Px(kSlotOutput, 2, 5), 0x55BB55u);
}

namespace {
// A work image whose every view is one flat colour: view v = colour v + 1.
void FlatWork(int W, int H, int n) {
    ASSERT_EQ(ORV_CreateImageFL(kSlotWork, "lenti-work", 0, 0, 3 * W * n, H, 1), 0);
    for (int v = 0; v < n; ++v) ORV_FillBox(3 * W * v, 0, 3 * W * (v + 1) - 1, H - 1, (v + 1) * 0x010101, (v + 1) * 0x010101);
    ASSERT_EQ(ORV_CreateImageFL(kSlotOutput, "lenti-display", 0, 0, W, H, 100), 0);
}
int ViewAt(uint32_t pixel, int channel) { return int((pixel >> (16 - 8 * channel)) & 0xFF); }
}  // namespace

TEST_F(Pipeline, StableBandSequenceWeightsAndUntouchedRows) {
    const int W = 20, H = 7, n = 9;
    view_num = n;
    out_width = W;
    out_height = H;
    pitch = 17.357;
    FlatWork(W, H, n);
    ORV_FillBox(0, 0, W - 1, H - 1, 0xEEEEEE, 0xEEEEEE);
    InterlaceStable();
    // Row 0, shifted right by half = 4 sub-pixels: columns 4.. carry the
    // views 0, 1, 1, 2, 2, ... where the band starts are blends with the previous view.
    const int want[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 0, 0, 1};
    ORV_SelectImage(kSlotOutput);
    for (int k = 0; k < 20; ++k) {
        const int s = 4 + k;
        const int got = ViewAt(uint32_t(ORV_GetPixel(s / 3, 0)), s % 3);
        // A column where a band boundary falls blends with the previous view.
        double t = -1, b = 17.357 / 9;
        while (int(std::trunc(b)) < k) b += 17.357 / 9;
        if (int(std::trunc(b)) == k && k > 0) t = b - std::trunc(b);
        if (t < 0) {
            EXPECT_EQ(got, want[k] + 1) << k;
        } else {
            // Blended: (1 - t) * this view + t * the previous one, truncated.
            EXPECT_EQ(got, int((1 - t) * (want[k] + 1) + t * (want[k - 1] + 1))) << k;
        }
    }
    // Sub-pixels left of half + 3r stay; rows from 3R on are never written.
    EXPECT_EQ(ORV_GetPixel(0, 0), 0xEEEEEE);
    EXPECT_EQ(ORV_GetPixel(3, 6), 0xEEEEEE);
}

TEST_F(Pipeline, StableWeightsOfTheFirstBandStarts) {
    // The weights themselves: 0.9286, 0.8571, 0.7857 at columns 1, 3, 5.
    const double q = 17.357 / 9;
    double b = q;
    std::vector<double> t;
    for (int k = 1; t.size() < 3; ++k)
        if (k >= int(std::trunc(b))) t.push_back(b - std::trunc(b)), b += q;
    EXPECT_NEAR(t[0], 0.9286, 1e-4);
    EXPECT_NEAR(t[1], 0.8571, 1e-4);
    EXPECT_NEAR(t[2], 0.7857, 1e-4);
}

TEST_F(Pipeline, SmallHeightsPitchZeroAndBata) {
    view_num = 3;
    out_width = 6;
    out_height = 2;  // H < 3: nothing written
    pitch = 5;
    FlatWork(6, 2, 3);
    ORV_FillBox(0, 0, 5, 1, 0x123456, 0x123456);
    InterlaceStable();
    InterlaceBata();
    ORV_SelectImage(kSlotOutput);
    EXPECT_EQ(ORV_GetPixel(2, 1), 0x123456);
    ORV_DestroyImage(kSlotWork);
    ORV_DestroyImage(kSlotOutput);

    out_height = 3;
    pitch = 0;  // every column its own band, no blending weight
    FlatWork(6, 3, 3);
    InterlaceStable();
    ORV_SelectImage(kSlotOutput);
    EXPECT_EQ(ViewAt(uint32_t(ORV_GetPixel(0, 0)), 1), 1);  // column 1 (half = 1 shifted): view 0
    EXPECT_EQ(ViewAt(uint32_t(ORV_GetPixel(0, 0)), 2), 2);  // then view 1
    EXPECT_EQ(ViewAt(uint32_t(ORV_GetPixel(1, 0)), 0), 3);

    pitch = 5;
    InterlaceBata();
    // Row 1 starts with one black sub-pixel, row 2 with two.
    EXPECT_EQ(ViewAt(uint32_t(ORV_GetPixel(0, 1)), 0), 0);
    EXPECT_EQ(ViewAt(uint32_t(ORV_GetPixel(0, 2)), 0), 0);
    EXPECT_EQ(ViewAt(uint32_t(ORV_GetPixel(0, 2)), 1), 0);
    EXPECT_NE(ViewAt(uint32_t(ORV_GetPixel(0, 0)), 0), 0);
}

TEST_F(Pipeline, ResampleReadsBlackOutsideTheDisplay) {
    view_num = 3;
    out_width = 4;
    out_height = 6;
    ASSERT_EQ(ORV_CreateImageFL(kSlotDisplay, "display", 0, 0, 320 * 3, 240, 10), 0);
    ORV_FillBox(0, 0, 959, 239, 0x00FF00, 0x00FF00);
    ASSERT_EQ(ORV_CreateImageFL(kSlotWork, "lenti-work", 0, 0, 36, 6, 100), 0);
    x_scale = 32;  // a too large scale walks past the display's right edge
    y_scale = 50;
    ResampleViews();
    ORV_SelectImage(kSlotWork);
    EXPECT_EQ(ORV_GetPixel(0, 0), 0x00FF00);
    EXPECT_EQ(ORV_GetPixel(35, 0), 0);  // column 35 * 32 lies beyond 960
    EXPECT_EQ(ORV_GetPixel(0, 5), 0);   // row 5 * 50 lies below 240
}

TEST_F(Pipeline, FastResampleEqualsThePlainOne) {
    std::srand(7);
    struct Size {
        int W, H, n;
    } sizes[] = {{800, 480, 9}, {37, 11, 3}, {100, 250, 5}, {13, 7, 7}};
    for (const auto& c : sizes) {
        view_num = c.n;
        out_width = c.W;
        out_height = c.H;
        slot_width = 320;
        x_scale = double(slot_width) / (3 * c.W);
        y_scale = 240.0 / c.H;
        ASSERT_EQ(ORV_CreateImageFL(kSlotDisplay, "display", 0, 0, 320 * c.n, 240, 1), 0);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320 * c.n; ++x) ORV_PutPixel(x, y, std::rand() & 0xFFFFFF);
        ASSERT_EQ(ORV_CreateImageFL(kSlotWork, "lenti-work", 0, 0, 3 * c.W * c.n, c.H, 1), 0);
        ResampleViewsPlain();
        std::vector<uint32_t> plain(imageTable[kSlotWork].bitmap->row32(0),
                                    imageTable[kSlotWork].bitmap->row32(0) + size_t(3 * c.W * c.n) * c.H);
        ClearImage(kSlotWork);
        ResampleViews();
        std::vector<uint32_t> fast(imageTable[kSlotWork].bitmap->row32(0),
                                   imageTable[kSlotWork].bitmap->row32(0) + size_t(3 * c.W * c.n) * c.H);
        EXPECT_EQ(plain, fast) << c.W << "x" << c.H << " n " << c.n;
        ORV_DestroyImage(kSlotWork);
        ORV_DestroyImage(kSlotDisplay);
    }
}

TEST_F(Pipeline, FastInterlacersEqualThePlainOnes) {
    struct Interlacer {
        const char* name;
        void (*fast)();
        void (*plain)();
    } interlacers[] = {{"stable", InterlaceStable, InterlaceStablePlain}, {"bata", InterlaceBata, InterlaceBataPlain}};
    for (const Interlacer& il : interlacers) {
        std::srand(11);
        for (int round = 0; round < 40; ++round) {
            // Heights from 0 up past the point where both cores share the rows.
            const int W = 1 + std::rand() % 50, H = std::rand() % (round < 20 ? 30 : 90), n = 3 + 2 * (std::rand() % 5);
            const double pitches[] = {17.357, 0.0, 1.0, 5.5, 40.0, 0.3, -2.5, 9.0};
            view_num = n;
            out_width = W;
            out_height = H;
            pitch = pitches[round % 8] + (round >= 8 ? (std::rand() % 1000) / 100.0 : 0);
            const int workW = 3 * W * n + (round % 3 == 0 ? -5 : 0);  // sometimes narrower than it should be
            ASSERT_EQ(ORV_CreateImageFL(kSlotWork, "lenti-work", 0, 0, std::max(1, workW), std::max(1, H), 1), 0);
            for (unsigned y = 0; y < currentView.height; ++y)
                for (unsigned x = 0; x < currentView.width; ++x) ORV_PutPixel(int(x), int(y), std::rand() & 0xFFFFFF);
            ASSERT_EQ(ORV_CreateImageFL(kSlotOutput, "lenti-display", 0, 0, W, std::max(1, H), 1), 0);
            std::vector<uint32_t> start(size_t(W) * size_t(std::max(1, H)));
            for (auto& p : start) p = uint32_t(std::rand()) & 0xFFFFFF;
            uint32_t* px = reinterpret_cast<uint32_t*>(imageTable[kSlotOutput].bitmap->data());
            std::copy(start.begin(), start.end(), px);
            il.plain();
            std::vector<uint32_t> plain(px, px + start.size());
            std::copy(start.begin(), start.end(), px);
            il.fast();
            std::vector<uint32_t> fast(px, px + start.size());
            size_t firstDiff = plain.size();
            for (size_t i = 0; i < plain.size(); ++i)
                if (plain[i] != fast[i]) {
                    firstDiff = i;
                    break;
                }
            EXPECT_EQ(firstDiff, plain.size()) << il.name << ": W " << W << " H " << H << " n " << n << " pitch "
                                               << pitch << ": first difference at x " << firstDiff % size_t(W)
                                               << " y " << firstDiff / size_t(W);
            ORV_DestroyImage(kSlotOutput);
            ORV_DestroyImage(kSlotWork);
        }
    }
}

TEST_F(Pipeline, FastViewSynthesisEqualsThePlainOne) {
    std::srand(5);
    for (int round = 0; round < 12; ++round) {
        const int n = 3 + 2 * (round % 4);
        shift_max = (round * 37) % 200;
        const int style = round % 3;
        Views(
            [style](int x, int y) {
                if (style == 0) return std::rand() & 0xFF;
                if (style == 1) return (x / 40 + y / 30) % 2 ? 200 : 10;
                return (x * 3 + y) % 256;
            },
            n);
        // Start from the same noise in both runs: columns no write reaches keep it.
        std::vector<uint32_t> start(size_t(320 * n) * 240);
        for (auto& p : start) p = uint32_t(std::rand()) & 0xFFFFFF;
        uint32_t* px = reinterpret_cast<uint32_t*>(imageTable[kSlotDisplay].bitmap->data());
        std::copy(start.begin(), start.end(), px);
        SynthesiseViewsPlain();
        std::vector<uint32_t> plain(px, px + start.size());
        std::copy(start.begin(), start.end(), px);
        SynthesiseViews();
        std::vector<uint32_t> fast(px, px + start.size());
        EXPECT_TRUE(plain == fast) << "round " << round << " n " << n << " shift " << shift_max;
        for (int s : {kSlotDisplay, kSlotDepth, kSlotBasepic}) ORV_DestroyImage(s);
    }
}
