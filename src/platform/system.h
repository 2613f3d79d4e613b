// Starting and ending the platform layer, the backend choice, and the
// system metrics the window code sizes itself by.
#pragma once

#include <string>

namespace plat {

class Backend;

struct Metrics {
    int captionHeight = 20;
    int frameWidth = 4;    // sizing frame
    int menuHeight = 20;
    int minWindowWidth = 112;
    int minWindowHeight = 27;
    int screenWidth = 1280;
    int screenHeight = 1024;
    int screenDepth = 32;
    // The full-screen client area: the screen less one caption height.
    int fullScreenWidth() const { return screenWidth; }
    int fullScreenHeight() const { return screenHeight - captionHeight; }
};

enum class BackendKind { Auto, Headless, X11 };

// Starts the window manager on a backend: Auto takes X11 when DISPLAY is
// set, else headless. Returns false with a reason when X11 was asked for
// and cannot be opened. Safe to call again after shutdown().
bool initialize(BackendKind kind, std::string* error);
void shutdown();
bool initialized();
Backend* backend();
const Metrics& metrics();

// Monotonic clock.
double performanceFrequency();  // ticks per second
long long performanceCounter();

}  // namespace plat
