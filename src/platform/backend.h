// Backend: the only code that knows a real display. The portable window
// manager (window.h) calls these to show top-level windows; the backend
// feeds raw input back through the calls in input.h.
//
// What a backend implements:
//   [x] screen size and depth
//   [x] create / move+size / show / raise / retitle / destroy a top-level window
//   [x] present a window's finished pixels (dirty rectangle)
//   [x] find a top-level window by class name, other processes included
//   [ ] clipboard and file drops (later)
// Calls may come from any thread; a backend serialises them itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/geometry.h"

namespace plat {

class Surface;

struct BackendWindow {
    uint32_t id = 0;
    Rect outer;              // screen coordinates
    std::string className;   // framework class name (WM_CLASS on X11)
    std::string title;       // UTF-8
    uint32_t owner = 0;      // owner window id or 0
    bool visible = true;
};

class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    virtual int screenDepth() = 0;

    virtual bool createWindow(const BackendWindow& w) = 0;
    virtual void destroyWindow(uint32_t id) = 0;
    virtual void setWindowRect(uint32_t id, const Rect& outer) = 0;
    virtual void showWindow(uint32_t id, bool visible) = 0;
    virtual void raiseWindow(uint32_t id) = 0;
    virtual void setTitle(uint32_t id, const std::string& title) = 0;
    // Copies the pixels of `dirty` (window coordinates) out of `pixels`,
    // which is the window's whole 32-bit image; returns when it is safe to
    // draw into `pixels` again.
    virtual void present(uint32_t id, const Surface& pixels, const Rect& dirty) = 0;
    // A top-level window of this class exists (in this process or another).
    virtual bool findWindowByClass(const std::string& className) = 0;
    // Stop the input reader; called once before the backend is destroyed.
    virtual void shutdown() {}
};

std::unique_ptr<Backend> makeHeadlessBackend(int width, int height);
// Returns nullptr (and a reason) when the display cannot be opened.
std::unique_ptr<Backend> makeX11Backend(const char* display, std::string* error);

}  // namespace plat
