#include "image/text_draw.h"

#include <cstdarg>
#include <cstdio>

#include "image/image_table.h"
#include "platform/dc.h"
#include "platform/font.h"

int textX = 0, textY = 0, textLeft = 0;
int orv_tc = 0;
int orv_tttc = 0xFFFFFF;
std::shared_ptr<plat::Font> trueTypeFont;
int trueTypeWidth = 8, trueTypeHeight = 16;

namespace {

// The face of the default drawing font; fontconfig stands in a Japanese
// Gothic face when this one is missing.
constexpr const char* kDefaultFace = "ＭＳ ゴシック";

void Recreate(plat::FontDesc d) {
    trueTypeFont.reset();
    trueTypeFont = plat::Font::create(d);
}

plat::FontDesc CurrentDesc() {
    if (trueTypeFont) return trueTypeFont->desc();
    return plat::FontDesc{.height = trueTypeHeight, .width = trueTypeWidth, .face = kDefaultFace};
}

}  // namespace

void InitTextDrawing() {
    textX = textY = textLeft = 0;
    orv_tttc = 0xFFFFFF;
    trueTypeWidth = 8;
    trueTypeHeight = 16;
    Recreate(plat::FontDesc{.height = 16, .width = 8, .face = kDefaultFace});
}

void ORV_DrawChar(int c) {
    if (c == '\n') {
        textX = textLeft;
        textY += 16;
        return;
    }
    if (c < 32 || c > 127) return;
    const unsigned char* g = kBitmapFont[c - 32];
    for (int r = 0; r < 14; ++r)
        for (int j = 0; j < 8; ++j)
            if (g[r] & (0x80 >> j)) ORV_PutPixel(textX + j, textY - 14 + r, orv_tc);
    textX += 8;
    if (textX > int(currentView.width) - 8) {
        textX = textLeft;
        textY += 16;
    }
}

void ORV_DrawString(const char* text) {
    for (; text && *text; ++text) ORV_DrawChar(static_cast<unsigned char>(*text));
}

void ORV_DrawPrintf(const char* format, ...) {
    char buf[4096];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    ORV_DrawString(buf);
}

void ORV_DrawTrueTypeChar(int code) {
    if (code < 32) {
        plat::FontDesc d = CurrentDesc();
        switch (code) {
            case 1: d.italic = true; break;
            case 2: d.italic = false; break;
            case 3: d.weight = 700; break;
            case 4: d.weight = 400; break;
            case 5: d.underline = true; break;
            case 6: d.underline = false; break;
            case 10:
                textX = textLeft;
                textY += trueTypeHeight;
                return;
            default: return;
        }
        Recreate(d);
        return;
    }
    if (unsigned(currentImage) >= unsigned(kImageSlots) || !imageTable[currentImage].inUse ||
        !trueTypeFont)
        return;
    plat::Dc& dc = imageTable[currentImage].memoryDc;
    const std::u32string ch(1, char32_t(code));
    plat::Dc local = dc;
    local.font = trueTypeFont;
    local.textColor = uint32_t(orv_tttc) & 0xFFFFFF;
    local.bkMode = plat::BkMode::Transparent;
    plat::textOut(local, textX, textY - trueTypeHeight + 1, std::u32string_view(ch));
    textX += trueTypeFont->advance(char32_t(code));
}

void ORV_DrawTrueTypeString(const char* utf8) {
    if (!utf8) return;
    // A multi-byte sequence cut off by the end of the text stops the text,
    // as a lone lead byte does in a double-byte code page.
    const std::string s(utf8);
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + len > s.size()) return;
        const std::u32string cp = plat::decodeUtf8(std::string_view(s).substr(i, len));
        ORV_DrawTrueTypeChar(int(cp.empty() ? 0xFFFD : cp[0]));
        i += len;
    }
}

int ORV_SetTrueTypeSize(int width, int height) {
    trueTypeWidth = width / 2;
    trueTypeHeight = height;
    plat::FontDesc d = CurrentDesc();
    d.width = trueTypeWidth;
    d.height = trueTypeHeight;
    Recreate(d);
    return trueTypeFont ? 0 : 1;
}
