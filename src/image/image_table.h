// The image table: 256 image slots, the current image and its selection
// history, pixel access, palettes, the pen position.
//
// Threads: the worker thread only (the application and the image windows
// run there). The pixel calls act on the current image through a cached
// view, so each is a bounds test and one memory access; a free current
// slot has an empty view, so the calls do nothing and reads give the
// outside value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dc.h"
#include "platform/surface.h"
#include "platform/window.h"

constexpr int kImageSlots = 256;

struct ImageSlot {
    int inUse = 0;
    int bitsPerPixel = 32;
    int width = 0;
    int height = 0;
    int viewWidth = 0;
    int viewHeight = 0;
    int zoom = 100;
    int fitToScreen = 1;
    plat::Window window;
    plat::Dc memoryDc;  // the slot's bitmap is selected into it for the slot's life
    plat::Dc windowDc;
    std::unique_ptr<plat::Surface> bitmap;  // owns the pixel buffer and colour table
    std::string title;
};

extern ImageSlot imageTable[kImageSlots];
extern int currentImage;
extern int selectionHistory[8];
extern int penX, penY;

// The current image as the pixel calls see it (empty when its slot is free).
struct PixelView {
    uint8_t* pixels = nullptr;
    unsigned width = 0, height = 0;
    int stride = 0;
    int bits = 32;
};
extern PixelView currentView;
// Re-reads the current slot into currentView; call after a slot of the
// table was created or destroyed.
void RefreshCurrentView();

void InitImageTable();
uint8_t* ImagePixels(int n);  // the slot's pixel buffer or nullptr
int ImageStride(int n);

int ORV_SelectImage(int n);
int ORV_SelectPreviousImage();

inline void PutPixelQuiet(int x, int y, int value) {
    const PixelView& v = currentView;
    if (unsigned(x) >= v.width || unsigned(y) >= v.height) return;
    if (v.bits == 32) reinterpret_cast<uint32_t*>(v.pixels)[size_t(x) + size_t(y) * v.width] = uint32_t(value);
    else v.pixels[size_t(y) * unsigned(v.stride) + unsigned(x)] = uint8_t(value);
}
inline void ORV_PutPixel(int x, int y, int value) {
    penX = x;
    penY = y;
    PutPixelQuiet(x, y, value);
}
// The pixel at (x, y), or `outside` when it lies outside the current image.
inline int ReadPixelOr(int x, int y, int outside) {
    const PixelView& v = currentView;
    if (unsigned(x) >= v.width || unsigned(y) >= v.height) return outside;
    if (v.bits == 32) return int(reinterpret_cast<const uint32_t*>(v.pixels)[size_t(x) + size_t(y) * v.width]);
    return v.pixels[size_t(y) * unsigned(v.stride) + unsigned(x)];
}
inline int ORV_GetPixel(int x, int y) { return ReadPixelOr(x, y, 0); }
inline int ProbePixel(int x, int y) { return ReadPixelOr(x, y, -1); }
inline void InvertPixelQuiet(int x, int y) {
    const PixelView& v = currentView;
    if (unsigned(x) >= v.width || unsigned(y) >= v.height) return;
    if (v.bits == 32) reinterpret_cast<uint32_t*>(v.pixels)[size_t(x) + size_t(y) * v.width] ^= 0xFFFFFFu;
    else v.pixels[size_t(y) * unsigned(v.stride) + unsigned(x)] ^= 0xFF;
}
inline void ORV_InvertPixel(int x, int y) {
    penX = x;
    penY = y;
    InvertPixelQuiet(x, y);
}

void ClearImage(int n);
// Colour entries are four bytes: blue, green, red, reserved.
struct ColourEntry {
    uint8_t blue, green, red, reserved;
};
int ORV_SetPalette(const ColourEntry* colours, int count);
int ORV_GetPalette(ColourEntry* colours);
int FindImageByWindow(plat::Window w);
int SelectImageByWindow(plat::Window w);
