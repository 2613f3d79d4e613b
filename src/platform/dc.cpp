#include "platform/dc.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plat {

namespace {

// Colour of a source pixel, any depth.
inline uint32_t srcColor(const Surface& s, int x, int y) { return s.colorAt(x, y); }

struct PixelWriter {
    Surface& s;
    bool eight;
    std::array<int16_t, 256> cache;  // colour cache for 8-bit targets: last lookups by hash
    std::array<uint32_t, 256> cacheKey;

    explicit PixelWriter(Surface& surf) : s(surf), eight(surf.bitsPerPixel() == 8) {
        cache.fill(-1);
    }
    void put(int x, int y, uint32_t rgb) {
        if (!eight) {
            s.row32(y)[x] = rgb & 0xFFFFFF;
            return;
        }
        const uint32_t h = (rgb ^ (rgb >> 8) ^ (rgb >> 16)) & 0xFF;
        if (cache[h] < 0 || cacheKey[h] != rgb) {
            cache[h] = nearestPaletteIndex(s.palette, rgb);
            cacheKey[h] = rgb;
        }
        s.row8(y)[x] = uint8_t(cache[h]);
    }
};

// The destination rectangle of a block, in surface coordinates, clipped.
Rect destRect(const Dc& dc, int x, int y, int w, int h) {
    Rect r = Rect::xywh(x + dc.org().x, y + dc.org().y, w, h);
    return intersect(intersect(r, dc.clipRect()), dc.surf()->bounds());
}

}  // namespace

void copyBlock(Dc& dst, int x, int y, int w, int h, const Dc& src, int sx, int sy) {
    if (!dst.surf() || !src.surf() || w <= 0 || h <= 0) return;
    const Rect d = destRect(dst, x, y, w, h);
    if (d.empty()) return;
    Surface& ds = *dst.surf();
    const Surface& ss = *src.surf();
    // Source pixel for target (tx, ty).
    const int ox = src.org().x + sx - (x + dst.org().x);
    const int oy = src.org().y + sy - (y + dst.org().y);
    const bool same32 = ds.bitsPerPixel() == 32 && ss.bitsPerPixel() == 32;
    const bool same8 = ds.bitsPerPixel() == 8 && ss.bitsPerPixel() == 8 && ds.palette == ss.palette;
    const bool overlap = &ds == &ss;
    for (int k = 0; k < d.height(); ++k) {
        // Copy bottom-up when moving down within one surface, so rows are
        // read before they are overwritten.
        const int ty = overlap && oy < 0 ? d.bottom - 1 - k : d.top + k;
        const int syy = ty + oy;
        if (syy < 0 || syy >= ss.height()) continue;
        const int x0 = std::max(d.left, -ox), x1 = std::min(d.right, ss.width() - ox);
        if (x0 >= x1) continue;
        if (same32) {
            const uint32_t* sp = ss.row32(syy) + x0 + ox;
            uint32_t* dp = ds.row32(ty) + x0;
            std::memmove(dp, sp, size_t(x1 - x0) * 4);
        } else if (same8) {
            std::memmove(ds.row8(ty) + x0, ss.row8(syy) + x0 + ox, size_t(x1 - x0));
        } else {
            PixelWriter pw(ds);
            for (int tx = x0; tx < x1; ++tx) pw.put(tx, ty, srcColor(ss, tx + ox, syy));
        }
    }
    dst.changed(d);
}

namespace {

// One axis of a stretch: for target index i (0..|w|-1, left to right), the
// source span it covers, as a list of (source index, weight in 1/65536 of
// the target pixel).
struct AxisMap {
    std::vector<int> nearest;
    std::vector<std::vector<std::pair<int, int>>> area;
};

AxisMap mapAxis(int w, int sw, int s0, bool wantArea) {
    const int n = std::abs(w), m = std::abs(sw);
    const bool mirror = (w < 0) != (sw < 0);
    AxisMap a;
    a.nearest.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        int j = int(int64_t(i) * m / n);
        if (mirror) j = m - 1 - j;
        a.nearest[size_t(i)] = s0 + j;
    }
    if (wantArea) {
        a.area.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            // Source interval [i*m/n, (i+1)*m/n) in units of 1/n.
            const int64_t lo = int64_t(i) * m, hi = int64_t(i + 1) * m;
            auto& list = a.area[size_t(i)];
            int64_t total = 0;
            for (int64_t j = lo / n; j * n < hi; ++j) {
                const int64_t a0 = std::max(lo, j * n), a1 = std::min(hi, (j + 1) * n);
                if (a1 <= a0) continue;
                const int wgt = int((a1 - a0) * 65536 / m);
                total += wgt;
                const int jj = mirror ? m - 1 - int(j) : int(j);
                list.emplace_back(s0 + jj, wgt);
            }
            if (!list.empty()) list.back().second += int(65536 - total);  // exact sum
        }
    }
    return a;
}

}  // namespace

void stretchBlock(Dc& dst, int x, int y, int w, int h, const Dc& src, int sx, int sy, int sw,
                  int sh) {
    if (!dst.surf() || !src.surf() || w == 0 || h == 0 || sw == 0 || sh == 0) return;
    // Normalise both rectangles to positive extents; mirroring is kept in the maps.
    const int dx0 = w > 0 ? x : x + w + 1, dy0 = h > 0 ? y : y + h + 1;
    const int sx0 = sw > 0 ? sx : sx + sw + 1, sy0 = sh > 0 ? sy : sy + sh + 1;
    const Rect d = destRect(dst, dx0, dy0, std::abs(w), std::abs(h));
    if (d.empty()) return;
    const bool area = dst.stretchMode == StretchMode::Halftone;
    const AxisMap mx = mapAxis(w, sw, sx0 + src.org().x, area);
    const AxisMap my = mapAxis(h, sh, sy0 + src.org().y, area);
    Surface& ds = *dst.surf();
    const Surface& ss = *src.surf();
    PixelWriter pw(ds);
    const int bx = dx0 + dst.org().x, by = dy0 + dst.org().y;
    for (int ty = d.top; ty < d.bottom; ++ty) {
        const int iy = ty - by;
        for (int tx = d.left; tx < d.right; ++tx) {
            const int ix = tx - bx;
            if (!area) {
                const int px = mx.nearest[size_t(ix)], py = my.nearest[size_t(iy)];
                if (px < 0 || py < 0 || px >= ss.width() || py >= ss.height()) continue;
                if (ds.bitsPerPixel() == 32 && ss.bitsPerPixel() == 32)
                    ds.row32(ty)[tx] = ss.row32(py)[px] & 0xFFFFFF;
                else
                    pw.put(tx, ty, srcColor(ss, px, py));
                continue;
            }
            int64_t r = 0, g = 0, b = 0, wsum = 0;
            for (auto [py, wy] : my.area[size_t(iy)]) {
                if (py < 0 || py >= ss.height()) continue;
                for (auto [px, wx] : mx.area[size_t(ix)]) {
                    if (px < 0 || px >= ss.width()) continue;
                    const int64_t wgt = int64_t(wy) * wx;
                    const uint32_t c = srcColor(ss, px, py);
                    r += ((c >> 16) & 0xFF) * wgt;
                    g += ((c >> 8) & 0xFF) * wgt;
                    b += (c & 0xFF) * wgt;
                    wsum += wgt;
                }
            }
            if (wsum == 0) continue;
            const uint32_t c = uint32_t((r + wsum / 2) / wsum) << 16 |
                               uint32_t((g + wsum / 2) / wsum) << 8 | uint32_t((b + wsum / 2) / wsum);
            pw.put(tx, ty, c);
        }
    }
    dst.changed(d);
}

void fillRect(Dc& dc, const Rect& r, uint32_t color) {
    if (!dc.surf()) return;
    const Rect d = destRect(dc, r.left, r.top, r.width(), r.height());
    if (d.empty()) return;
    Surface& s = *dc.surf();
    if (s.bitsPerPixel() == 32) {
        for (int y = d.top; y < d.bottom; ++y) std::fill_n(s.row32(y) + d.left, d.width(), color & 0xFFFFFF);
    } else {
        const uint8_t idx = nearestPaletteIndex(s.palette, color);
        for (int y = d.top; y < d.bottom; ++y) std::memset(s.row8(y) + d.left, idx, size_t(d.width()));
    }
    dc.changed(d);
}

void patternFill(Dc& dc, int x, int y, int w, int h) {
    if (w < 0) x += w, w = -w;
    if (h < 0) y += h, h = -h;
    fillRect(dc, Rect::xywh(x, y, w, h), dc.brush);
}

void invertRect(Dc& dc, const Rect& r) {
    if (!dc.surf()) return;
    const Rect d = destRect(dc, r.left, r.top, r.width(), r.height());
    if (d.empty()) return;
    Surface& s = *dc.surf();
    for (int y = d.top; y < d.bottom; ++y) {
        for (int x = d.left; x < d.right; ++x) {
            if (s.bitsPerPixel() == 32) s.row32(y)[x] ^= 0xFFFFFF;
            else s.row8(y)[x] ^= 0xFF;
        }
    }
    dc.changed(d);
}

void textOut(Dc& dc, int x, int y, std::u32string_view text) {
    if (!dc.surf() || !dc.font || text.empty()) return;
    const int px = x + dc.org().x, py = y + dc.org().y;
    const uint32_t bk = dc.bkColor & 0xFFFFFF;
    dc.font->draw(*dc.surf(), dc.clipRect(), px, py, text, dc.textColor & 0xFFFFFF,
                  dc.bkMode == BkMode::Opaque ? &bk : nullptr);
    const int w = dc.font->textWidth(text);
    // Glyphs may overhang their cells a little (italics): report a margin.
    const int m = dc.font->metrics().height / 2;
    dc.changed(intersect(Rect{px - m, py, px + w + m, py + dc.font->metrics().height},
                         intersect(dc.clipRect(), dc.surf()->bounds())));
}

void textOut(Dc& dc, int x, int y, std::string_view utf8) { textOut(dc, x, y, decodeUtf8(utf8)); }

int textWidth(const Dc& dc, std::string_view utf8) {
    return dc.font ? dc.font->textWidth(decodeUtf8(utf8)) : 0;
}

}  // namespace plat
