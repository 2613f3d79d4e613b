#include "windows/image_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "frame/frame.h"
#include "image/text_draw.h"
#include "platform/system.h"

int mouseTracking = 0, mouseImage = -1, mouseX = 0, mouseY = 0, mouseLeft = 0, mouseMiddle = 0,
    mouseShift = 0, mouseCtrl = 0;

namespace {

constexpr unsigned kImageStyle = plat::kVisible | plat::kCaption | plat::kCloseBox | plat::kSizingBorder;

bool Live(int n) { return unsigned(n) < unsigned(kImageSlots) && imageTable[n].inUse; }

plat::StretchMode ModeOf(int mode) {
    return mode == kStretchHalftone ? plat::StretchMode::Halftone : plat::StretchMode::ColorOnColor;
}

}  // namespace

ImageWindowLimits GetImageWindowLimits(int fitToScreen) {
    const plat::Metrics& m = plat::metrics();
    if (fitToScreen)
        return {m.minWindowWidth - 2 * m.frameWidth, m.minWindowHeight - 2 * m.frameWidth - m.captionHeight,
                m.screenWidth, m.screenHeight - m.captionHeight};
    return {1, 1, 2 * m.screenWidth, 2 * m.screenHeight};
}

ZoomFitResult ZoomFit(int w, int h, int z, const ImageWindowLimits& lim) {
    double W1 = std::min(double(w) * z / 100.0, double(lim.maxWidth));
    double H1 = std::min(double(h) * z / 100.0, double(lim.maxHeight));
    if (W1 < 1) W1 = 1;
    if (H1 < 1) H1 = 1;
    int A = int(std::min(100.0 * W1 / w, 100.0 * H1 / h));
    int vw = int((long long)A * w / 100), vh = int((long long)A * h / 100);
    if (vw < lim.minWidth || vh < lim.minHeight) {
        auto ceilDiv = [](long long a, long long b) { return int((a + b - 1) / b); };
        A = std::max(ceilDiv(100LL * std::max(lim.minWidth, 0), w), ceilDiv(100LL * std::max(lim.minHeight, 0), h));
        vw = int((long long)A * w / 100);
        vh = int((long long)A * h / 100);
        if (vw > lim.maxWidth || vh > lim.maxHeight) return {false, 0, 0, 0};
    }
    return {true, A, vw, vh};
}

std::string FormatImageTitle(int zoom, const std::string& title, int bits) {
    char buf[256];
    std::snprintf(buf, sizeof buf, bits == 8 ? "%s(%d%%)[8bit]" : "%s(%d%%)", title.c_str(), zoom);
    return buf;
}

int CreateImageWindow(int n, const char* title, int x, int y, int width, int height, int bits, int zoom,
                      int fitToScreen) {
    if (unsigned(n) >= unsigned(kImageSlots)) return 4;
    ImageSlot& s = imageTable[n];
    if (s.inUse) return 1;
    if (bits != 8 && bits != 32) return 3;
    width = std::max(width, 1);
    height = std::max(height, 1);
    const ZoomFitResult fit = ZoomFit(width, height, zoom, GetImageWindowLimits(fitToScreen));
    if (!fit.ok) return 2;
    // The pixels first: an image too large for memory fails before any window exists.
    auto bitmap = plat::Surface::create(width, height, bits);
    if (!bitmap) return 3;
    for (int i = 0; i < 256; ++i) bitmap->palette[size_t(i)] = uint32_t(i) * 0x010101u;

    const plat::Rect outer = plat::adjustWindowRect({0, 0, fit.viewWidth, fit.viewHeight}, kImageStyle, false);
    plat::CreateParams p;
    p.className = "orv_iw";
    p.title = FormatImageTitle(fit.zoom, title ? title : "", bits);
    p.style = kImageStyle;
    p.x = x == -1 ? plat::kDefaultPosition : x;
    p.y = y == -1 ? plat::kDefaultPosition : y;
    p.width = outer.width();
    p.height = outer.height();
    p.parent = frame().mainWindow;
    const plat::Window w = plat::createWindow(p);
    if (!w) return 3;

    s.bitsPerPixel = bits;
    s.fitToScreen = fitToScreen;
    s.width = width;
    s.height = height;
    s.viewWidth = fit.viewWidth;
    s.viewHeight = fit.viewHeight;
    s.zoom = fit.zoom;
    s.title = title ? title : "";
    s.window = w;
    s.bitmap = std::move(bitmap);
    s.memoryDc = plat::Dc(s.bitmap.get());
    s.memoryDc.stretchMode = plat::StretchMode::ColorOnColor;
    s.windowDc = plat::windowDc(w);
    s.windowDc.stretchMode = plat::StretchMode::ColorOnColor;
    s.inUse = 1;
    plat::setForegroundWindow(w);
    CollectSnapEdges();
    ORV_SelectImage(n);
    RefreshCurrentView();
    return 0;
}

int ORV_CreateImage(int n, const char* t, int x, int y, int w, int h, int z) {
    return CreateImageWindow(n, t, x, y, w, h, 32, z, 1);
}
int ORV_CreateImage8(int n, const char* t, int x, int y, int w, int h, int z) {
    return CreateImageWindow(n, t, x, y, w, h, 8, z, 1);
}
int ORV_CreateImageFL(int n, const char* t, int x, int y, int w, int h, int z) {
    return CreateImageWindow(n, t, x, y, w, h, 32, z, 0);
}
int ORV_CreateImage8FL(int n, const char* t, int x, int y, int w, int h, int z) {
    return CreateImageWindow(n, t, x, y, w, h, 8, z, 0);
}

int ORV_DestroyImage(int n) {
    if (!Live(n)) return 1;
    ImageSlot& s = imageTable[n];
    s.inUse = 0;
    const plat::Window w = s.window;
    s.memoryDc = plat::Dc();
    s.windowDc = plat::Dc();
    s.bitmap.reset();
    s.title.clear();
    s.window = {};
    plat::destroyWindow(w);
    RefreshCurrentView();
    CollectSnapEdges();
    return 0;
}

int ORV_DrawImage(int n) {
    if (!Live(n)) return 1;
    ImageSlot& s = imageTable[n];
    if (s.zoom == 100)
        plat::copyBlock(s.windowDc, 0, 0, s.width, s.height, s.memoryDc, 0, 0);
    else
        plat::stretchBlock(s.windowDc, 0, 0, s.viewWidth, s.viewHeight, s.memoryDc, 0, 0, s.width, s.height);
    return 0;
}

int ORV_ZoomImage(int n, int zoom) {
    if (!Live(n)) return 1;
    ImageSlot& s = imageTable[n];
    s.inUse = 0;
    const ZoomFitResult fit = ZoomFit(s.width, s.height, zoom, GetImageWindowLimits(s.fitToScreen));
    if (!fit.ok) {
        s.inUse = 1;
        return 2;
    }
    s.zoom = fit.zoom;
    const plat::Rect r = plat::windowRect(s.window);
    plat::setWindowRect(s.window, plat::Rect::xywh(r.left, r.top, r.width() + fit.viewWidth - s.viewWidth,
                                                   r.height() + fit.viewHeight - s.viewHeight));
    s.viewWidth = fit.viewWidth;
    s.viewHeight = fit.viewHeight;
    s.windowDc = plat::windowDc(s.window);
    s.windowDc.stretchMode = s.memoryDc.stretchMode;
    s.inUse = 1;
    plat::invalidate(s.window, nullptr, false);
    RefreshImageTitle(n);
    CollectSnapEdges();
    return 0;
}

int ORV_ResizeImage(int n, int width, int height) {
    if (!Live(n)) return 1;
    ImageSlot& s = imageTable[n];
    const std::string title = s.title.substr(0, 255);
    const int bits = s.bitsPerPixel, zoom = s.zoom;
    const plat::Rect r = plat::windowRect(s.window);
    const int mode = GetImageStretchMode(n);
    const auto palette = s.bitmap->palette;
    const int fit = s.fitToScreen;
    ORV_DestroyImage(n);
    const int rc = CreateImageWindow(n, title.c_str(), r.left, r.top, width, height, bits, zoom, fit);
    if (rc != 0) return rc;
    if (bits == 8) imageTable[n].bitmap->palette = palette;
    SetImageStretchMode(mode, n);
    return 0;
}

int GetImageStretchMode(int n) {
    if (!Live(n)) return 0;
    return imageTable[n].windowDc.stretchMode == plat::StretchMode::Halftone ? kStretchHalftone
                                                                              : kStretchColorOnColor;
}

int SetImageStretchMode(int mode, int n) {
    if (!Live(n)) return 1;
    ImageSlot& s = imageTable[n];
    if (mode == kStretchColorOnColor || mode == kStretchHalftone) {
        s.windowDc.stretchMode = ModeOf(mode);
        s.memoryDc.stretchMode = ModeOf(mode);
    }
    plat::invalidate(s.window, nullptr, false);
    RefreshImageTitle(n);
    return 0;
}

void RefreshImageTitle(int n) {
    if (unsigned(n) >= unsigned(kImageSlots) || !imageTable[n].window) return;
    const ImageSlot& s = imageTable[n];
    std::string t = FormatImageTitle(s.zoom, s.title, s.bitsPerPixel);
    if (s.memoryDc.stretchMode == plat::StretchMode::Halftone) t += "*";
    plat::setWindowText(s.window, t);
}

plat::LResult ImageWindowProc(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp) {
    using plat::Msg;
    if (HandleWindowGeometry(w, m, lp, true)) return 0;  // cannot be resized by dragging
    switch (m) {
        case Msg::Create:
        case Msg::Destroy:
            return 0;
        case Msg::Paint: {
            plat::PaintContext pc = plat::beginPaint(w);
            const int n = FindImageByWindow(w);
            if (n >= 0) ORV_DrawImage(n);
            plat::endPaint(w, pc);
            return 0;
        }
        case Msg::Close: {
            const int n = FindImageByWindow(w);
            if (n >= 0) ORV_DestroyImage(n);
            return 0;
        }
        case Msg::LButtonDown:
        case Msg::MButtonDown:
        case Msg::MouseMove: {
            const int n = FindImageByWindow(w);
            if (mouseTracking && n >= 0) {
                const plat::Point p = plat::paramPoint(lp);
                const int zoom = imageTable[n].zoom > 0 ? imageTable[n].zoom : 100;
                mouseImage = n;
                mouseX = int(uint16_t(p.x)) * 100 / zoom;
                mouseY = int(uint16_t(p.y)) * 100 / zoom;
                mouseLeft = int(wp & plat::kMouseLeft);
                mouseMiddle = int(wp & plat::kMouseMiddle);
                mouseShift = int(wp & plat::kMouseShift);
                mouseCtrl = int(wp & plat::kMouseControl);
            }
            return 0;
        }
        default:
            return plat::defaultWindowProc(w, m, wp, lp);
    }
}

void InstallImageWindows() {
    FrameHooks& h = frameHooks();
    h.imageWindowProc = ImageWindowProc;
    h.initTables = [] {
        InitImageTable();
        mouseTracking = 0;
        mouseImage = -1;
    };
    h.startTextDrawing = InitTextDrawing;
    SetSnapSources({[](std::vector<plat::Window>& out) {
        for (const ImageSlot& s : imageTable)
            if (s.inUse) out.push_back(s.window);
    }});
}
