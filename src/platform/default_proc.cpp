// The default handling of messages: closing, painting, and the frame:
// dragging by the caption (moving), by the border (sizing), the close box
// and the menu bar.
#include "platform/font.h"
#include "platform/internal.h"
#include "platform/system.h"

namespace plat {

using namespace detail;

namespace {

int menuItemAt(WindowObj* w, Point screen) {
    if (!w->menu) return -1;
    const FrameGeometry g = geometryOf(*w);
    const Point p{screen.x - w->rect.left, screen.y - w->rect.top};
    const auto rects = menuBarLayout(g, *w->menu, *systemFont());
    for (size_t i = 0; i < rects.size(); ++i)
        if (rects[i].contains(p)) return int(i);
    return -1;
}

void beginDrag(Window win, Drag d, HitTest edge, Point screen) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    if (!w) return;
    w->drag = d;
    w->dragEdge = edge;
    w->dragStart = screen;
    w->dragRect = w->rect;
    state().capture = win.id;
}

void frameButtonDown(Window win, HitTest hit, Point screen) {
    unsigned style;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(win.id);
        if (!w) return;
        style = w->style;
        if (hit == HitTest::CloseBox) {
            w->closePressed = true;
            w->frameDirty = true;
        } else if (hit == HitTest::MenuBar) {
            const int i = menuItemAt(w, screen);
            if (i < 0) return;
            const auto& item = w->menu->items()[size_t(i)];
            if (item.separator || (item.state & kMenuGrayed)) return;
            w->pressedItem = i;
            w->frameDirty = true;
        }
        notify(w);
    }
    if (hit == HitTest::Caption) beginDrag(win, Drag::Move, hit, screen);
    else if (hit == HitTest::CloseBox) beginDrag(win, Drag::CloseBox, hit, screen);
    else if (hit == HitTest::MenuBar) beginDrag(win, Drag::MenuItem, hit, screen);
    else if (isSizingEdge(hit) && (style & kSizingBorder)) beginDrag(win, Drag::Size, hit, screen);
}

void dragMove(Window win, Point screen) {
    Drag d;
    Rect proposed;
    HitTest edge;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(win.id);
        if (!w) return;
        d = w->drag;
        edge = w->dragEdge;
        const int dx = screen.x - w->dragStart.x, dy = screen.y - w->dragStart.y;
        if (d == Drag::Move) {
            proposed = w->dragRect.offset(dx, dy);
        } else if (d == Drag::Size) {
            proposed = sizedRect(w->dragRect, edge, dx, dy, metrics().minWindowWidth,
                                 metrics().minWindowHeight);
        } else if (d == Drag::CloseBox) {
            const bool over = geometryOf(*w).closeBox.contains(
                {screen.x - w->rect.left, screen.y - w->rect.top});
            if (over != w->closePressed) w->closePressed = over, w->frameDirty = true, notify(w);
            return;
        } else if (d == Drag::MenuItem) {
            return;
        } else {
            return;
        }
    }
    callProc(win.id, d == Drag::Move ? Msg::Moving : Msg::Sizing, WParam(edge), LParam(&proposed));
    if (d == Drag::Size && (proposed.width() < 1 || proposed.height() < 1)) return;
    setWindowRect(win, proposed);
}

void dragEnd(Window win, Point screen) {
    Drag d;
    int command = 0;
    bool close = false;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(win.id);
        if (state().capture == win.id) state().capture = 0;
        if (!w) return;
        d = w->drag;
        w->drag = Drag::None;
        if (d == Drag::CloseBox) {
            close = w->closePressed;
            w->closePressed = false;
            w->frameDirty = true;
        } else if (d == Drag::MenuItem) {
            const int i = menuItemAt(w, screen);
            if (i >= 0 && i == w->pressedItem) command = w->menu->items()[size_t(i)].id;
            w->pressedItem = -1;
            w->frameDirty = true;
        }
        notify(w);
    }
    if (close) postMessage(win, Msg::Close);
    if (command) postMessage(win, Msg::Command, commandParam(command), 0);
}

bool dragging(Window win) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    return w && w->drag != Drag::None;
}

}  // namespace

LResult defaultWindowProc(Window w, Msg m, WParam wp, LParam lp) {
    switch (m) {
        case Msg::Close:
            destroyWindow(w);
            return 0;
        case Msg::Paint: {
            PaintContext pc = beginPaint(w);
            endPaint(w, pc);
            return 0;
        }
        case Msg::NcLButtonDown:
            frameButtonDown(w, HitTest(wp), paramPoint(lp));
            return 0;
        case Msg::CaptureMove:
            dragMove(w, paramPoint(lp));
            return 0;
        case Msg::CaptureUp:
            dragEnd(w, paramPoint(lp));
            return 0;
        // Input that was queued before the drag took the capture.
        case Msg::NcMouseMove:
            if (dragging(w)) dragMove(w, paramPoint(lp));
            return 0;
        case Msg::NcLButtonUp:
            if (dragging(w)) dragEnd(w, paramPoint(lp));
            return 0;
        case Msg::DestroyRequest:
            destroyWindow(w);
            return 0;
        default:
            return 0;
    }
}

}  // namespace plat
