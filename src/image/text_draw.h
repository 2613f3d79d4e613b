// Text drawn into the current image: the built-in 8 x 14 bitmap font pixel
// by pixel, and TrueType text through the image's drawing context. Both
// share one text position with a left margin. Text is UTF-8.
#pragma once

#include <memory>

namespace plat {
class Font;
}

extern const unsigned char kBitmapFont[96][14];

extern int textX, textY, textLeft;
extern int orv_tc;    // bitmap-font colour
extern int orv_tttc;  // TrueType colour
extern std::shared_ptr<plat::Font> trueTypeFont;
extern int trueTypeWidth, trueTypeHeight;

// The start-up state: position 0, orv_tttc white, the default drawing font.
void InitTextDrawing();

void ORV_DrawChar(int c);
void ORV_DrawString(const char* text);
void ORV_DrawPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// code: a control code below 32 (1..6 italic/bold/underline on and off, 10
// a line feed) or a Unicode character.
void ORV_DrawTrueTypeChar(int code);
void ORV_DrawTrueTypeString(const char* utf8);
int ORV_SetTrueTypeSize(int width, int height);
