#include "platform/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <map>
#include <mutex>
#include <strings.h>
#include <vector>

#include "platform/surface.h"

namespace plat {

namespace {

// One lock for all FreeType and fontconfig work: faces are shared between
// fonts and FreeType objects are not thread-safe.
std::mutex& ftMutex() {
    static std::mutex m;
    return m;
}

FT_Library library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return lib;
}

struct FaceFile {
    std::string path;
    int index = 0;
    std::string family;
};

// Faces are opened once per file and kept for the process.
FT_Face openFace(const FaceFile& f) {
    static std::map<std::pair<std::string, int>, FT_Face> cache;
    auto key = std::make_pair(f.path, f.index);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    FT_Face face = nullptr;
    if (!library() || FT_New_Face(library(), f.path.c_str(), f.index, &face) != 0) face = nullptr;
    cache[key] = face;
    return face;
}

bool matchPattern(FcPattern* pat, FaceFile* out) {
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* m = FcFontMatch(nullptr, pat, &res);
    if (!m) return false;
    FcChar8* file = nullptr;
    FcChar8* fam = nullptr;
    int index = 0;
    bool ok = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch;
    if (ok) {
        out->path = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(m, FC_INDEX, 0, &index);
        out->index = index;
        if (FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch)
            out->family = reinterpret_cast<const char*>(fam);
    }
    FcPatternDestroy(m);
    return ok;
}

FcPattern* basePattern(const FontDesc& d) {
    FcPattern* pat = FcPatternCreate();
    if (!d.face.empty())
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(d.face.c_str()));
    else
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddInteger(pat, FC_WEIGHT, d.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, d.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    return pat;
}

// A face named in Japanese (kana, CJK ideographs, full-width forms) or one
// of the usual Japanese system families.
bool isJapaneseFace(const std::string& face) {
    for (char32_t c : decodeUtf8(face)) {
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) ||
            (c >= 0xFF00 && c <= 0xFFEF))
            return true;
    }
    static const char* names[] = {"MS Gothic", "MS PGothic", "MS Mincho", "MS PMincho", "Meiryo",
                                  "MS UI Gothic"};
    for (const char* n : names)
        if (strcasecmp(face.c_str(), n) == 0) return true;
    return false;
}

FaceFile findFace(const FontDesc& d) {
    FaceFile f;
    FcPattern* pat = basePattern(d);
    bool ok = matchPattern(pat, &f);
    FcPatternDestroy(pat);
    const bool sameFamily = d.face.empty() || strcasecmp(f.family.c_str(), d.face.c_str()) == 0;
    if ((!ok || !sameFamily) && isJapaneseFace(d.face)) {
        FontDesc ja = d;
        ja.face.clear();
        FcPattern* p2 = basePattern(ja);
        FcPatternDel(p2, FC_FAMILY);
        FcPatternAddString(p2, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
        FaceFile g;
        if (matchPattern(p2, &g)) f = g, ok = true;
        FcPatternDestroy(p2);
    }
    return f;
}

FT_Face fallbackFaceFor(char32_t c, const FontDesc& d) {
    static std::map<char32_t, FT_Face> byChar;
    auto it = byChar.find(c);
    if (it != byChar.end()) return it->second;
    FcPattern* pat = basePattern(d);
    FcPatternDel(pat, FC_FAMILY);
    FcCharSet* cs = FcCharSetCreate();
    FcCharSetAddChar(cs, c);
    FcPatternAddCharSet(pat, FC_CHARSET, cs);
    FaceFile f;
    FT_Face face = nullptr;
    if (matchPattern(pat, &f)) {
        face = openFace(f);
        if (face && FT_Get_Char_Index(face, c) == 0) face = nullptr;
    }
    FcCharSetDestroy(cs);
    FcPatternDestroy(pat);
    byChar[c] = face;
    return face;
}

struct Glyph {
    int left = 0, top = 0;  // bitmap offset from the pen on the baseline
    int width = 0, rows = 0;
    int advance = 0;        // pixels
    std::vector<uint8_t> coverage;
};

}  // namespace

struct Font::Impl {
    FT_Face face = nullptr;
    double ppemX = 16, ppemY = 16;
    bool synthBold = false, synthItalic = false;
    int underlinePos = 1, underlineThickness = 1;
    mutable std::map<char32_t, Glyph> glyphs;

    void setSize(FT_Face f) const {
        FT_Set_Char_Size(f, FT_F26Dot6(std::lround(ppemX * 64)), FT_F26Dot6(std::lround(ppemY * 64)),
                         72, 72);
    }

    const Glyph& glyph(char32_t c, const FontDesc& d, int cell) const {
        auto it = glyphs.find(c);
        if (it != glyphs.end()) return it->second;
        Glyph g;
        FT_Face f = face;
        FT_UInt gi = f ? FT_Get_Char_Index(f, c) : 0;
        if (gi == 0 && c >= 0x20) {
            if (FT_Face fb = fallbackFaceFor(c, d)) {
                f = fb;
                gi = FT_Get_Char_Index(f, c);
            }
        }
        if (f) {
            setSize(f);
            if (FT_Load_Glyph(f, gi, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL) == 0) {
                if (synthBold) FT_GlyphSlot_Embolden(f->glyph);
                if (synthItalic) FT_GlyphSlot_Oblique(f->glyph);
                if (FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) == 0) {
                    const FT_Bitmap& bm = f->glyph->bitmap;
                    g.left = f->glyph->bitmap_left;
                    g.top = f->glyph->bitmap_top;
                    g.width = int(bm.width);
                    g.rows = int(bm.rows);
                    g.coverage.resize(size_t(g.width) * g.rows);
                    for (int y = 0; y < g.rows; ++y)
                        for (int x = 0; x < g.width; ++x)
                            g.coverage[size_t(y) * g.width + x] = bm.buffer[y * bm.pitch + x];
                    g.advance = int(std::lround(f->glyph->advance.x / 64.0));
                }
            }
            if (f != face) setSize(face);
        }
        if (d.fixedCells) {
            const int adv = cell * cellWidth(c);
            g.left += (adv - g.advance) / 2;  // centre the glyph in its cells
            g.advance = adv;
        }
        return glyphs.emplace(c, std::move(g)).first->second;
    }
};

Font::Font(const FontDesc& d) : desc_(d) {}
Font::~Font() = default;

std::shared_ptr<Font> Font::create(const FontDesc& desc) {
    std::lock_guard lock(ftMutex());
    std::shared_ptr<Font> font(new Font(desc));
    font->impl_ = std::make_unique<Impl>();
    Impl& im = *font->impl_;
    FaceFile file = findFace(desc);
    im.face = file.path.empty() ? nullptr : openFace(file);
    if (!im.face) {
        FontDesc plain;
        file = findFace(plain);
        im.face = file.path.empty() ? nullptr : openFace(file);
        if (!im.face) return nullptr;
    }
    font->family_ = file.family;
    FT_Face f = im.face;
    const double upem = f->units_per_EM ? f->units_per_EM : 1000;
    double asc = f->ascender, desc_ = -f->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2))) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            asc = os2->usWinAscent;
            desc_ = os2->usWinDescent;
        }
    }
    if (asc + desc_ <= 0) asc = upem * 0.8, desc_ = upem * 0.2;
    int h = desc.height == 0 ? 16 : desc.height;
    im.ppemY = h > 0 ? h * upem / (asc + desc_) : double(-h);
    im.ppemX = im.ppemY;
    im.synthBold = desc.weight >= 600 && !(f->style_flags & FT_STYLE_FLAG_BOLD);
    im.synthItalic = desc.italic && !(f->style_flags & FT_STYLE_FLAG_ITALIC);

    // Natural average width: the advance of 'x' (OS/2's average is skewed by
    // CJK faces); scale horizontally when a width is asked for.
    im.setSize(f);
    auto advanceOf = [&](char32_t c) {
        FT_UInt gi = FT_Get_Char_Index(f, c);
        if (gi && FT_Load_Glyph(f, gi, FT_LOAD_DEFAULT) == 0) return f->glyph->advance.x / 64.0;
        return im.ppemY / 2;
    };
    double natural = advanceOf('x');
    if (desc.width > 0 && !desc.fixedCells && natural > 0) {
        im.ppemX = im.ppemY * desc.width / natural;
        im.setSize(f);
        natural = advanceOf('x');
    }
    TextMetrics& m = font->metrics_;
    // A cell height asked for is the height we report, exactly.
    m.height = h > 0 ? h : int(std::lround((asc + desc_) * im.ppemY / upem));
    m.ascent = int(std::lround(asc * im.ppemY / upem));
    m.descent = m.height - m.ascent;
    m.internalLeading = std::max(0, m.height - int(std::lround(im.ppemY)));
    m.aveCharWidth = desc.width > 0 ? desc.width : int(std::lround(natural));
    m.maxCharWidth = desc.fixedCells ? 2 * desc.width
                                     : int(std::lround(f->max_advance_width * im.ppemX / upem));
    im.underlinePos = std::max(1, int(std::lround(-f->underline_position * im.ppemY / upem)));
    im.underlineThickness =
        std::max(1, int(std::lround(f->underline_thickness * im.ppemY / upem)));
    return font;
}

int Font::advance(char32_t c) const {
    std::lock_guard lock(ftMutex());
    return impl_->glyph(c, desc_, desc_.width).advance;
}

int Font::textWidth(std::u32string_view text) const {
    std::lock_guard lock(ftMutex());
    int w = 0;
    for (char32_t c : text) w += impl_->glyph(c, desc_, desc_.width).advance;
    return w;
}

void Font::draw(Surface& s, const Rect& clipIn, int x, int y, std::u32string_view text,
                uint32_t color, const uint32_t* background) const {
    const Rect clip = intersect(clipIn, s.bounds());
    if (clip.empty()) return;
    std::lock_guard lock(ftMutex());
    const bool eight = s.bitsPerPixel() == 8;
    const uint8_t colorIndex = eight ? nearestPaletteIndex(s.palette, color) : 0;
    const uint8_t bkIndex = eight && background ? nearestPaletteIndex(s.palette, *background) : 0;
    const int cr = (color >> 16) & 0xFF, cg = (color >> 8) & 0xFF, cb = color & 0xFF;
    const int baseline = y + metrics_.ascent;
    int pen = x;
    for (char32_t c : text) {
        const Glyph& g = impl_->glyph(c, desc_, desc_.width);
        if (background) {
            const Rect cell = intersect(Rect{pen, y, pen + g.advance, y + metrics_.height}, clip);
            for (int yy = cell.top; yy < cell.bottom; ++yy)
                for (int xx = cell.left; xx < cell.right; ++xx) {
                    if (eight) s.row8(yy)[xx] = bkIndex;
                    else s.row32(yy)[xx] = *background;
                }
        }
        for (int gy = 0; gy < g.rows; ++gy) {
            const int yy = baseline - g.top + gy;
            if (yy < clip.top || yy >= clip.bottom) continue;
            for (int gx = 0; gx < g.width; ++gx) {
                const int xx = pen + g.left + gx;
                if (xx < clip.left || xx >= clip.right) continue;
                const int a = g.coverage[size_t(gy) * g.width + gx];
                if (a == 0) continue;
                if (eight) {
                    if (a >= 128) s.row8(yy)[xx] = colorIndex;
                    continue;
                }
                uint32_t& d = s.row32(yy)[xx];
                const int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
                const int r = dr + (cr - dr) * a / 255, gg = dg + (cg - dg) * a / 255,
                          b = db + (cb - db) * a / 255;
                d = uint32_t(r << 16 | gg << 8 | b);
            }
        }
        if (desc_.underline) {
            const Rect line = intersect(
                Rect{pen, baseline + impl_->underlinePos,
                     pen + g.advance, baseline + impl_->underlinePos + impl_->underlineThickness},
                clip);
            for (int yy = line.top; yy < line.bottom; ++yy)
                for (int xx = line.left; xx < line.right; ++xx) {
                    if (eight) s.row8(yy)[xx] = colorIndex;
                    else s.row32(yy)[xx] = color & 0xFFFFFF;
                }
        }
        pen += g.advance;
    }
}

std::u32string decodeUtf8(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        char32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        bool ok = len > 0 && i + len <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (ok && ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) ||
                   cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
        } else {
            out.push_back(cp);
            i += size_t(len);
        }
    }
    return out;
}

std::string encodeUtf8(std::u32string_view s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

int cellWidth(char32_t c) {
    // Ranges of East-Asian wide and full-width characters (UAX #11, W and F),
    // enough for CJK text; wcwidth depends on the process locale.
    static const char32_t wide[][2] = {
        {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}, {0x1F300, 0x1F64F},
        {0x20000, 0x3FFFD}};
    for (const auto& r : wide)
        if (c >= r[0] && c <= r[1]) return 2;
    return 1;
}

std::shared_ptr<Font> oemFixedFont() {
    static std::shared_ptr<Font> f = Font::create(
        FontDesc{.height = 14, .width = 8, .face = "DejaVu Sans Mono", .fixedCells = true});
    return f;
}

std::shared_ptr<Font> systemFont() {
    static std::shared_ptr<Font> f = Font::create(FontDesc{.height = 15, .face = "DejaVu Sans"});
    return f;
}

}  // namespace plat
