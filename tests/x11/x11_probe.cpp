// A small X client for the X11 tests: finds windows by WM_CLASS, reads
// their geometry, sends them keys, and takes screenshots of the root.
//
//   x11_probe wait CLASS TIMEOUT_MS     exit 0 once a window of CLASS is mapped
//   x11_probe gone CLASS TIMEOUT_MS     exit 0 once no window of CLASS is left
//   x11_probe geometry CLASS            prints "x y width height"
//   x11_probe key CLASS KEYSYM          a key press and release sent to the window
//   x11_probe click X Y                 a left click at a root position (XTest-free:
//                                       sent to the window under the point)
//   x11_probe screenshot FILE.png [X Y W H]
//   x11_probe pixel X Y                 prints the root pixel as RRGGBB
#include "platform/png_write.h"
#include "platform/surface.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

::Window findClass(Display* d, ::Window w, const char* cls, int depth) {
    ::Window root, parent, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &kids, &n)) return 0;
    ::Window found = 0;
    for (unsigned i = 0; i < n && !found; ++i) {
        XClassHint ch{};
        if (XGetClassHint(d, kids[i], &ch)) {
            XWindowAttributes wa;
            if (ch.res_class && std::strcmp(ch.res_class, cls) == 0 &&
                XGetWindowAttributes(d, kids[i], &wa) && wa.map_state == IsViewable)
                found = kids[i];
            if (ch.res_name) XFree(ch.res_name);
            if (ch.res_class) XFree(ch.res_class);
        }
        if (!found && depth < 2) found = findClass(d, kids[i], cls, depth + 1);
    }
    if (kids) XFree(kids);
    return found;
}

void sendKey(Display* d, ::Window w, KeySym ks) {
    XKeyEvent e{};
    e.display = d;
    e.window = w;
    e.root = DefaultRootWindow(d);
    e.subwindow = 0;
    e.time = CurrentTime;
    e.same_screen = True;
    e.keycode = XKeysymToKeycode(d, ks);
    e.state = 0;
    e.type = KeyPress;
    XSendEvent(d, w, True, KeyPressMask, reinterpret_cast<XEvent*>(&e));
    e.type = KeyRelease;
    XSendEvent(d, w, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&e));
    // Wait until the server has taken the requests: a client that leaves
    // right after a flush may have them dropped.
    XSync(d, False);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "x11_probe: no display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const ::Window root = DefaultRootWindow(d);
    const std::string cmd = argv[1];
    if ((cmd == "wait" || cmd == "gone") && argc == 4) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::atoi(argv[3]));
        while (std::chrono::steady_clock::now() < until) {
            const bool there = findClass(d, root, argv[2], 0) != 0;
            if (there == (cmd == "wait")) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return 1;
    }
    if (cmd == "geometry" && argc == 3) {
        ::Window w = findClass(d, root, argv[2], 0);
        if (!w) return 1;
        XWindowAttributes wa;
        XGetWindowAttributes(d, w, &wa);
        int x, y;
        ::Window child;
        XTranslateCoordinates(d, w, root, 0, 0, &x, &y, &child);
        std::printf("%d %d %d %d\n", x, y, wa.width, wa.height);
        return 0;
    }
    if (cmd == "key" && argc == 4) {
        ::Window w = findClass(d, root, argv[2], 0);
        if (!w) return 1;
        sendKey(d, w, XStringToKeysym(argv[3]));
        return 0;
    }
    if ((cmd == "screenshot" && (argc == 3 || argc == 7)) || (cmd == "pixel" && argc == 4)) {
        XWindowAttributes wa;
        XGetWindowAttributes(d, root, &wa);
        int x0 = 0, y0 = 0;
        if (argc == 7) {
            x0 = std::atoi(argv[3]);
            y0 = std::atoi(argv[4]);
            wa.width = std::atoi(argv[5]);
            wa.height = std::atoi(argv[6]);
        }
        XImage* img = XGetImage(d, root, x0, y0, unsigned(wa.width), unsigned(wa.height), AllPlanes, ZPixmap);
        if (!img) return 1;
        if (cmd == "pixel") {
            std::printf("%06lX\n", XGetPixel(img, std::atoi(argv[2]), std::atoi(argv[3])) & 0xFFFFFF);
            XDestroyImage(img);
            return 0;
        }
        auto s = plat::Surface::create(wa.width, wa.height, 32);
        for (int y = 0; y < wa.height; ++y)
            for (int x = 0; x < wa.width; ++x) s->row32(y)[x] = uint32_t(XGetPixel(img, x, y) & 0xFFFFFF);
        XDestroyImage(img);
        return plat::writePng(*s, argv[2]) ? 0 : 1;
    }
    std::fprintf(stderr, "x11_probe: bad arguments\n");
    return 2;
}
