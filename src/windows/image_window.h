// Image windows: a slot of the image table together with the window that
// shows it at its zoom. Creation, drawing, zoom, re-creation at a new size,
// destruction, and the window's own handling of paint, close, move, moving
// and sizing. Worker thread only.
#pragma once

#include <string>

#include "image/image_table.h"
#include "platform/window.h"

// Stretch modes as the framework numbers them.
constexpr int kStretchColorOnColor = 3;
constexpr int kStretchHalftone = 4;

struct ImageWindowLimits {
    int minWidth, minHeight, maxWidth, maxHeight;  // client sizes
};
ImageWindowLimits GetImageWindowLimits(int fitToScreen);

struct ZoomFitResult {
    bool ok;
    int zoom, viewWidth, viewHeight;
};
// The zoom that makes a w x h image fit the limits, near the requested one.
ZoomFitResult ZoomFit(int w, int h, int zoom, const ImageWindowLimits& lim);

std::string FormatImageTitle(int zoom, const std::string& title, int bits);

int CreateImageWindow(int n, const char* title, int x, int y, int width, int height, int bits,
                      int zoom, int fitToScreen = 1);
int ORV_CreateImage(int n, const char* title, int x, int y, int width, int height, int zoom);
int ORV_CreateImage8(int n, const char* title, int x, int y, int width, int height, int zoom);
int ORV_CreateImageFL(int n, const char* title, int x, int y, int width, int height, int zoom);
int ORV_CreateImage8FL(int n, const char* title, int x, int y, int width, int height, int zoom);
int ORV_DestroyImage(int n);
int ORV_DrawImage(int n);
int ORV_ZoomImage(int n, int zoom);
int ORV_ResizeImage(int n, int width, int height);
int GetImageStretchMode(int n);
int SetImageStretchMode(int mode, int n);
void RefreshImageTitle(int n);

plat::LResult ImageWindowProc(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp);

// The mouse state, recorded while mouseTracking is 1.
extern int mouseTracking, mouseImage, mouseX, mouseY, mouseLeft, mouseMiddle, mouseShift, mouseCtrl;

// Installs the image table, the image window procedure, text drawing and
// the image windows' snap source into the frame.
void InstallImageWindows();
