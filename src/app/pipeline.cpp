#include "app/pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/two_cores.h"
#include "image/colour.h"
#include "image/image_table.h"
#include "windows/image_window.h"

int out_width = 0, out_height = 0;
double pitch = 0.0;
int view_num = 9;
int shift_max = 80;
bool bata_mode = false;
int slot_width = 320;
double x_scale = 320.0 / 2400.0, y_scale = 0.5;

namespace {

bool Live(int n) { return unsigned(n) < unsigned(kImageSlots) && imageTable[n].inUse && imageTable[n].bitmap; }

// Bounds-checked pixel access to a slot: outside reads black, writes nothing.
uint32_t At(int n, int x, int y) {
    if (!Live(n)) return 0;
    const ImageSlot& s = imageTable[n];
    if (unsigned(x) >= unsigned(s.width) || unsigned(y) >= unsigned(s.height)) return 0;
    return s.bitmap->row32(y)[x];
}

void Put(int n, int x, int y, uint32_t c) {
    if (!Live(n)) return;
    ImageSlot& s = imageTable[n];
    if (unsigned(x) >= unsigned(s.width) || unsigned(y) >= unsigned(s.height)) return;
    s.bitmap->row32(y)[x] = c;
}

int Width(int n) { return Live(n) ? imageTable[n].width : 0; }
int Height(int n) { return Live(n) ? imageTable[n].height : 0; }

int Disparity(int x, int y) { return HsvValue(int(At(kSlotDepth, x, y))); }

int Channel(uint32_t c, int ch) { return int((c >> (16 - 8 * ch)) & 0xFF); }
uint32_t WithChannel(uint32_t c, int ch, int v) {
    const int shift = 16 - 8 * ch;
    return ((c & ~(0xFFu << shift)) | (uint32_t(v & 0xFF) << shift)) & 0xFFFFFF;
}

// The interlacers' working storage, sized by the output limits.
uint32_t g_prev[kMaxOutHeight / 3 + 1];
// The band table is sized for the renderer's prints (about 0.9 MB); the
// live program uses the first 7,000 entries at most. The row buffers serve
// the plain reference only, at the live program's sizes.
int g_bandView[4 * kMaxPrintSize];
uint8_t g_bandMark[4 * kMaxPrintSize];
double g_bandFraction[4 * kMaxPrintSize];
uint32_t g_rowA[3 * kMaxOutWidth + 2], g_rowB[3 * kMaxOutWidth + 2], g_rowC[3 * kMaxOutWidth + 2];

// Row blocks are independent: half each on the two cores.
void OnBothCores(int R, const std::function<void(int, int)>& rows) { SplitOverTwoCores(R, 4, rows); }

}  // namespace

void ORV_PutPixelBlock(const void* pixels, int x, int width, int height) {
    if (!Live(currentImage) || !pixels) return;
    const ImageSlot& s = imageTable[currentImage];
    for (int y = 0; y < height; ++y)
        for (int i = 0; i < width; ++i) {
            if (s.bitsPerPixel == 32)
                PutPixelQuiet(x + i, y, int(static_cast<const uint32_t*>(pixels)[size_t(y) * size_t(width) + size_t(i)]));
            else
                PutPixelQuiet(x + i, y, static_cast<const uint8_t*>(pixels)[size_t(y) * size_t(width) + size_t(i)]);
        }
}

void SynthesiseLeftView(int a, int b) {
    const int w = Width(kSlotDepth), h = Height(kSlotDepth), x0 = w * a;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = Disparity(x, y), d = v * b / 256;
            Put(kSlotDisplay, x0 + x - d, y, At(kSlotBasepic, x, y));
            const int vn = x + 1 < w ? Disparity(x + 1, y) : 0;
            if (vn < v) {
                const int gap = d - vn * b / 256;
                const uint32_t fill = x + 1 < w ? At(kSlotBasepic, x + 1, y) : 0;
                for (int j = 1; j <= gap; ++j)
                    if (x - d + j >= 0) Put(kSlotDisplay, x0 + x - d + j, y, fill);
            }
        }
}

void SynthesiseRightView(int a, int b) {
    const int w = Width(kSlotDepth), h = Height(kSlotDepth), x0 = w * a;
    for (int y = 0; y < h; ++y)
        for (int x = w - 1; x >= 0; --x) {
            const int v = Disparity(x, y), d = v * b / 256;
            Put(kSlotDisplay, x0 + x + d, y, At(kSlotBasepic, x, y));
            const int vp = x > 0 ? Disparity(x - 1, y) : 0;
            if (vp < v) {
                const int gap = d - vp * b / 256;
                const uint32_t fill = x > 0 ? At(kSlotBasepic, x - 1, y) : 0;
                for (int j = 1; j <= gap; ++j) Put(kSlotDisplay, x0 + x + d - j, y, fill);
            }
        }
}

void SynthesiseViewsPlain() {
    const int half = view_num / 2;
    for (int a = 0; a < half; ++a) SynthesiseLeftView(a, (half - a) * shift_max);
    if (Live(kSlotDisplay) && Live(kSlotBasepic)) {
        ORV_SelectImage(kSlotDisplay);
        const ImageSlot& base = imageTable[kSlotBasepic];
        ORV_PutPixelBlock(base.bitmap->data(), base.width * half, base.width, base.height);
    }
    for (int k = 1; k <= half; ++k) SynthesiseRightView(half + k, k * shift_max);
}

void SynthesiseViews() {
    if (!Live(kSlotBasepic) || !Live(kSlotDepth) || !Live(kSlotDisplay)) return;
    const ImageSlot& base = imageTable[kSlotBasepic];
    const ImageSlot& depth = imageTable[kSlotDepth];
    ImageSlot& disp = imageTable[kSlotDisplay];
    const int w = depth.width, h = depth.height, half = view_num / 2;
    const int dw = disp.width, dh = disp.height;
    // The base picture may be smaller than the depth image: outside reads black.
    auto basePx = [&](int x, int y) -> uint32_t {
        return unsigned(x) < unsigned(base.width) && unsigned(y) < unsigned(base.height) ? base.bitmap->row32(y)[x] : 0;
    };
    // Rows are independent; within a row the views go in the pass order, so
    // later writes still win. Half the rows on each core.
    const int rows = std::min(std::max(h, base.height), dh);
    SplitOverTwoCores(rows, 8, [&](int y0, int y1) {
        thread_local std::vector<int> disparity;
        if (disparity.size() < size_t(w)) disparity.resize(size_t(w));
        for (int y = y0; y < y1; ++y) {
            uint32_t* out = disp.bitmap->row32(y);
            auto put = [&](int x, uint32_t c) {
                if (unsigned(x) < unsigned(dw)) out[x] = c;
            };
            if (y < h) {
                const uint32_t* dep = depth.bitmap->row32(y);
                for (int x = 0; x < w; ++x) {
                    const uint32_t c = dep[x];
                    disparity[size_t(x)] = int(std::max({(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF}));
                }
            }
            // View a, b = its shift, moved left of the centre or right of it.
            auto view = [&](int a, int b, bool leftward) {
                const int x0 = w * a;
                if (leftward) {
                    for (int x = 0; x < w; ++x) {
                        const int v = disparity[size_t(x)], d = v * b / 256;
                        put(x0 + x - d, basePx(x, y));
                        const int vn = x + 1 < w ? disparity[size_t(x) + 1] : 0;
                        if (vn < v) {
                            const int gap = d - vn * b / 256;
                            const uint32_t fill = x + 1 < w ? basePx(x + 1, y) : 0;
                            for (int j = std::max(1, d - x); j <= gap; ++j) put(x0 + x - d + j, fill);
                        }
                    }
                } else {
                    for (int x = w - 1; x >= 0; --x) {
                        const int v = disparity[size_t(x)], d = v * b / 256;
                        put(x0 + x + d, basePx(x, y));
                        const int vp = x > 0 ? disparity[size_t(x) - 1] : 0;
                        if (vp < v) {
                            const int gap = d - vp * b / 256;
                            const uint32_t fill = x > 0 ? basePx(x - 1, y) : 0;
                            for (int j = 1; j <= gap; ++j) put(x0 + x + d - j, fill);
                        }
                    }
                }
            };
            if (y < h)
                for (int a = 0; a < half; ++a) view(a, (half - a) * shift_max, true);
            // The centre view: the base picture copied in at its place.
            if (y < base.height)
                for (int x = 0; x < base.width; ++x) put(base.width * half + x, base.bitmap->row32(y)[x]);
            if (y < h)
                for (int k = 1; k <= half; ++k) view(half + k, k * shift_max, false);
        }
    });
}

void ResampleViewsPlain() {
    const int W = out_width, H = out_height, n = view_num;
    for (int y = 0; y < H; ++y) {
        const int sy = int(y * y_scale);
        for (int x = 0; x < 3 * W * n; ++x) Put(kSlotWork, x, y, At(kSlotDisplay, int(x * x_scale), sy));
    }
}

void ResampleViews() {
    if (!Live(kSlotWork) || !Live(kSlotDisplay)) return;
    const ImageSlot& work = imageTable[kSlotWork];
    const ImageSlot& disp = imageTable[kSlotDisplay];
    const int H = std::min(out_height, work.height);
    const int width = std::min(3 * out_width * view_num, work.width);
    if (H <= 0 || width <= 0) return;
    // The source column of every target column, -1 outside the display;
    // kept across passes (it grows, it is not made anew each pass).
    static std::vector<int> column;
    if (column.size() < size_t(width)) column.resize(size_t(width));
    for (int x = 0; x < width; ++x) {
        const int sx = int(x * x_scale);
        column[size_t(x)] = unsigned(sx) < unsigned(disp.width) ? sx : -1;
    }
    // Rows are independent: half each on the two cores.
    SplitOverTwoCores(H, 8, [&](int y0, int y1) {
        int lastSy = -1;
        for (int y = y0; y < y1; ++y) {
            const int sy = int(y * y_scale);
            uint32_t* out = work.bitmap->row32(y);
            if (y > y0 && sy == lastSy) {
                // The same source row as the row above: copy it.
                std::memcpy(out, work.bitmap->row32(y - 1), size_t(width) * 4);
                continue;
            }
            lastSy = sy;
            if (unsigned(sy) >= unsigned(disp.height)) {
                std::fill_n(out, width, 0u);
                continue;
            }
            const uint32_t* in = disp.bitmap->row32(sy);
            for (int x = 0; x < width; ++x) {
                const int sx = column[size_t(x)];
                out[x] = sx < 0 ? 0 : in[sx];
            }
        }
    });
}

uint32_t BlendRgb(double t, uint32_t a, uint32_t b) {
    // Every channel on its own, in double precision, truncated and clamped.
    auto channel = [t](uint32_t ca, uint32_t cb) {
        double v = std::trunc((1.0 - t) * int(ca & 0xFF) + t * int(cb & 0xFF));
        v = v < 0 ? 0 : v > 255 ? 255 : v;
        return uint32_t(v);
    };
    return channel(a >> 16, b >> 16) << 16 | channel(a >> 8, b >> 8) << 8 | channel(a, b);
}

void PutSubpixel(int s, uint32_t colour, int r) {
    const int c = s / 3, m = s % 3;
    // (pixel offset, channel) for rows 3r, 3r+1, 3r+2.
    static const int kPix[3][3] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}};
    static const int kCh[3][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}};
    for (int row = 0; row < 3; ++row) {
        const int px = c + kPix[m][row], ch = kCh[m][row], y = 3 * r + row;
        Put(kSlotOutput, px, y, WithChannel(At(kSlotOutput, px, y), ch, Channel(colour, ch)));
    }
}

void InterlaceStablePlain() {
    const int W = out_width, n = view_num, R = out_height / 3;
    if (n <= 0 || R > kMaxOutHeight / 3 + 1) return;
    const double q = pitch / n;
    double b = q, t = 0;
    int k = 0;
    bool blend = false;
    const int half = n / 2, S = Width(kSlotWork) / n;
    while (k < 3 * W) {
        int v = 0;
        while (v < n) {
            for (int r = 0; r < R; ++r) {
                const uint32_t c = At(kSlotWork, k + v * S + 3 * r, 3 * r);
                const uint32_t out = blend ? BlendRgb(t, c, g_prev[r]) : c;
                g_prev[r] = c;
                PutSubpixel(half + k + 3 * r, out, r);
            }
            ++k;
            blend = false;
            if (k >= int(std::trunc(b))) {
                ++v;
                blend = true;
                t = b - std::trunc(b);
                b += q;
            }
        }
    }
    ORV_DrawImage(kSlotOutput);
}

namespace {

// The band walk of the stable interlacer, the same for every row block: for
// each sub-pixel column k the view it samples and whether (and how much)
// it blends with the column before. Grown, not remade, from pass to pass.
struct StableColumns {
    std::vector<int> view;
    std::vector<double> weight;
    std::vector<uint8_t> blends;  // the weight applies (it may be negative for a negative pitch)
    int count = 0;
};

void BuildStableColumns(StableColumns& c) {
    const int W = out_width, n = view_num;
    c.count = 0;
    if (n <= 0) return;
    const double q = pitch / n;
    double b = q, t = 0;
    int k = 0;
    bool blend = false;
    auto push = [&](int v) {
        if (c.view.size() <= size_t(k)) {
            c.view.resize(size_t(k) + 64);
            c.weight.resize(size_t(k) + 64);
            c.blends.resize(size_t(k) + 64);
        }
        c.view[size_t(k)] = v;
        c.weight[size_t(k)] = t;
        c.blends[size_t(k)] = blend;
    };
    while (k < 3 * W) {
        int v = 0;
        while (v < n) {
            push(v);
            ++k;
            blend = false;
            if (k >= int(std::trunc(b))) {
                ++v;
                blend = true;
                t = b - std::trunc(b);
                b += q;
            }
        }
    }
    c.count = k;
}

StableColumns g_stable;

// Sub-pixels [uBegin, uEnd) of one output row take their own channel of
// samples[u - uBegin]; the other channels of the pixels at either end are
// kept, and every pixel touched loses bits 24-31.
void PutSubpixelRun(uint32_t* row, int width, int uBegin, int uEnd, const uint32_t* samples) {
    static constexpr uint32_t kMask[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    uEnd = std::min(uEnd, 3 * width);
    if (uBegin >= uEnd) return;
    const int pFirst = uBegin / 3, pLast = (uEnd - 1) / 3;
    auto partial = [&](int p) {
        uint32_t v = row[p] & 0xFFFFFF;
        for (int ch = 0; ch < 3; ++ch) {
            const int u = 3 * p + ch;
            if (u >= uBegin && u < uEnd) v = (v & ~kMask[ch]) | (samples[u - uBegin] & kMask[ch]);
        }
        row[p] = v;
    };
    partial(pFirst);
    if (pLast == pFirst) return;
    for (int p = pFirst + 1; p < pLast; ++p) {
        const uint32_t* s = samples + (3 * p - uBegin);
        row[p] = (s[0] & kMask[0]) | (s[1] & kMask[1]) | (s[2] & kMask[2]);
    }
    partial(pLast);
}

}  // namespace

void InterlaceStableRows(const WorkRowFn& workRow, int workWidth, Pixels32& out, int r0, int r1) {
    const int n = view_num, half = n / 2;
    if (n <= 0 || out.width <= 0) return;
    const int S = workWidth / n;
    // The colours of one row block's columns k, as far as any is seen.
    thread_local std::vector<uint32_t> colours;
    if (colours.size() < 3 * size_t(out.width)) colours.resize(3 * size_t(out.width));
    for (int r = r0; r < r1; ++r) {
        // Column k goes to sub-pixel half + 3r + k + j of row 3r + j.
        const int u0 = half + 3 * r;
        const int count = std::min(g_stable.count, 3 * out.width - u0);
        if (count <= 0) continue;
        const uint32_t* row = workRow(r);
        uint32_t prev = 0;
        for (int k = 0; k < count; ++k) {
            const int x = k + g_stable.view[size_t(k)] * S + 3 * r;
            const uint32_t c = row && unsigned(x) < unsigned(workWidth) ? row[x] : 0;
            colours[size_t(k)] = g_stable.blends[size_t(k)] ? BlendRgb(g_stable.weight[size_t(k)], c, prev) : c;
            prev = c;
        }
        for (int j = 0; j < 3; ++j) {
            const int y = 3 * r + j;
            if (y >= out.height) break;
            PutSubpixelRun(out.pixels + size_t(y) * size_t(out.width), out.width, u0 + j, u0 + j + count,
                           colours.data());
        }
    }
}

void InterlaceStable() {
    if (!Live(kSlotWork) || !Live(kSlotOutput)) return;
    const int R = out_height / 3;
    if (view_num <= 0 || R <= 0 || out_width <= 0) return;
    PrepareInterlacers();
    ImageSlot& w = imageTable[kSlotWork];
    ImageSlot& o = imageTable[kSlotOutput];
    const WorkRowFn row = [&w](int r) -> const uint32_t* {
        return unsigned(3 * r) < unsigned(w.height) ? w.bitmap->row32(3 * r) : nullptr;
    };
    Pixels32 out{reinterpret_cast<uint32_t*>(o.bitmap->data()), o.width, o.height};
    OnBothCores(R, [&](int r0, int r1) { InterlaceStableRows(row, w.width, out, r0, r1); });
    ORV_DrawImage(kSlotOutput);
}

namespace {

void BuildBataTable() {
    const int W = out_width, H = out_height, n = view_num;
    const double q = pitch / n;
    const int N = H + 3 * W;
    double e = q;
    int j = 0;
    for (int i = 0; i < N; ++i) {
        g_bandView[i] = j;
        g_bandMark[i] = 0;
        g_bandFraction[i] = 0;
        if (i >= int(std::trunc(e))) {
            g_bandMark[i] = 1;
            g_bandFraction[i] = e - std::trunc(e);
            if (++j == n) j = 0;
            e += q;
        }
    }
}

bool BataSizesOk() {
    return view_num > 0 && out_width > 0 && out_height > 0 && out_width <= kMaxPrintSize &&
           out_height <= kMaxPrintSize;
}

}  // namespace

void PrepareInterlacers() {
    BuildStableColumns(g_stable);
    if (BataSizesOk()) BuildBataTable();
}

void InterlaceBataPlain() {
    const int W = out_width, H = out_height, R = H / 3;
    if (!BataSizesOk() || W > kMaxOutWidth) return;
    BuildBataTable();
    for (int r = 0; r < R; ++r) {
        const int base = 3 * (R - r);
        uint32_t previous = 0;
        for (int x = 0; x < 3 * W; ++x) {
            const int i = base + x;
            uint32_t c = At(kSlotWork, x + 3 * W * g_bandView[i], 3 * r);
            if (x > 0 && g_bandMark[i - 1]) c = BlendRgb(g_bandFraction[i - 1], c, previous);
            previous = c;
            // Each buffer keeps one channel of c in that channel's own place.
            const int ch = x % 3;
            g_rowA[x] = WithChannel(0, ch, Channel(c, ch));
            g_rowB[x + 1] = WithChannel(0, (ch + 1) % 3, Channel(c, (ch + 1) % 3));
            g_rowC[x + 2] = WithChannel(0, (ch + 2) % 3, Channel(c, (ch + 2) % 3));
        }
        g_rowB[0] = g_rowC[0] = g_rowC[1] = 0;
        for (int p = 0; p < W; ++p) {
            Put(kSlotOutput, p, 3 * r, g_rowA[3 * p] | g_rowA[3 * p + 1] | g_rowA[3 * p + 2]);
            Put(kSlotOutput, p, 3 * r + 1, g_rowB[3 * p] | g_rowB[3 * p + 1] | g_rowB[3 * p + 2]);
            Put(kSlotOutput, p, 3 * r + 2, g_rowC[3 * p] | g_rowC[3 * p + 1] | g_rowC[3 * p + 2]);
        }
    }
    ORV_DrawImage(kSlotOutput);
}

void InterlaceBataRows(const WorkRowFn& workRow, int workWidth, Pixels32& out, int r0, int r1) {
    const int W = out_width, H = out_height, R = H / 3;
    if (!BataSizesOk()) return;
    const int S = 3 * W, columns = std::min(W, out.width);
    constexpr uint32_t kR = 0xFF0000, kG = 0x00FF00, kB = 0x0000FF;
    for (int r = r0; r < r1; ++r) {
        const uint32_t* row = workRow(r);
        const int base = 3 * (R - r);
        auto outRow = [&](int y) {
            return unsigned(y) < unsigned(out.height) ? out.pixels + size_t(y) * size_t(out.width) : nullptr;
        };
        uint32_t* o0 = outRow(3 * r);
        uint32_t* o1 = outRow(3 * r + 1);
        uint32_t* o2 = outRow(3 * r + 2);
        uint32_t previous = 0;
        auto sample = [&](int x) {
            const int i = base + x, wx = x + S * g_bandView[i];
            uint32_t c = row && unsigned(wx) < unsigned(workWidth) ? row[wx] : 0;
            if (x > 0 && g_bandMark[i - 1]) c = BlendRgb(g_bandFraction[i - 1], c, previous);
            return previous = c;
        };
        // Row 3r shows sample 3p's red, 3p+1's green and 3p+2's blue at
        // pixel p; rows 3r+1 and 3r+2 the same one and two samples later,
        // black before the first sample.
        uint32_t back1 = 0, back2 = 0;
        for (int p = 0; p < columns; ++p) {
            const uint32_t a = sample(3 * p), b = sample(3 * p + 1), c = sample(3 * p + 2);
            if (o0) o0[p] = (a & kR) | (b & kG) | (c & kB);
            if (o1) o1[p] = (back1 & kR) | (a & kG) | (b & kB);
            if (o2) o2[p] = (back2 & kR) | (back1 & kG) | (a & kB);
            back2 = b, back1 = c;
        }
    }
}

void InterlaceBata() {
    if (!Live(kSlotWork) || !Live(kSlotOutput) || !BataSizesOk()) return;
    BuildBataTable();
    ImageSlot& w = imageTable[kSlotWork];
    ImageSlot& o = imageTable[kSlotOutput];
    const WorkRowFn row = [&w](int r) -> const uint32_t* {
        return unsigned(3 * r) < unsigned(w.height) ? w.bitmap->row32(3 * r) : nullptr;
    };
    Pixels32 out{reinterpret_cast<uint32_t*>(o.bitmap->data()), o.width, o.height};
    OnBothCores(out_height / 3, [&](int r0, int r1) { InterlaceBataRows(row, w.width, out, r0, r1); });
    ORV_DrawImage(kSlotOutput);
}

void ResampleWorkRow(int r, uint32_t* row) {
    const int width = 3 * out_width * view_num;
    const int sy = int(3 * r * y_scale);
    if (!Live(kSlotDisplay) || unsigned(sy) >= unsigned(imageTable[kSlotDisplay].height)) {
        std::fill_n(row, std::max(0, width), 0u);
        return;
    }
    const ImageSlot& disp = imageTable[kSlotDisplay];
    const uint32_t* in = disp.bitmap->row32(sy);
    for (int x = 0; x < width; ++x) {
        const int sx = int(x * x_scale);
        row[x] = unsigned(sx) < unsigned(disp.width) ? in[sx] : 0;
    }
}
