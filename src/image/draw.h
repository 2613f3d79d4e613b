// Drawing primitives into the current image, pixel by pixel through the
// bounds-tested pixel calls: lines, boxes, circles, discs, each opaque and
// inverting (each pixel inverted once, so drawing twice restores), and the
// flood fill.
#pragma once

extern int drawingColour;  // 0xFFFFFF at start; an index's low byte on 8-bit images

void ORV_DrawLine(int x0, int y0, int x1, int y1, int colour);
void ORV_DrawLineXor(int x0, int y0, int x1, int y1);
void ORV_DrawBox(int x0, int y0, int x1, int y1);
void ORV_DrawBoxXor(int x0, int y0, int x1, int y1);
void ORV_FillBox(int x0, int y0, int x1, int y1, int border, int fill);
void ORV_FillBoxXor(int x0, int y0, int x1, int y1);
void ORV_DrawCircle(int cx, int cy, int r, int colour);
void ORV_DrawCircleXor(int cx, int cy, int r);
void ORV_FillCircle(int cx, int cy, int r);
void ORV_FillCircleXor(int cx, int cy, int r);
void ORV_Paint(int x, int y);

constexpr int kFloodSeeds = 4000;
