// Dc: a drawing context over a Surface. It holds the selected font, brush,
// text and background colours, background mode and stretch mode. Colours
// are 0x00RRGGBB. Coordinates are relative to `origin` in the surface and
// every operation is clipped to `clip` (surface coordinates).
//
// A window's Dc (window.h) draws into the window's pixels and tells the
// window manager what changed through `onChange`, so it can be shown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/font.h"
#include "platform/geometry.h"
#include "platform/surface.h"

namespace plat {

enum class BkMode { Transparent, Opaque };
enum class StretchMode { ColorOnColor, Halftone };

// Where a window's Dc draws. The window manager keeps it current when the
// window is resized or destroyed (then `surface` is null and drawing does
// nothing), so a Dc kept for a window's lifetime never dangles.
struct DcTarget {
    Surface* surface = nullptr;
    Point origin;
    Rect clip;
    std::function<void(const Rect&)> onChange;  // surface coordinates
};

struct Dc {
    Surface* surface = nullptr;  // memory Dc: the selected surface
    Point origin;
    Rect clip;
    std::shared_ptr<DcTarget> target;  // window Dc: overrides the three above
    std::shared_ptr<Font> font;
    uint32_t brush = 0xFFFFFF;
    uint32_t textColor = 0x000000;
    uint32_t bkColor = 0xFFFFFF;
    BkMode bkMode = BkMode::Opaque;
    StretchMode stretchMode = StretchMode::ColorOnColor;

    Dc() = default;
    explicit Dc(Surface* s) : surface(s), clip(s ? s->bounds() : Rect{}), font(systemFont()) {}

    // Selects a surface into a memory Dc (clip becomes its bounds).
    void select(Surface* s) {
        surface = s;
        origin = {};
        clip = s ? s->bounds() : Rect{};
    }
    Surface* surf() const { return target ? target->surface : surface; }
    Point org() const { return target ? target->origin : origin; }
    Rect clipRect() const { return target ? target->clip : clip; }
    void changed(const Rect& r) const {
        if (target && target->onChange && !r.empty()) target->onChange(r);
    }
};

// 1:1 copy of a w x h block from src (sx, sy) to dst (x, y).
void copyBlock(Dc& dst, int x, int y, int w, int h, const Dc& src, int sx, int sy);
// Stretched copy. Negative extents mirror. ColorOnColor samples the nearest
// source pixel; Halftone averages the source area under each target pixel.
void stretchBlock(Dc& dst, int x, int y, int w, int h, const Dc& src, int sx, int sy, int sw,
                  int sh);
// Fills with the brush colour.
void patternFill(Dc& dc, int x, int y, int w, int h);
void fillRect(Dc& dc, const Rect& r, uint32_t color);
// Inverts every channel (8-bit: the index).
void invertRect(Dc& dc, const Rect& r);

// Text in UTF-8 with the selected font; (x, y) is the top-left of the cell.
void textOut(Dc& dc, int x, int y, std::string_view utf8);
void textOut(Dc& dc, int x, int y, std::u32string_view text);
int textWidth(const Dc& dc, std::string_view utf8);

}  // namespace plat
