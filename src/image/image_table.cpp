#include "image/image_table.h"

#include <cstring>

ImageSlot imageTable[kImageSlots];
int currentImage = 0;
int selectionHistory[8] = {};
int penX = 0, penY = 0;
PixelView currentView;

void RefreshCurrentView() {
    PixelView v;
    if (unsigned(currentImage) < unsigned(kImageSlots)) {
        ImageSlot& s = imageTable[currentImage];
        if (s.inUse && s.bitmap) {
            v.pixels = s.bitmap->data();
            v.width = unsigned(s.width);
            v.height = unsigned(s.height);
            v.stride = s.bitmap->stride();
            v.bits = s.bitsPerPixel;
        }
    }
    currentView = v;
}

void InitImageTable() {
    for (ImageSlot& s : imageTable) s = ImageSlot{};
    currentImage = 0;
    std::memset(selectionHistory, 0, sizeof selectionHistory);
    penX = penY = 0;
    RefreshCurrentView();
}

uint8_t* ImagePixels(int n) {
    if (unsigned(n) >= unsigned(kImageSlots) || !imageTable[n].bitmap) return nullptr;
    return imageTable[n].bitmap->data();
}

int ImageStride(int n) {
    if (unsigned(n) >= unsigned(kImageSlots) || !imageTable[n].bitmap) return 0;
    return imageTable[n].bitmap->stride();
}

int ORV_SelectImage(int n) {
    if (unsigned(n) >= unsigned(kImageSlots) || !imageTable[n].inUse) return 1;
    for (int i = 7; i > 0; --i) selectionHistory[i] = selectionHistory[i - 1];
    selectionHistory[0] = currentImage;
    currentImage = n;
    RefreshCurrentView();
    return 0;
}

int ORV_SelectPreviousImage() {
    const int m = selectionHistory[0];
    if (unsigned(m) >= unsigned(kImageSlots) || !imageTable[m].inUse) return 1;
    currentImage = m;
    for (int i = 0; i < 7; ++i) selectionHistory[i] = selectionHistory[i + 1];
    RefreshCurrentView();
    return 0;
}

void ClearImage(int n) {
    // Sound where the caller slipped: a free slot has nothing to clear.
    if (unsigned(n) >= unsigned(kImageSlots) || !imageTable[n].inUse || !imageTable[n].bitmap) return;
    plat::Surface& s = *imageTable[n].bitmap;
    std::memset(s.data(), 0, size_t(s.stride()) * size_t(s.height()));
}

int ORV_SetPalette(const ColourEntry* colours, int count) {
    if (unsigned(currentImage) >= unsigned(kImageSlots) || !imageTable[currentImage].inUse) return 1;
    ImageSlot& s = imageTable[currentImage];
    if (s.bitsPerPixel != 8) return 2;
    if (count > 256) count = 256;
    for (int i = 0; i < count; ++i)
        s.bitmap->palette[size_t(i)] =
            uint32_t(colours[i].red) << 16 | uint32_t(colours[i].green) << 8 | colours[i].blue;
    if (s.window) plat::invalidate(s.window, nullptr, false);
    return 0;
}

int ORV_GetPalette(ColourEntry* colours) {
    if (unsigned(currentImage) >= unsigned(kImageSlots) || !imageTable[currentImage].inUse) return 1;
    ImageSlot& s = imageTable[currentImage];
    if (s.bitsPerPixel != 8) return 2;
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = s.bitmap->palette[size_t(i)];
        colours[i] = ColourEntry{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
    }
    return 0;
}

int FindImageByWindow(plat::Window w) {
    for (int n = 0; n < kImageSlots; ++n)
        if (imageTable[n].inUse && imageTable[n].window == w) return n;
    return -1;
}

int SelectImageByWindow(plat::Window w) {
    const int n = FindImageByWindow(w);
    ORV_SelectImage(n);
    return n;
}
