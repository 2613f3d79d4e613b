#include <gtest/gtest.h>

#include <cstring>

#include "platform/dc.h"
#include "platform/surface.h"

using namespace plat;

namespace {

std::unique_ptr<Surface> make32(int w, int h, std::initializer_list<uint32_t> px) {
    auto s = Surface::create(w, h, 32);
    auto it = px.begin();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s->row32(y)[x] = it != px.end() ? *it++ : 0;
    return s;
}

std::vector<uint32_t> pixels(const Surface& s) {
    std::vector<uint32_t> v;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) v.push_back(s.colorAt(x, y));
    return v;
}

}  // namespace

TEST(Surface, RejectsBadSizesBeforeAllocating) {
    EXPECT_EQ(Surface::create(0, 10, 32), nullptr);
    EXPECT_EQ(Surface::create(10, -1, 32), nullptr);
    EXPECT_EQ(Surface::create(10, 10, 24), nullptr);
    EXPECT_EQ(Surface::create(1 << 20, 1 << 20, 32), nullptr);
    auto s = Surface::create(5, 3, 8);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->stride(), 8);  // 8-bit rows padded to 4 bytes
}

TEST(Dc, CopyBlockClipsAndConvertsEightBit) {
    auto src = Surface::create(2, 2, 8);
    src->palette[1] = 0x112233;
    src->palette[2] = 0xABCDEF;
    src->row8(0)[0] = 1;
    src->row8(0)[1] = 2;
    src->row8(1)[0] = 2;
    src->row8(1)[1] = 1;
    auto dst = make32(3, 2, {});
    Dc d(dst.get()), s(src.get());
    copyBlock(d, 1, 0, 5, 5, s, 0, 0);  // larger than both: clipped
    EXPECT_EQ(pixels(*dst), (std::vector<uint32_t>{0, 0x112233, 0xABCDEF, 0, 0xABCDEF, 0x112233}));
}

TEST(Dc, CopyWithinOneSurfaceHandlesOverlap) {
    auto s = make32(1, 4, {1, 2, 3, 4});
    Dc d(s.get());
    copyBlock(d, 0, 1, 1, 3, d, 0, 0);  // scroll down by one row
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{1, 1, 2, 3}));
    copyBlock(d, 0, 0, 1, 3, d, 0, 1);  // and back up
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{1, 2, 3, 3}));
}

TEST(Dc, StretchNearestAndMirrored) {
    auto src = make32(2, 1, {0xAA, 0xBB});
    struct Case {
        int w, h, sw;
        std::vector<uint32_t> want;
    } cases[] = {
        {4, 1, 2, {0xAA, 0xAA, 0xBB, 0xBB}},    // doubled
        {-4, 1, 2, {0xBB, 0xBB, 0xAA, 0xAA}},   // mirrored by the target extent
        {4, 1, -2, {0xBB, 0xBB, 0xAA, 0xAA}},   // mirrored by the source extent
        {-4, 1, -2, {0xAA, 0xAA, 0xBB, 0xBB}},  // both: not mirrored
        {1, 1, 2, {0xAA}},                      // shrunk: first of the span
    };
    for (const auto& c : cases) {
        auto dst = Surface::create(std::abs(c.w), 1, 32);
        Dc d(dst.get()), s(src.get());
        const int x = c.w < 0 ? std::abs(c.w) - 1 : 0;
        const int sx = c.sw < 0 ? 1 : 0;
        stretchBlock(d, x, 0, c.w, c.h, s, sx, 0, c.sw, 1);
        EXPECT_EQ(pixels(*dst), c.want) << c.w << " " << c.sw;
    }
}

TEST(Dc, HalftoneAveragesTheSourceArea) {
    auto src = make32(4, 2, {0x000000, 0x0000FF, 0x00FF00, 0x00FF00, 0x000000, 0x0000FF, 0xFF0000, 0xFF0000});
    auto dst = Surface::create(2, 1, 32);
    Dc d(dst.get()), s(src.get());
    d.stretchMode = StretchMode::Halftone;
    stretchBlock(d, 0, 0, 2, 1, s, 0, 0, 4, 2);
    EXPECT_EQ(dst->colorAt(0, 0), 0x000080u);  // (0 + 255 + 0 + 255) / 4, rounded
    EXPECT_EQ(dst->colorAt(1, 0), 0x808000u);
}

TEST(Dc, FillInvertAndEightBitTargets) {
    auto s = Surface::create(3, 1, 8);
    s->palette[0] = 0x000000;
    s->palette[7] = 0xFF0000;
    s->palette[9] = 0xFE0101;
    Dc d(s.get());
    d.brush = 0xFF0000;
    patternFill(d, 0, 0, 2, 1);
    EXPECT_EQ(s->row8(0)[0], 7);
    EXPECT_EQ(s->row8(0)[2], 0);
    invertRect(d, {0, 0, 1, 1});
    EXPECT_EQ(s->row8(0)[0], 7 ^ 0xFF);

    auto t = make32(2, 1, {0x123456, 0});
    Dc dt(t.get());
    invertRect(dt, {0, 0, 1, 1});
    EXPECT_EQ(t->colorAt(0, 0), 0xEDCBA9u);
}

TEST(Dc, ExportsBottomUpRowsPaddedToFourBytes) {
    auto s = make32(1, 2, {0x010203, 0x040506});
    size_t n = 0;
    auto b = exportBottomUp24(*s, &n);
    ASSERT_EQ(n, 8u);
    const uint8_t want[8] = {6, 5, 4, 0, 3, 2, 1, 0};
    EXPECT_EQ(std::memcmp(b.get(), want, 8), 0);
}

TEST(Dc, WindowTargetSurvivesItsSurfaceGoing) {
    auto s = make32(2, 2, {});
    auto target = std::make_shared<DcTarget>();
    target->surface = s.get();
    target->clip = {1, 0, 2, 2};  // only the right column
    Dc d;
    d.target = target;
    fillRect(d, {0, 0, 2, 2}, 0xFFFFFF);
    EXPECT_EQ(pixels(*s), (std::vector<uint32_t>{0, 0xFFFFFF, 0, 0xFFFFFF}));
    target->surface = nullptr;  // the window went away
    fillRect(d, {0, 0, 2, 2}, 0x111111);
    textOut(d, 0, 0, std::string_view("x"));
}
