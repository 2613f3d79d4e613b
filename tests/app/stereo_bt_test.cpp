#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "app/stereo_bt.h"
#include "app/stereo_bt_rows.h"

namespace {

struct Grey {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
};

bool ReadPgm(const std::string& path, Grey* g) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::string magic;
    int maxv;
    f >> magic >> g->w >> g->h >> maxv;
    f.get();
    if (magic != "P5" || maxv != 255) return false;
    g->px.resize(size_t(g->w) * size_t(g->h));
    f.read(reinterpret_cast<char*>(g->px.data()), std::streamsize(g->px.size()));
    return bool(f);
}

const std::string kData = std::string(ORV_SHARED_DATA) + "/stereo/";

}  // namespace

TEST(StereoBT, MatchesTheOriginalByteForByte) {
    for (const char* pair : {"opencv1_doc_example", "synthetic_blocks"}) {
        Grey l, r, want;
        if (!ReadPgm(kData + pair + "/left.pgm", &l) || !ReadPgm(kData + pair + "/right.pgm", &r) ||
            !ReadPgm(kData + pair + "/expected.pgm", &want))
            GTEST_SKIP() << "no shared stereo data";
        std::vector<uint8_t> out(l.px.size(), 0);
        ASSERT_EQ(FindStereoCorrespondenceBT(l.px.data(), r.px.data(), out.data(), l.w, l.h, l.w, 100, 15.0, 3.0,
                                             6.0, 8.0, 15.0),
                  0);
        size_t diff = 0, first = out.size();
        for (size_t k = 0; k < out.size(); ++k)
            if (out[k] != want.px[k]) {
                ++diff;
                if (first == out.size()) first = k;
            }
        EXPECT_EQ(diff, 0u) << pair << ": first at x " << (first % size_t(l.w)) << " y " << (first / size_t(l.w));
    }
}

namespace {

// A textured pair: the right picture is the left shifted by `shift(x, y)`.
template <class Shift>
void MakePair(int w, int h, Shift shift, std::vector<uint8_t>* l, std::vector<uint8_t>* r) {
    auto tex = [](int x, int y) { return uint8_t((x * 37 + y * 11 + (x * x * 7 + y * 3) % 23) * 13 % 251); };
    l->assign(size_t(w) * size_t(h), 0);
    r->assign(size_t(w) * size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            (*l)[size_t(y) * size_t(w) + size_t(x)] = tex(x, y);
            // Right pixel x shows the left scene point at x + d.
            (*r)[size_t(y) * size_t(w) + size_t(x)] = tex(x + shift(x, y), y);
        }
}

double ShareOff(const std::vector<uint8_t>& out, int w, int h, int want, int x0, int x1) {
    int bad = 0, n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = x0; x < x1; ++x, ++n) bad += std::abs(int(out[size_t(y) * size_t(w) + size_t(x)]) - want) > 1;
    return double(bad) / n;
}

}  // namespace

TEST(StereoBT, ConstantAndSteppedShifts) {
    const int w = 160, h = 40;
    std::vector<uint8_t> l, r, out;
    for (int d : {0, 5, 20}) {
        MakePair(w, h, [d](int, int) { return d; }, &l, &r);
        out.assign(l.size(), 0);
        ASSERT_EQ(FindStereoCorrespondenceBT(l.data(), r.data(), out.data(), w, h, w, 40, 15, 3, 6, 8, 15), 0);
        EXPECT_LT(ShareOff(out, w, h, d, d + 4, w - 4), 0.05) << "shift " << d;
        for (uint8_t v : out) EXPECT_LE(v, 40);  // never beyond the search range
    }
    // A near square (disparity 24) over a background at 8: the step shows.
    MakePair(w, h, [](int x, int) { return x >= 60 && x < 110 ? 24 : 8; }, &l, &r);
    out.assign(l.size(), 0);
    ASSERT_EQ(FindStereoCorrespondenceBT(l.data(), r.data(), out.data(), w, h, w, 40, 15, 3, 6, 8, 15), 0);
    EXPECT_LT(ShareOff(out, w, h, 8, 12, 55), 0.1);
}

TEST(StereoBT, TexturelessPicturesAndBadArguments) {
    const int w = 64, h = 16;
    std::vector<uint8_t> flat(size_t(w) * h, 90), out(size_t(w) * h, 7);
    ASSERT_EQ(FindStereoCorrespondenceBT(flat.data(), flat.data(), out.data(), w, h, w, 20, 15, 3, 6, 8, 15), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 1; x < w; ++x) EXPECT_EQ(out[size_t(y) * w + size_t(x)], 0);  // nothing to match: disparity 0
    EXPECT_EQ(out[0], 7);  // column 0 keeps what the buffer held
    std::vector<uint8_t> keep = out;
    EXPECT_EQ(FindStereoCorrespondenceBT(flat.data(), flat.data(), out.data(), w, h, w, 0, 15, 3, 6, 8, 15), -1);
    EXPECT_EQ(FindStereoCorrespondenceBT(flat.data(), flat.data(), out.data(), w, h, w, 64, 15, 3, 6, 8, 15), -1);
    EXPECT_EQ(FindStereoCorrespondenceBT(flat.data(), flat.data(), out.data(), w, h, w, 256, 15, 3, 6, 8, 15), -1);
    EXPECT_EQ(out, keep);
}

TEST(StereoBT, FastSearchEqualsThePlainOne) {
    // Random pictures, shifted textures and flat patches, at sizes that leave
    // lane groups part-filled, with the search range up to the width and
    // parameters beyond the program's (negative, default 12345, ties).
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    struct Case {
        int w, h, d;
        double p1, p2, p3, p4, p5;
    };
    std::vector<Case> cases = {{320, 240, 100, 15, 3, 6, 8, 15}, {2, 1, 1, 15, 3, 6, 8, 15},
                               {7, 3, 6, 15, 3, 6, 8, 15},       {33, 17, 32, 12345, 12345, 12345, 12345, 12345},
                               {50, 20, 10, -4, 7, 2, 3, 4},     {41, 35, 40, 0, 0, 1, 1, 1}};
    for (int n = 0; n < 24; ++n) {
        const int w = pick(2, 200);
        cases.push_back({w, pick(1, 70), pick(1, std::min(255, w - 1)), double(pick(-5, 30)), double(pick(-3, 10)),
                         double(pick(0, 12)), double(pick(0, 20)), double(pick(0, 30))});
    }
    for (const Case& c : cases) {
        const int stride = c.w + pick(0, 5);
        std::vector<uint8_t> l(size_t(stride) * size_t(c.h)), r(l.size());
        const int kind = pick(0, 2), shift = pick(0, c.d);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < stride; ++x) {
                const size_t k = size_t(y) * size_t(stride) + size_t(x);
                l[k] = uint8_t(pick(0, 255));
                r[k] = kind == 0 ? uint8_t(pick(0, 255)) : l[size_t(y) * size_t(stride) + size_t(std::min(x + shift, c.w - 1))];
                if (kind == 2 && x % 40 < 15) l[k] = r[k] = 128;  // flat patches: ties everywhere
            }
        std::vector<uint8_t> fast(l.size()), plain(l.size());
        for (size_t k = 0; k < fast.size(); ++k) fast[k] = plain[k] = uint8_t(k * 31);  // what the buffer held
        const int rf = FindStereoCorrespondenceBT(l.data(), r.data(), fast.data(), c.w, c.h, stride, c.d, c.p1, c.p2,
                                                  c.p3, c.p4, c.p5);
        const int rp = FindStereoCorrespondenceBTPlain(l.data(), r.data(), plain.data(), c.w, c.h, stride, c.d, c.p1,
                                                       c.p2, c.p3, c.p4, c.p5);
        ASSERT_EQ(rf, rp);
        ASSERT_EQ(fast, plain) << c.w << " x " << c.h << " D " << c.d << " p1 " << c.p1 << " p2 " << c.p2 << " kind "
                               << kind;
    }
}

TEST(StereoBT, LaneRowSearchEqualsTheOneRowSearch) {
    if (!stereo_bt::LanesAvailable()) GTEST_SKIP() << "no AVX2: the search runs a row at a time here";
    // The dynamic programme alone, on random pictures and random edge flags
    // (so that every step is allowed and refused somewhere), with row counts
    // that fill one vector, two, and part of either.
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (const int h : {1, 7, 8, 9, 16, 17, 40}) {
        const int w = pick(2, 150), stride = w + 3, d = pick(1, std::min(255, w - 1));
        std::vector<uint8_t> l(size_t(stride) * size_t(h)), r(l.size()), flags(size_t(w) * size_t(h));
        for (auto& v : l) v = uint8_t(pick(0, 255));
        for (auto& v : r) v = uint8_t(pick(0, 255));
        for (auto& v : flags) v = uint8_t(pick(0, 3));
        std::vector<uint8_t> plain(l.size(), 9), lanes(l.size(), 9);
        const int p1 = pick(-5, 30), p2 = pick(-3, 10);
        stereo_bt::SearchRowsPlain({l.data(), r.data(), flags.data(), plain.data(), w, stride, d, p1, p2}, 0, h);
        stereo_bt::SearchRowsLanes({l.data(), r.data(), flags.data(), lanes.data(), w, stride, d, p1, p2}, 0, h);
        EXPECT_EQ(lanes, plain) << w << " x " << h << " D " << d;
    }
}

TEST(StereoBT, MiddleburyErrorShares) {
    // Reported, not a pass mark: the method's known quality on research data.
    for (const char* pair : {"tsukuba", "venus", "teddy", "cones", "synthetic_dots"}) {
        Grey l, r, gt, mask;
        const std::string base = kData + pair + "/";
        if (!ReadPgm(base + "left.pgm", &l) || !ReadPgm(base + "right.pgm", &r) || !ReadPgm(base + "gt.pgm", &gt))
            GTEST_SKIP() << "no shared stereo data";
        const bool hasMask = ReadPgm(base + "mask_nonocc.pgm", &mask);
        double scale = 1;
        std::ifstream(base + "scale.txt") >> scale;
        std::vector<uint8_t> out(l.px.size(), 0);
        ASSERT_EQ(FindStereoCorrespondenceBT(l.px.data(), r.px.data(), out.data(), l.w, l.h, l.w, 100, 15, 3, 6, 8, 15), 0);
        int bad = 0, n = 0;
        for (size_t k = 0; k < out.size(); ++k) {
            if (gt.px[k] == 0 || (hasMask && mask.px[k] != 255)) continue;
            ++n;
            bad += std::abs(out[k] - gt.px[k] / scale) > 1;
        }
        std::printf("%-16s %5.1f %% of %d pixels off by more than 1\n", pair, 100.0 * bad / std::max(1, n), n);
        EXPECT_LT(double(bad) / std::max(1, n), 0.6) << pair;
    }
}

#include "app/depth.h"

TEST(Depth, GreyThroughOpenCvAndThePixelWords) {
    std::vector<uint8_t> left(320 * 240 * 3), right(320 * 240 * 3);
    for (size_t i = 0; i < left.size(); i += 3) {
        left[i] = 10, left[i + 1] = 200, left[i + 2] = 90;  // B, G, R
        right[i] = 255, right[i + 1] = 255, right[i + 2] = 255;
    }
    DepthImages d;
    ASSERT_TRUE(CreateDepthImages(&d));
    ComputeDepth(&d, left.data(), right.data());
    // OpenCV's weights: 0.299 R + 0.587 G + 0.114 B, rounded.
    EXPECT_EQ(ImageBytes(d.leftGrey)[1000], uint8_t(0.299 * 90 + 0.587 * 200 + 0.114 * 10 + 0.5));
    EXPECT_EQ(ImageBytes(d.rightGrey)[5], 255);
    EXPECT_EQ(ImageBytes(d.leftColour), left.data());  // wrapped, not copied
    std::vector<uint32_t> words(76800);
    BgrToPixels(left.data(), words.data());
    EXPECT_EQ(words[7], 0x5AC80Au);
    GreyToPixels(words.data(), ImageBytes(d.leftGrey));
    EXPECT_EQ(words[9], uint32_t(ImageBytes(d.leftGrey)[9]) * 0x010101u);
    ReleaseDepthImages(&d);  // frees OpenCV's own storage, not the camera buffers
    EXPECT_EQ(d.leftColour, nullptr);
    EXPECT_EQ(left[0], 10);
}
