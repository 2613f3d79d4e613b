// Surface: a top-down pixel buffer of 32 or 8 bits per pixel, with a
// 256-entry colour table (used by 8-bit surfaces, kept for 32-bit ones too).
//
// Row order: row 0 is the top row. Stride: `stride` bytes between rows,
// a multiple of 4 (rows of 8-bit surfaces are padded). 32-bit pixels are
// 0x00RRGGBB words, blue in the low byte; 8-bit pixels index `palette`.
// A surface owns its pixel memory; it is not thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/geometry.h"

namespace plat {

class Surface {
public:
    // Returns nullptr when the size is not positive, above 2 GiB of pixels,
    // or the memory cannot be had. The pixels start zero.
    static std::unique_ptr<Surface> create(int width, int height, int bitsPerPixel);

    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bits_; }
    int stride() const { return stride_; }
    uint8_t* data() { return data_.get(); }
    const uint8_t* data() const { return data_.get(); }
    Rect bounds() const { return {0, 0, width_, height_}; }

    uint32_t* row32(int y) { return reinterpret_cast<uint32_t*>(data_.get() + ptrdiff_t(y) * stride_); }
    const uint32_t* row32(int y) const {
        return reinterpret_cast<const uint32_t*>(data_.get() + ptrdiff_t(y) * stride_);
    }
    uint8_t* row8(int y) { return data_.get() + ptrdiff_t(y) * stride_; }
    const uint8_t* row8(int y) const { return data_.get() + ptrdiff_t(y) * stride_; }

    // Pixel as 0x00RRGGBB whatever the depth (8-bit goes through the palette).
    uint32_t colorAt(int x, int y) const;
    void fill(uint32_t value);

    std::array<uint32_t, 256> palette{};

private:
    Surface() = default;
    int width_ = 0, height_ = 0, bits_ = 32, stride_ = 0;
    struct Free {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, Free> data_;
};

// Index of the palette entry nearest to a colour (squared RGB distance,
// first of equals).
uint8_t nearestPaletteIndex(const std::array<uint32_t, 256>& palette, uint32_t rgb);

// The surface's pixels as 24-bit bottom-up BGR rows padded to 4 bytes, the
// layout of device-independent bitmap blocks.
std::unique_ptr<uint8_t[]> exportBottomUp24(const Surface& s, size_t* size);

}  // namespace plat
