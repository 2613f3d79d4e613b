// Colour models over colour words 0x00RRGGBB: HSV, luminance, YCrCb, Yuv
// and YIQ, in integer arithmetic with the system's own weights. Fixed-point
// sums N become integers as (N + 32768) / 65536, truncated toward zero.
#pragma once

void RgbToHsv(int colour, int* h, int* s, int* v);
int HsvHue(int colour);
int HsvSaturation(int colour);
int HsvValue(int colour);
int HsvToRgb(int v, int s, int h);  // note the order: value, saturation, hue
int RgbToLuminance(int r, int g, int b);
void RgbToYCrCb(int r, int g, int b, int* y, int* cr, int* cb);
void RgbToYuv(int r, int g, int b, int* y, int* u, int* v);
void RgbToYiq(int r, int g, int b, int* y, int* i, int* q);
int YCrCbToRgb(int y, int cr, int cb);
int YuvToRgb(int y, int u, int v);
int YiqToRgb(int y, int i, int q);
