// The X11 backend: one Xlib connection, undecorated top-level windows (we
// draw the frame), MIT-SHM presentation with an XPutImage fallback, an
// input thread that turns X events into input calls.
//
// What it implements (see backend.h):
//   [x] screen size (root window) and depth
//   [x] windows: create, move, size, show, raise, retitle, destroy;
//       WM_CLASS carries the framework class; WM_TRANSIENT_FOR the owner
//   [x] present: XShmPutImage where the server has MIT-SHM, else XPutImage
//   [x] find by class across processes (WM_CLASS of the root's windows)
//   [x] input: pointer, wheel, keys with modifiers and text, close, focus
//   [ ] clipboard and XDND drops (later)
// Our headers first: Xlib defines macros (None, Bool, Status) that would clash.
#include "platform/backend.h"
#include "platform/font.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/surface.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/extensions/XShm.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>


namespace plat {

namespace {

// X errors of calls on windows of other processes (which may vanish while
// we look) must not end the program; remember them instead.
std::atomic<int> g_lastXError{0};
int onXError(Display*, XErrorEvent* e) {
    g_lastXError = e->error_code;
    return 0;
}

int mapKey(KeySym ks) {
    if (ks >= XK_a && ks <= XK_z) return int(ks - XK_a + 'A');
    if (ks >= XK_A && ks <= XK_Z) return int(ks - XK_A + 'A');
    if (ks >= XK_0 && ks <= XK_9) return int(ks - XK_0 + '0');
    if (ks >= XK_KP_0 && ks <= XK_KP_9) return int(ks - XK_KP_0 + '0');
    if (ks >= XK_F1 && ks <= XK_F12) return int(key::F1 + (ks - XK_F1));
    switch (ks) {
        case XK_BackSpace: return key::Back;
        case XK_Tab: case XK_ISO_Left_Tab: return key::Tab;
        case XK_Return: case XK_KP_Enter: return key::Return;
        case XK_Shift_L: case XK_Shift_R: return key::Shift;
        case XK_Control_L: case XK_Control_R: return key::Control;
        case XK_Alt_L: case XK_Alt_R: return key::Alt;
        case XK_Escape: return key::Escape;
        case XK_space: return key::Space;
        case XK_Prior: return key::PageUp;
        case XK_Next: return key::PageDown;
        case XK_End: return key::End;
        case XK_Home: return key::Home;
        case XK_Left: return key::Left;
        case XK_Up: return key::Up;
        case XK_Right: return key::Right;
        case XK_Down: return key::Down;
        case XK_Insert: return key::Insert;
        case XK_Delete: return key::Delete;
        default: return 0;
    }
}

class X11Backend final : public Backend {
public:
    ~X11Backend() override { shutdown(); }

    bool open(const char* name, std::string* error) {
        XInitThreads();
        dpy_ = XOpenDisplay(name);
        if (!dpy_) {
            if (error) *error = std::string("cannot open X display ") + (name ? name : "(null)");
            return false;
        }
        XSetErrorHandler(onXError);
        screen_ = DefaultScreen(dpy_);
        root_ = RootWindow(dpy_, screen_);
        visual_ = DefaultVisual(dpy_, screen_);
        depth_ = DefaultDepth(dpy_, screen_);
        if (depth_ < 24 || visual_->red_mask != 0xFF0000 || visual_->green_mask != 0xFF00 ||
            visual_->blue_mask != 0xFF) {
            if (error) *error = "the X display is not a 24-bit true-colour display";
            XCloseDisplay(dpy_);
            dpy_ = nullptr;
            return false;
        }
        width_ = DisplayWidth(dpy_, screen_);
        height_ = DisplayHeight(dpy_, screen_);
        wmDelete_ = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
        wmProtocols_ = XInternAtom(dpy_, "WM_PROTOCOLS", False);
        motifHints_ = XInternAtom(dpy_, "_MOTIF_WM_HINTS", False);
        netName_ = XInternAtom(dpy_, "_NET_WM_NAME", False);
        utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
        int major, minor;
        Bool pixmaps;
        shm_ = XShmQueryVersion(dpy_, &major, &minor, &pixmaps) && std::getenv("ORV_NO_SHM") == nullptr;
        XkbSetDetectableAutoRepeat(dpy_, True, nullptr);
        if (pipe(wake_) != 0) wake_[0] = wake_[1] = -1;
        reader_ = std::thread([this] { readLoop(); });
        return true;
    }

    const char* name() const override { return "x11"; }
    int screenWidth() override { return width_; }
    int screenHeight() override { return height_; }
    int screenDepth() override { return depth_ >= 24 ? 32 : depth_; }

    bool createWindow(const BackendWindow& w) override {
        std::lock_guard lock(m_);
        XSetWindowAttributes a{};
        a.background_pixel = 0;
        a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
        a.bit_gravity = NorthWestGravity;
        ::Window xw = XCreateWindow(dpy_, root_, w.outer.left, w.outer.top,
                                    unsigned(w.outer.width()), unsigned(w.outer.height()), 0,
                                    depth_, InputOutput, visual_,
                                    CWBackPixel | CWEventMask | CWBitGravity, &a);
        if (!xw) return false;
        // We draw the frame ourselves: ask the window manager for none.
        long hints[5] = {2, 0, 0, 0, 0};
        XChangeProperty(dpy_, xw, motifHints_, motifHints_, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(hints), 5);
        XSizeHints sh{};
        sh.flags = USPosition | PPosition | USSize | PSize;
        sh.x = w.outer.left;
        sh.y = w.outer.top;
        sh.width = w.outer.width();
        sh.height = w.outer.height();
        XSetWMNormalHints(dpy_, xw, &sh);
        XClassHint ch;
        std::string res = "lenti3d", cls = w.className;
        ch.res_name = res.data();
        ch.res_class = cls.data();
        XSetClassHint(dpy_, xw, &ch);
        XSetWMProtocols(dpy_, xw, &wmDelete_, 1);
        XWMHints wh{};
        wh.flags = InputHint;
        wh.input = True;
        XSetWMHints(dpy_, xw, &wh);
        setTitleLocked(xw, w.title);
        if (w.owner) {
            auto it = windows_.find(w.owner);
            if (it != windows_.end()) XSetTransientForHint(dpy_, xw, it->second.xw);
        }
        Win& win = windows_[w.id];
        win.xw = xw;
        win.rect = w.outer;
        win.gc = XCreateGC(dpy_, xw, 0, nullptr);
        byX_[xw] = w.id;
        if (w.visible) {
            XMapRaised(dpy_, xw);
            XMoveWindow(dpy_, xw, w.outer.left, w.outer.top);
        }
        XFlush(dpy_);
        return true;
    }

    void destroyWindow(uint32_t id) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        releaseImage(it->second);
        XFreeGC(dpy_, it->second.gc);
        XDestroyWindow(dpy_, it->second.xw);
        byX_.erase(it->second.xw);
        windows_.erase(it);
        XFlush(dpy_);
    }

    void setWindowRect(uint32_t id, const Rect& r) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        it->second.rect = r;
        XMoveResizeWindow(dpy_, it->second.xw, r.left, r.top, unsigned(r.width()),
                          unsigned(r.height()));
        XFlush(dpy_);
    }

    void showWindow(uint32_t id, bool v) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        if (v) XMapRaised(dpy_, it->second.xw);
        else XUnmapWindow(dpy_, it->second.xw);
        XFlush(dpy_);
    }

    void raiseWindow(uint32_t id) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        XRaiseWindow(dpy_, it->second.xw);
        XWindowAttributes wa;
        if (XGetWindowAttributes(dpy_, it->second.xw, &wa) && wa.map_state == IsViewable)
            XSetInputFocus(dpy_, it->second.xw, RevertToParent, CurrentTime);
        XFlush(dpy_);
    }

    void setTitle(uint32_t id, const std::string& t) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it != windows_.end()) setTitleLocked(it->second.xw, t);
        XFlush(dpy_);
    }

    void present(uint32_t id, const Surface& s, const Rect& dirtyIn) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        Win& w = it->second;
        const Rect dirty = intersect(dirtyIn, s.bounds());
        if (dirty.empty()) return;
        if (!ensureImage(w, s.width(), s.height())) return;
        // Copy the dirty rows into the image the server reads from.
        for (int y = dirty.top; y < dirty.bottom; ++y)
            std::memcpy(w.image->data + size_t(y) * w.image->bytes_per_line + size_t(dirty.left) * 4,
                        s.row32(y) + dirty.left, size_t(dirty.width()) * 4);
        if (w.shm) {
            XShmPutImage(dpy_, w.xw, w.gc, w.image, dirty.left, dirty.top, dirty.left, dirty.top,
                         unsigned(dirty.width()), unsigned(dirty.height()), False);
            XSync(dpy_, False);  // the segment is ours again only when the server has read it
        } else {
            XPutImage(dpy_, w.xw, w.gc, w.image, dirty.left, dirty.top, dirty.left, dirty.top,
                      unsigned(dirty.width()), unsigned(dirty.height()));
            XFlush(dpy_);
        }
    }

    bool findWindowByClass(const std::string& cls) override {
        std::lock_guard lock(m_);
        return searchClass(root_, cls, 0);
    }

    void shutdown() override {
        if (!dpy_) return;
        stop_ = true;
        if (wake_[1] >= 0) {
            char c = 0;
            (void)!write(wake_[1], &c, 1);
        }
        if (reader_.joinable()) reader_.join();
        std::lock_guard lock(m_);
        for (auto& [id, w] : windows_) {
            releaseImage(w);
            XFreeGC(dpy_, w.gc);
            XDestroyWindow(dpy_, w.xw);
        }
        windows_.clear();
        XCloseDisplay(dpy_);
        dpy_ = nullptr;
        for (int& fd : wake_)
            if (fd >= 0) close(fd), fd = -1;
    }

private:
    struct Win {
        ::Window xw = 0;
        GC gc = nullptr;
        Rect rect;
        XImage* image = nullptr;
        XShmSegmentInfo seg{};
        bool shm = false;
    };

    void setTitleLocked(::Window xw, const std::string& t) {
        XStoreName(dpy_, xw, t.c_str());
        XChangeProperty(dpy_, xw, netName_, utf8_, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(t.data()), int(t.size()));
    }

    void releaseImage(Win& w) {
        if (!w.image) return;
        if (w.shm) {
            XShmDetach(dpy_, &w.seg);
            XSync(dpy_, False);
            XDestroyImage(w.image);
            shmdt(w.seg.shmaddr);
        } else {
            XDestroyImage(w.image);  // frees the data too
        }
        w.image = nullptr;
        w.shm = false;
    }

    bool ensureImage(Win& w, int width, int height) {
        if (w.image && w.image->width == width && w.image->height == height) return true;
        releaseImage(w);
        if (shm_) {
            XImage* img = XShmCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, nullptr, &w.seg,
                                          unsigned(width), unsigned(height));
            if (img) {
                w.seg.shmid = shmget(IPC_PRIVATE, size_t(img->bytes_per_line) * height, IPC_CREAT | 0600);
                if (w.seg.shmid >= 0) {
                    w.seg.shmaddr = img->data = static_cast<char*>(shmat(w.seg.shmid, nullptr, 0));
                    w.seg.readOnly = False;
                    // A server on another machine cannot attach: fall back then.
                    g_lastXError = 0;
                    const bool attached = img->data != reinterpret_cast<char*>(-1) &&
                                          XShmAttach(dpy_, &w.seg);
                    XSync(dpy_, False);
                    shmctl(w.seg.shmid, IPC_RMID, nullptr);
                    if (attached && g_lastXError == 0) {
                        w.image = img;
                        w.shm = true;
                        return true;
                    }
                    if (img->data != reinterpret_cast<char*>(-1)) shmdt(img->data);
                }
                img->data = nullptr;
                XDestroyImage(img);
            }
            shm_ = false;
        }
        char* data = static_cast<char*>(std::malloc(size_t(width) * height * 4));
        if (!data) return false;
        w.image = XCreateImage(dpy_, visual_, unsigned(depth_), ZPixmap, 0, data, unsigned(width),
                               unsigned(height), 32, width * 4);
        if (!w.image) {
            std::free(data);
            return false;
        }
        return true;
    }

    bool searchClass(::Window win, const std::string& cls, int depth) {
        ::Window rootRet, parent, *kids = nullptr;
        unsigned n = 0;
        if (!XQueryTree(dpy_, win, &rootRet, &parent, &kids, &n)) return false;
        bool found = false;
        for (unsigned i = 0; i < n && !found; ++i) {
            XClassHint ch{};
            if (XGetClassHint(dpy_, kids[i], &ch)) {
                found = ch.res_class && cls == ch.res_class;
                if (ch.res_name) XFree(ch.res_name);
                if (ch.res_class) XFree(ch.res_class);
            }
            // Window managers put their frames between the root and us.
            if (!found && depth < 2) found = searchClass(kids[i], cls, depth + 1);
        }
        if (kids) XFree(kids);
        return found;
    }

    struct Event {
        enum Kind { Move, Button, Wheel, Key, Close, Configure, Focus, Exposed } kind;
        uint32_t id;
        Point p;
        input::Button button = input::Button::Unknown;
        bool down = false;
        int code = 0;
        std::string text;
        input::Modifiers mods;
        Rect rect;
    };

    static input::Modifiers modsOf(unsigned state) {
        return {(state & ControlMask) != 0, (state & ShiftMask) != 0};
    }

    void translate(XEvent& e, std::vector<Event>& out) {
        auto it = byX_.find(e.xany.window);
        if (it == byX_.end()) return;
        const uint32_t id = it->second;
        switch (e.type) {
            case MotionNotify:
                out.push_back({Event::Move, id, {e.xmotion.x_root, e.xmotion.y_root}, {}, false, 0, {},
                               modsOf(e.xmotion.state)});
                break;
            case ButtonPress:
            case ButtonRelease: {
                const unsigned b = e.xbutton.button;
                const Point p{e.xbutton.x_root, e.xbutton.y_root};
                if (b == 4 || b == 5) {
                    if (e.type == ButtonPress)
                        out.push_back({Event::Wheel, id, p, {}, false, b == 4 ? 120 : -120, {},
                                       modsOf(e.xbutton.state)});
                    break;
                }
                const input::Button ib = b == 1   ? input::Button::Left
                                         : b == 3 ? input::Button::Right
                                         : b == 2 ? input::Button::Middle
                                                  : input::Button::Unknown;
                out.push_back({Event::Button, id, p, ib, e.type == ButtonPress, 0, {},
                               modsOf(e.xbutton.state)});
                break;
            }
            case KeyPress:
            case KeyRelease: {
                char buf[32] = {};
                KeySym ks = 0;
                const int n = XLookupString(&e.xkey, buf, sizeof buf - 1, &ks, nullptr);
                Event ev{Event::Key, id, {}, {}, e.type == KeyPress, mapKey(XLookupKeysym(&e.xkey, 0))};
                if (!ev.code) ev.code = mapKey(ks);
                // XLookupString gives Latin-1; control characters are not text.
                if (e.type == KeyPress && n > 0 && static_cast<unsigned char>(buf[0]) >= 0x20 &&
                    buf[0] != 0x7F) {
                    std::u32string u;
                    for (int i = 0; i < n; ++i) u.push_back(char32_t(static_cast<unsigned char>(buf[i])));
                    ev.text = encodeUtf8(u);
                } else if (e.type == KeyPress && ks == XK_Return) {
                    ev.text = "\r";
                }
                ev.mods = modsOf(e.xkey.state);
                out.push_back(ev);
                break;
            }
            case ClientMessage:
                if (e.xclient.message_type == wmProtocols_ && ::Atom(e.xclient.data.l[0]) == wmDelete_)
                    out.push_back({Event::Close, id});
                break;
            case ConfigureNotify: {
                // Under a reparenting window manager the coordinates are the
                // frame's; ask for our position on the root.
                int x = 0, y = 0;
                ::Window child;
                XTranslateCoordinates(dpy_, e.xconfigure.window, root_, 0, 0, &x, &y, &child);
                Event ev{Event::Configure, id};
                ev.rect = Rect::xywh(x, y, e.xconfigure.width, e.xconfigure.height);
                out.push_back(ev);
                break;
            }
            case FocusIn:
                if (e.xfocus.mode == NotifyNormal) out.push_back({Event::Focus, id});
                break;
            case Expose:
                if (e.xexpose.count == 0) out.push_back({Event::Exposed, id});
                break;
            default:
                break;
        }
    }

    void readLoop() {
        const int fd = ConnectionNumber(dpy_);
        while (!stop_) {
            std::vector<Event> events;
            {
                std::lock_guard lock(m_);
                while (XPending(dpy_)) {
                    XEvent e;
                    XNextEvent(dpy_, &e);
                    translate(e, events);
                }
            }
            // Deliver without our lock: the window manager may call back in.
            for (auto& ev : events) deliver(ev);
            pollfd p[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            poll(p, wake_[0] >= 0 ? 2 : 1, 20);
        }
    }

    void deliver(const Event& ev) {
        switch (ev.kind) {
            case Event::Move: input::pointerMove(ev.p, ev.mods, ev.id); break;
            case Event::Button: input::pointerButton(ev.p, ev.button, ev.down, ev.mods, ev.id); break;
            case Event::Wheel: input::pointerWheel(ev.p, ev.code, ev.mods, ev.id); break;
            case Event::Key: input::keyEvent(ev.code, ev.down, ev.text, ev.mods, ev.id); break;
            case Event::Close: input::closeRequest(ev.id); break;
            case Event::Configure: input::externalMove(ev.id, ev.rect); break;
            case Event::Focus: input::focusIn(ev.id); break;
            case Event::Exposed: input::exposed(ev.id); break;
        }
    }

    Display* dpy_ = nullptr;
    int screen_ = 0;
    ::Window root_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 24;
    int width_ = 0, height_ = 0;
    bool shm_ = false;
    ::Atom wmDelete_ = 0, wmProtocols_ = 0, motifHints_ = 0, netName_ = 0, utf8_ = 0;
    std::recursive_mutex m_;
    std::map<uint32_t, Win> windows_;
    std::map<::Window, uint32_t> byX_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    int wake_[2] = {-1, -1};
};

}  // namespace

std::unique_ptr<Backend> makeX11Backend(const char* display, std::string* error) {
    auto b = std::make_unique<X11Backend>();
    if (!b->open(display, error)) return nullptr;
    return b;
}

}  // namespace plat
