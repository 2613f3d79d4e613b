// Raw input to messages: hit testing by stacking order, client and frame
// mouse messages, implicit capture while a button is held, double clicks,
// keys to the focus window.
#include "platform/input.h"

#include <cstdlib>

#include "platform/font.h"
#include "platform/internal.h"
#include "platform/keys.h"

namespace plat::input {

using namespace plat::detail;

namespace {

// Client capture: the window that got a button press keeps the pointer
// until the last button goes up, as on every desktop.
uint32_t clientCapture = 0;
int buttonsDown = 0;
// The top-level window that got the first button press keeps the pointer's
// frame events (moves off the window included) until the last button is
// up, so a drag started before its owner thread has seen the press still
// reaches it.
uint32_t grabTop = 0;

uint32_t grabHint(uint32_t hint) {
    if (buttonsDown && grabTop && find(grabTop)) return grabTop;
    return hint;
}

void setMods(Modifiers m) {
    state().ctrl.store(m.ctrl, std::memory_order_relaxed);
    state().shift.store(m.shift, std::memory_order_relaxed);
}

WParam mouseFlags(Modifiers m) {
    WParam f = 0;
    if (m.ctrl) f |= kMouseControl;
    if (m.shift) f |= kMouseShift;
    if (buttonsDown & 1) f |= kMouseLeft;
    if (buttonsDown & 2) f |= kMouseRight;
    if (buttonsDown & 4) f |= kMouseMiddle;
    return f;
}

// The deepest visible child of `top` under a point given in top's window
// coordinates; returns the window and the point in its client coordinates.
uint32_t deepestAt(WindowObj* top, Point p, Point* clientPt) {
    WindowObj* cur = top;
    FrameGeometry g = geometryOf(*cur);
    Point local{p.x - g.client.left, p.y - g.client.top};
    for (;;) {
        WindowObj* hit = nullptr;
        // Later children lie above earlier ones.
        for (auto it = cur->children.rbegin(); it != cur->children.rend(); ++it) {
            WindowObj* c = find(*it);
            if (c && c->visible && c->rect.contains(local)) {
                hit = c;
                break;
            }
        }
        if (!hit) break;
        cur = hit;
        g = geometryOf(*cur);
        local = {local.x - cur->rect.left - g.client.left, local.y - cur->rect.top - g.client.top};
    }
    *clientPt = local;
    return cur->id;
}

struct Target {
    uint32_t window = 0;
    bool client = false;
    HitTest hit = HitTest::Nowhere;
    Point point;  // client coordinates (client) or screen (frame)
};

Target locate(Point screen, uint32_t hint) {
    Target t;
    WindowObj* top = hint ? find(hint) : nullptr;
    if (top && (top->style & kChild)) top = topLevelOf(top);
    if (!top) top = find(windowAt(screen));
    if (!top) return t;
    const Point p{screen.x - top->rect.left, screen.y - top->rect.top};
    t.hit = hitTest(geometryOf(*top), top->style, p);
    if (t.hit == HitTest::Client) {
        t.client = true;
        t.window = deepestAt(top, p, &t.point);
    } else {
        t.window = top->id;
        t.point = screen;
    }
    return t;
}

Point clientPointOf(uint32_t id, Point screen) {
    WindowObj* w = find(id);
    if (!w) return screen;
    const Point o = originInTopLevel(w);
    WindowObj* top = topLevelOf(w);
    return {screen.x - o.x - top->rect.left, screen.y - o.y - top->rect.top};
}

void post(uint32_t id, Msg m, WParam wp, LParam lp) {
    WindowObj* w = find(id);
    if (!w || !w->queue) return;
    auto& posted = w->queue->posted;
    const uint8_t ks = uint8_t(Message::kFromInput | (state().ctrl ? Message::kCtrl : 0) |
                               (state().shift ? Message::kShift : 0));
    if ((m == Msg::MouseMove || m == Msg::CaptureMove || m == Msg::NcMouseMove) && !posted.empty() &&
        posted.back().msg == m && posted.back().window.id == id) {
        posted.back().wParam = wp;
        posted.back().lParam = lp;
        posted.back().keyState = ks;
    } else {
        posted.push_back(Message{Window{id}, m, wp, lp, ks});
    }
    w->queue->wake();
}

}  // namespace

void pointerMove(Point screen, Modifiers mods, uint32_t hint) {
    std::lock_guard lock(state().mutex);
    setMods(mods);
    if (state().capture) {
        post(state().capture, Msg::CaptureMove, mouseFlags(mods), pointParam(screen.x, screen.y));
        return;
    }
    if (clientCapture && find(clientCapture)) {
        const Point c = clientPointOf(clientCapture, screen);
        post(clientCapture, Msg::MouseMove, mouseFlags(mods), pointParam(c.x, c.y));
        return;
    }
    const Target t = locate(screen, grabHint(hint));
    if (!t.window) return;
    state().hover = t.window;
    post(t.window, t.client ? Msg::MouseMove : Msg::NcMouseMove,
         t.client ? mouseFlags(mods) : WParam(t.hit), pointParam(t.point.x, t.point.y));
}

void pointerButton(Point screen, Button b, bool down, Modifiers mods, uint32_t hint) {
    const int bit = b == Button::Left ? 1 : b == Button::Right ? 2 : b == Button::Middle ? 4 : 0;
    if (!bit) return;
    uint32_t toActivate = 0;
    {
        std::lock_guard lock(state().mutex);
        setMods(mods);
        const uint32_t held = buttonsDown ? grabHint(hint) : hint;
        if (down) buttonsDown |= bit;
        else buttonsDown &= ~bit;
        if (state().capture) {
            if (!down) post(state().capture, Msg::CaptureUp, WParam(bit), pointParam(screen.x, screen.y));
            if (!buttonsDown) grabTop = 0;
            return;
        }
        Target t;
        if (clientCapture && find(clientCapture)) {
            t.window = clientCapture;
            t.client = true;
            t.hit = HitTest::Client;
            t.point = clientPointOf(clientCapture, screen);
        } else {
            t = locate(screen, held);
        }
        if (!t.window) return;
        if (down && !(buttonsDown & ~bit)) grabTop = topLevelOf(find(t.window))->id;
        if (!buttonsDown) grabTop = 0;
        if (t.client) clientCapture = buttonsDown ? t.window : 0;
        if (down) {
            WindowObj* top = topLevelOf(find(t.window));
            if (top && state().active != top->id) toActivate = top->id;
        }
        Msg m;
        if (t.client) {
            static const Msg downs[] = {Msg::LButtonDown, Msg::RButtonDown, Msg::MButtonDown};
            static const Msg ups[] = {Msg::LButtonUp, Msg::RButtonUp, Msg::MButtonUp};
            const int i = bit == 1 ? 0 : bit == 2 ? 1 : 2;
            m = down ? downs[i] : ups[i];
            WindowObj* w = find(t.window);
            if (down && w && (w->cls->style & kClassDblClks) && i < 2) {
                const long long now = nowMs();
                if (w->lastClickButton == bit && now - w->lastClickMs < 500 &&
                    std::abs(w->lastClickPos.x - t.point.x) <= 4 &&
                    std::abs(w->lastClickPos.y - t.point.y) <= 4) {
                    m = i == 0 ? Msg::LButtonDblClk : Msg::RButtonDblClk;
                    w->lastClickMs = -100000;
                } else {
                    w->lastClickMs = now;
                    w->lastClickPos = t.point;
                    w->lastClickButton = bit;
                }
            }
            post(t.window, m, mouseFlags(mods), pointParam(t.point.x, t.point.y));
        } else if (bit != 4) {
            m = bit == 1 ? (down ? Msg::NcLButtonDown : Msg::NcLButtonUp)
                         : (down ? Msg::NcRButtonDown : Msg::NcRButtonUp);
            post(t.window, m, WParam(t.hit), pointParam(t.point.x, t.point.y));
        }
    }
    if (toActivate) activate(toActivate);
}

void pointerWheel(Point screen, int delta, Modifiers mods, uint32_t hint) {
    std::lock_guard lock(state().mutex);
    setMods(mods);
    Target t = locate(screen, hint);
    if (!t.window) return;
    // The wheel goes to the window under the pointer, as X and most users expect.
    post(t.window, Msg::MouseWheel, (WParam(uint16_t(int16_t(delta))) << 16) | mouseFlags(mods),
         pointParam(screen.x, screen.y));
}

void keyEvent(int code, bool down, const std::string& text, Modifiers mods, uint32_t hint) {
    std::lock_guard lock(state().mutex);
    if (code == key::Control) mods.ctrl = down;
    if (code == key::Shift) mods.shift = down;
    setMods(mods);
    uint32_t target = find(state().focus) ? state().focus : 0;
    if (!target) target = find(state().active) ? state().active : 0;
    // The display names the window that has its keyboard focus: our focus
    // counts only inside that window.
    if (WindowObj* h = find(hint)) {
        WindowObj* f = find(target);
        if (!f || topLevelOf(f) != topLevelOf(h)) target = topLevelOf(h)->id;
    }
    if (!target) return;
    post(target, down ? Msg::KeyDown : Msg::KeyUp, WParam(code), 0);
    if (down && !mods.ctrl && !text.empty())
        for (char32_t c : decodeUtf8(text)) post(target, Msg::Char, WParam(c), 0);
}

void closeRequest(uint32_t window) {
    std::lock_guard lock(state().mutex);
    if (find(window)) post(window, Msg::Close, 0, 0);
}

void externalMove(uint32_t window, const Rect& outer) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(window);
    if (!w || w->rect == outer || outer.width() != w->rect.width() ||
        outer.height() != w->rect.height())
        return;
    w->rect = outer;
    const Point o = originInTopLevel(w);
    post(window, Msg::Move, 0, pointParam(outer.left + o.x, outer.top + o.y));
}

void focusIn(uint32_t window) {
    bool change;
    {
        std::lock_guard lock(state().mutex);
        change = find(window) && state().active != window;
    }
    if (change) activate(window);
}

void exposed(uint32_t window) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(window);
    if (!w) return;
    markDirty(w, {0, 0, w->rect.width(), w->rect.height()});
    notify(w);
}

}  // namespace plat::input
