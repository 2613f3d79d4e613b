// Fonts made from a description, through fontconfig (which face) and
// FreeType (the glyphs). Any thread may use a Font; FreeType calls are
// serialised inside.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/geometry.h"

namespace plat {

class Surface;

struct FontDesc {
    int height = 16;     // > 0: cell height (ascent + descent); < 0: em height; 0: 16
    int width = 0;       // average character width; 0: the face's own proportion
    int weight = 400;    // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    std::string face;    // family name; empty: the default sans-serif face
    // Every character advances by `width` (two cells for East-Asian wide
    // characters), as in a terminal font.
    bool fixedCells = false;
};

struct TextMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

class Font {
public:
    // Returns nullptr only when FreeType finds no usable face at all.
    static std::shared_ptr<Font> create(const FontDesc& desc);
    ~Font();

    const FontDesc& desc() const { return desc_; }
    const TextMetrics& metrics() const { return metrics_; }
    // Family of the face fontconfig chose (may differ from the one asked for).
    const std::string& family() const { return family_; }

    int advance(char32_t c) const;
    int textWidth(std::u32string_view text) const;

    // Draws `text` with its cell's top-left corner at (x, y), clipped to
    // `clip` (surface coordinates). With `background` set, each character's
    // cell is filled with *background first.
    void draw(Surface& s, const Rect& clip, int x, int y, std::u32string_view text, uint32_t color,
              const uint32_t* background) const;

    struct Impl;

private:
    explicit Font(const FontDesc& d);
    FontDesc desc_;
    TextMetrics metrics_;
    std::string family_;
    std::unique_ptr<Impl> impl_;
};

// UTF-8 to code points; invalid bytes become U+FFFD.
std::u32string decodeUtf8(std::string_view s);
std::string encodeUtf8(std::u32string_view s);
// Terminal cell width of a code point: 2 for East-Asian wide, else 1.
int cellWidth(char32_t c);

// The stock fonts: the fixed-pitch terminal font (8-pixel cells) and the
// proportional font of captions, menus and controls.
std::shared_ptr<Font> oemFixedFont();
std::shared_ptr<Font> systemFont();

}  // namespace plat
