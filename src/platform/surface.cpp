#include "platform/surface.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace plat {

std::unique_ptr<Surface> Surface::create(int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || (bitsPerPixel != 32 && bitsPerPixel != 8)) return nullptr;
    const int64_t stride = bitsPerPixel == 32 ? int64_t(width) * 4 : (int64_t(width) + 3) / 4 * 4;
    const int64_t bytes = stride * height;
    if (stride > std::numeric_limits<int>::max() || bytes > (int64_t(1) << 31)) return nullptr;
    std::unique_ptr<Surface> s(new (std::nothrow) Surface);
    if (!s) return nullptr;
    // calloc: large buffers come as zero pages, touched only when drawn.
    s->data_.reset(static_cast<uint8_t*>(std::calloc(size_t(bytes), 1)));
    if (!s->data_) return nullptr;
    s->width_ = width;
    s->height_ = height;
    s->bits_ = bitsPerPixel;
    s->stride_ = int(stride);
    return s;
}

void Surface::Free::operator()(uint8_t* p) const { std::free(p); }

uint32_t Surface::colorAt(int x, int y) const {
    if (bits_ == 32) return row32(y)[x] & 0xFFFFFF;
    return palette[row8(y)[x]] & 0xFFFFFF;
}

void Surface::fill(uint32_t value) {
    for (int y = 0; y < height_; ++y) {
        if (bits_ == 32) {
            std::fill_n(row32(y), width_, value);
        } else {
            std::memset(row8(y), int(value & 0xFF), size_t(width_));
        }
    }
}

uint8_t nearestPaletteIndex(const std::array<uint32_t, 256>& palette, uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    int best = 0;
    int bestDist = std::numeric_limits<int>::max();
    for (int i = 0; i < 256; ++i) {
        const uint32_t p = palette[i];
        const int dr = int((p >> 16) & 0xFF) - r, dg = int((p >> 8) & 0xFF) - g,
                  db = int(p & 0xFF) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = i;
            if (d == 0) break;
        }
    }
    return uint8_t(best);
}

std::unique_ptr<uint8_t[]> exportBottomUp24(const Surface& s, size_t* size) {
    const size_t stride = (size_t(s.width()) * 3 + 3) / 4 * 4;
    const size_t bytes = stride * size_t(s.height());
    std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[bytes]);
    if (!out) return nullptr;
    std::memset(out.get(), 0, bytes);
    for (int y = 0; y < s.height(); ++y) {
        uint8_t* d = out.get() + size_t(s.height() - 1 - y) * stride;
        for (int x = 0; x < s.width(); ++x) {
            const uint32_t c = s.colorAt(x, y);
            d[3 * x] = uint8_t(c);
            d[3 * x + 1] = uint8_t(c >> 8);
            d[3 * x + 2] = uint8_t(c >> 16);
        }
    }
    if (size) *size = bytes;
    return out;
}

}  // namespace plat
