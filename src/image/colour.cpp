#include "image/colour.h"

#include <algorithm>

namespace {

inline int Fixed(long long n) { return int((n + 32768) / 65536); }

inline int Clamp255(long long v) { return v < 0 ? 0 : v > 255 ? 255 : int(v); }

inline int Compose(int r, int g, int b) { return (r << 16) + (g << 8) + b; }

// One channel of an inverse conversion: (65536 Y + N + 32768) / 65536, clamped.
inline int Channel(int y, long long n) { return Clamp255((65536LL * y + n + 32768) / 65536); }

}  // namespace

void RgbToHsv(int colour, int* h, int* s, int* v) {
    const int r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
    int hue = 0;
    if (d != 0) {
        if (mx == r && mn == b) hue = 60 * (g - b) / d;
        else if (mx == g && mn == b) hue = 60 + 60 * (g - r) / d;
        else if (mx == g && mn == r) hue = 120 + 60 * (b - r) / d;
        else if (mx == b && mn == r) hue = 180 + 60 * (b - g) / d;
        else if (mx == b && mn == g) hue = 240 + 60 * (r - g) / d;
        else hue = 300 + 60 * (r - b) / d;  // max = R, min = G
    }
    if (h) *h = hue;
    if (s) *s = d;
    if (v) *v = mx;
}

int HsvHue(int c) {
    int h;
    RgbToHsv(c, &h, nullptr, nullptr);
    return h;
}
int HsvSaturation(int c) {
    int s;
    RgbToHsv(c, nullptr, &s, nullptr);
    return s;
}
int HsvValue(int c) {
    int v;
    RgbToHsv(c, nullptr, nullptr, &v);
    return v;
}

int HsvToRgb(int v, int s, int h) {
    const int m = std::max(0, v - s), d = v - m;
    int r, g, b;
    if (h <= 59) r = v, g = m + d * h / 60, b = m;
    else if (h <= 119) r = m + d * (120 - h) / 60, g = v, b = m;
    else if (h <= 179) r = m, g = v, b = m + d * (h - 120) / 60;
    else if (h <= 239) r = m, g = m + d * (240 - h) / 60, b = v;
    else if (h <= 299) r = m + d * (h - 240) / 60, g = m, b = v;
    else r = v, g = m, b = m + d * (360 - h) / 60;
    return Compose(r, g, b);
}

int RgbToLuminance(int r, int g, int b) {
    return int((19595LL * r + 38470LL * g + 7471LL * b + 32768) >> 16);
}

void RgbToYCrCb(int r, int g, int b, int* y, int* cr, int* cb) {
    if (y) *y = RgbToLuminance(r, g, b);
    if (cr) *cr = Fixed(32768LL * r - 27460LL * g - 5308LL * b);
    if (cb) *cb = Fixed(-11076LL * r - 21692LL * g + 32768LL * b);
}

void RgbToYuv(int r, int g, int b, int* y, int* u, int* v) {
    if (y) *y = RgbToLuminance(r, g, b);
    if (u) *u = Fixed(-9634LL * r - 18940LL * g + 28574LL * b);
    if (v) *v = Fixed(40305LL * r - 33751LL * g - 6554LL * b);
}

void RgbToYiq(int r, int g, int b, int* y, int* i, int* q) {
    if (y) *y = RgbToLuminance(r, g, b);
    if (i) *i = Fixed(39053LL * r - 18022LL * g - 21037LL * b);
    if (q) *q = Fixed(13533LL * r - 32565LL * g + 19032LL * b);
}

int YCrCbToRgb(int y, int cr, int cb) {
    return Compose(Channel(y, 91881LL * cr), Channel(y, -22544LL * cb - 46793LL * cr),
                   Channel(y, 116130LL * cb));
}

int YuvToRgb(int y, int u, int v) {
    return Compose(Channel(y, 74711LL * v), Channel(y, -25952LL * u - 38076LL * v),
                   Channel(y, 132973LL * u));
}

int YiqToRgb(int y, int i, int q) {
    return Compose(Channel(y, 62187LL * i + 42998LL * q), Channel(y, -17334LL * i - 44872LL * q),
                   Channel(y, -73859LL * i + 118292LL * q));
}
