#include "image/test_pattern.h"

#include <cmath>

#include "image/colour.h"
#include "image/draw.h"
#include "image/image_table.h"

namespace {

bool Live() {
    return unsigned(currentImage) < unsigned(kImageSlots) && imageTable[currentImage].inUse;
}

template <class F>
void Chroma(F convert) {
    if (!Live()) return;
    const int W = int(currentView.width), H = int(currentView.height);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int a = 255 * (x - W / 2) / W, b = 255 * (y - H / 2) / H;
            const int Y = int(std::sqrt(5.0 * (double(a) * a + double(b) * b)));
            ORV_PutPixel(x, y, convert(Y, a, b));
        }
}

}  // namespace

void TestPatternRgb() {
    if (!Live()) return;
    const int W = int(currentView.width), H = int(currentView.height);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int R = 255 * x / W, G = 255 * y / H, B = 255 - 255 * (x + y) / (W + H);
            ORV_PutPixel(x, y, (R << 16) + (G << 8) + B);
        }
}

void TestPatternGrey() {
    if (!Live()) return;
    if (currentView.bits == 8) {
        ColourEntry grey[256];
        for (int i = 0; i < 256; ++i) grey[i] = ColourEntry{uint8_t(i), uint8_t(i), uint8_t(i), 0};
        ORV_SetPalette(grey, 256);
    }
    const int W = int(currentView.width), H = int(currentView.height);
    for (int x = 0; x < W; ++x) {
        const int v = 255 * x / W;
        ORV_DrawLine(x, 0, x, H / 2 - 1, v * 0x010101);
        ORV_DrawLine(x, H / 2, x, H - 1, 0xFFFFFF - v * 0x010101);
    }
}

void TestPatternHsv() {
    if (!Live()) return;
    const int W = int(currentView.width), H = int(currentView.height);
    const int n = H / 2;
    if (n == 0) {
        // One row: the saturation ramp's first row (white), not a division by zero.
        for (int x = 0; x < W; ++x) ORV_PutPixel(x, 0, HsvToRgb(255, 0, 359 * x / W));
        return;
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int h = 359 * x / W;
            int S, V;
            if (y < n) S = 255 * y / n, V = 255;
            else S = 255, V = 255 - 255 * (y - n) / n;
            ORV_PutPixel(x, y, HsvToRgb(V, S, h));
        }
}

void TestPatternYCrCb() {
    Chroma([](int Y, int a, int b) { return YCrCbToRgb(Y, -b, a); });
}
void TestPatternYuv() {
    Chroma([](int Y, int a, int b) { return YuvToRgb(Y, a, -b); });
}
void TestPatternYiq() {
    Chroma([](int Y, int a, int b) { return YiqToRgb(Y, -b, a); });
}
