// Window classes, windows, geometry, z-order, focus and painting.
#include <algorithm>
#include <chrono>

#include "platform/font.h"
#include "platform/internal.h"
#include "platform/system.h"

namespace plat {

using namespace detail;

namespace detail {

State& state() {
    static State s;
    return s;
}

long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

WindowObj* find(uint32_t id) {
    auto& s = state();
    auto it = s.windows.find(id);
    return it == s.windows.end() || it->second->destroying ? nullptr : it->second.get();
}

WindowObj* topLevelOf(WindowObj* w) {
    while (w && (w->style & kChild)) w = find(w->parent);
    return w;
}

FrameGeometry geometryOf(const WindowObj& w) {
    return frameGeometry(w.rect.width(), w.rect.height(), w.style, w.menu != nullptr);
}

Point originInTopLevel(WindowObj* w) {
    const FrameGeometry g = geometryOf(*w);
    Point p{g.client.left, g.client.top};
    while (w && (w->style & kChild)) {
        p.x += w->rect.left;
        p.y += w->rect.top;
        w = find(w->parent);
        if (!w) break;
        const FrameGeometry pg = geometryOf(*w);
        p.x += pg.client.left;
        p.y += pg.client.top;
    }
    return p;
}

void markDirty(WindowObj* top, const Rect& r) {
    if (!top) return;
    top->dirty = unite(top->dirty, intersect(r, Rect{0, 0, top->rect.width(), top->rect.height()}));
    if (top->queue) top->queue->maybeWork.store(true, std::memory_order_release);
}

void notify(WindowObj* w) {
    if (w && w->queue) w->queue->wake();
}

uint32_t windowAt(Point p) {
    for (uint32_t id : state().zorder) {
        WindowObj* w = find(id);
        if (w && w->visible && w->rect.contains(p)) return id;
    }
    return 0;
}

void bringToFront(uint32_t id) {
    auto& z = state().zorder;
    auto it = std::find(z.begin(), z.end(), id);
    if (it == z.end()) return;
    z.erase(it);
    z.insert(z.begin(), id);
}

LResult callProc(uint32_t id, Msg m, WParam wp, LParam lp) {
    WindowProc proc = nullptr;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(id);
        if (!w) return 0;
        proc = w->cls->proc;
    }
    if (m == Msg::DestroyRequest) return destroyWindow(Window{id}) ? 1 : 0;
    return proc ? proc(Window{id}, m, wp, lp) : defaultWindowProc(Window{id}, m, wp, lp);
}

// Updates a window's Dc target and its children's after a move or resize.
static void updateTargets(WindowObj* w) {
    WindowObj* top = topLevelOf(w);
    if (!top || !w->target) return;
    w->target->surface = top->pixels.get();
    w->target->origin = originInTopLevel(w);
    const FrameGeometry g = geometryOf(*w);
    Rect clip = Rect::xywh(w->target->origin.x, w->target->origin.y, g.client.width(),
                           g.client.height());
    if (w->style & kChild) {
        if (WindowObj* p = find(w->parent); p && p->target) clip = intersect(clip, p->target->clip);
    }
    w->target->clip = clip;
    for (uint32_t c : w->children)
        if (WindowObj* cw = find(c)) updateTargets(cw);
}

void paintDecorations(uint32_t id) {
    Surface* pixels = nullptr;
    FrameGeometry g;
    unsigned style = 0;
    std::string title;
    std::shared_ptr<Menu> menu;
    FrameLook look;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(id);
        if (!w || (w->style & kChild) || !w->frameDirty || !w->pixels) return;
        w->frameDirty = false;
        pixels = w->pixels.get();
        g = geometryOf(*w);
        style = w->style;
        title = w->title;
        menu = w->menu;
        look.active = state().active == id;
        look.pressedMenuItem = w->pressedItem;
        look.closePressed = w->closePressed;
    }
    Dc dc(pixels);
    paintFrame(dc, g, style, title, menu.get(), look);
    std::lock_guard lock(state().mutex);
    if (WindowObj* w = find(id)) markDirty(w, g.outer);
}

void presentDirty() {
    auto q = currentQueue();
    std::vector<std::pair<uint32_t, Rect>> work;
    std::vector<uint32_t> frames;
    {
        std::lock_guard lock(state().mutex);
        for (uint32_t id : state().zorder) {
            WindowObj* w = find(id);
            if (!w || w->queue != q) continue;
            if (w->frameDirty) frames.push_back(id);
        }
    }
    for (uint32_t id : frames) paintDecorations(id);
    Backend* b = nullptr;
    std::vector<const Surface*> surfaces;
    {
        std::lock_guard lock(state().mutex);
        b = state().backend.get();
        for (uint32_t id : state().zorder) {
            WindowObj* w = find(id);
            if (!w || w->queue != q || w->dirty.empty() || !w->pixels) continue;
            work.emplace_back(id, w->dirty);
            surfaces.push_back(w->pixels.get());
            w->dirty = {};
        }
    }
    if (!b) return;
    for (size_t i = 0; i < work.size(); ++i) b->present(work[i].first, *surfaces[i], work[i].second);
}

void activate(uint32_t id) {
    uint32_t oldFocus = 0, newFocus = 0;
    Backend* b = nullptr;
    {
        std::lock_guard lock(state().mutex);
        auto& s = state();
        WindowObj* w = find(id);
        if (!w) return;
        w = topLevelOf(w);
        id = w->id;
        b = s.backend.get();
        if (s.active != id) {
            if (WindowObj* old = find(s.active)) {
                old->frameDirty = true;
                notify(old);
            }
            s.active = id;
            w->frameDirty = true;
            notify(w);
        }
        bringToFront(id);
        WindowObj* f = find(s.focus);
        if (!f || topLevelOf(f) != w) {
            oldFocus = s.focus;
            s.focus = id;
            newFocus = id;
        }
    }
    if (b) b->raiseWindow(id);
    if (oldFocus) postMessage(Window{oldFocus}, Msg::KillFocus);
    if (newFocus) postMessage(Window{newFocus}, Msg::SetFocus);
}

}  // namespace detail

// ---- classes ---------------------------------------------------------------

bool registerClass(const std::string& name, WindowProc proc, unsigned style, uint32_t background) {
    if (name.empty()) return false;
    std::lock_guard lock(state().mutex);
    auto& cls = state().classes;
    if (cls.count(name)) return false;
    cls[name] = std::make_shared<ClassInfo>(ClassInfo{name, proc, style, background});
    return true;
}

// ---- windows ---------------------------------------------------------------

Rect adjustWindowRect(const Rect& c, unsigned style, bool withMenu) {
    const Metrics& m = metrics();
    const int f = frameThickness(style);
    int top = f + ((style & kCaption) && !(style & kChild) ? m.captionHeight : 0) +
              (withMenu ? m.menuHeight : 0);
    return {c.left - f, c.top - top, c.right + f, c.bottom + f};
}

Window createWindow(const CreateParams& p) {
    uint32_t id = 0;
    const bool child = (p.style & kChild) != 0;
    {
        std::lock_guard lock(state().mutex);
        auto& s = state();
        auto cit = s.classes.find(p.className);
        if (cit == s.classes.end()) return {};
        if (p.width <= 0 || p.height <= 0 || p.width > 16384 || p.height > 16384) return {};
        auto w = std::make_unique<WindowObj>();
        w->cls = cit->second;
        w->queue = currentQueue();
        w->style = p.style;
        w->title = p.title;
        w->menu = child ? nullptr : p.menu;
        w->controlId = p.controlId;
        w->visible = (p.style & kVisible) != 0;
        int x = p.x, y = p.y;
        if (child) {
            WindowObj* parent = find(p.parent.id);
            if (!parent || parent->queue != w->queue) return {};
            w->parent = parent->id;
            if (x == kDefaultPosition) x = 0;
            if (y == kDefaultPosition) y = 0;
        } else {
            w->owner = find(p.parent.id) ? p.parent.id : 0;
            // Default positions cascade from the top-left, as users know it.
            static int cascade = 0;
            const int step = 26 * (cascade++ % 10);
            if (x == kDefaultPosition) x = 40 + step;
            if (y == kDefaultPosition) y = 40 + step;
            w->pixels = Surface::create(p.width, p.height, 32);
            if (!w->pixels) return {};
            w->pixels->fill(w->cls->background);
            w->frameDirty = true;
        }
        w->rect = Rect::xywh(x, y, p.width, p.height);
        id = s.nextId++;
        w->id = id;
        w->target = std::make_shared<DcTarget>();
        w->target->onChange = [id](const Rect& r) {
            std::lock_guard l(state().mutex);
            if (WindowObj* o = find(id)) markDirty(topLevelOf(o), r);
        };
        WindowObj* raw = w.get();
        s.windows[id] = std::move(w);
        s.creationOrder.push_back(id);
        if (child) {
            find(raw->parent)->children.push_back(id);
        } else {
            s.zorder.insert(s.zorder.begin(), id);
        }
        updateTargets(raw);
        raw->invalid = Rect{0, 0, geometryOf(*raw).client.width(), geometryOf(*raw).client.height()};
        raw->erase = true;
        if (!child && s.backend) {
            BackendWindow bw{id, raw->rect, raw->cls->name, raw->title, raw->owner, raw->visible};
            if (!s.backend->createWindow(bw)) {
                s.windows.erase(id);
                s.creationOrder.pop_back();
                s.zorder.erase(s.zorder.begin());
                return {};
            }
        }
    }
    CreateParams copy = p;
    if (callProc(id, Msg::Create, 0, LParam(&copy)) == -1) {
        destroyWindow(Window{id});
        return {};
    }
    {
        std::lock_guard lock(state().mutex);
        if (WindowObj* w = find(id)) w->created = true;
        else return {};
    }
    const Rect c = clientRect(Window{id});
    callProc(id, Msg::Size, 0, pointParam(c.width(), c.height()));
    const Point o = clientToScreen(Window{id}, {0, 0});
    callProc(id, Msg::Move, 0, pointParam(o.x, o.y));
    if (!child && (p.style & kVisible)) activate(id);
    return Window{id};
}

void detail::collectTree(uint32_t id, std::vector<uint32_t>& out) {
    WindowObj* w = find(id);
    if (!w) return;
    out.push_back(id);
    for (uint32_t c : w->children) collectTree(c, out);
}

// Removes windows from the tables (mutex held). Pending sends to them
// complete with 0 so no sender waits for ever.
void detail::removeWindows(const std::vector<uint32_t>& ids) {
    auto& s = state();
    for (uint32_t id : ids) {
        auto it = s.windows.find(id);
        if (it == s.windows.end()) continue;
        WindowObj* w = it->second.get();
        if (w->target) w->target->surface = nullptr;
        if (WindowObj* p = find(w->parent)) std::erase(p->children, id);
        std::erase(s.zorder, id);
        std::erase(s.creationOrder, id);
        if (!(w->style & kChild) && s.backend) s.backend->destroyWindow(id);
        if (w->queue) {
            for (auto& sm : w->queue->sent) {
                if (sm->message.window.id == id && !sm->done) {
                    sm->done = true;
                    if (sm->sender) sm->sender->wake();
                }
            }
            std::erase_if(w->queue->sent, [id](auto& sm) { return sm->message.window.id == id; });
        }
        if (s.focus == id) s.focus = 0;
        if (s.active == id) s.active = 0;
        if (s.capture == id) s.capture = 0;
        if (s.hover == id) s.hover = 0;
        s.windows.erase(it);
    }
}

bool destroyWindow(Window win) {
    std::vector<uint32_t> owned, tree;
    {
        std::unique_lock lock(state().mutex);
        WindowObj* w = find(win.id);
        if (!w) return false;
        if (w->queue != currentQueue()) {
            // Only the owner thread may destroy; hand it over.
            lock.unlock();
            return sendMessage(win, Msg::DestroyRequest) != 0;
        }
        for (auto& [id, o] : state().windows)
            if (o->owner == win.id && !o->destroying) owned.push_back(id);
    }
    for (uint32_t o : owned) {
        bool sameThread;
        {
            std::lock_guard lock(state().mutex);
            WindowObj* ow = find(o);
            sameThread = ow && ow->queue == currentQueue();
        }
        // Owned windows of another thread are destroyed by their thread, later;
        // waiting here could wait for a thread that waits for us.
        if (sameThread) destroyWindow(Window{o});
        else postMessage(Window{o}, Msg::DestroyRequest);
    }
    {
        std::lock_guard lock(state().mutex);
        collectTree(win.id, tree);
    }
    bool wasActive = false;
    for (uint32_t id : tree) callProc(id, Msg::Destroy, 0, 0);
    {
        std::lock_guard lock(state().mutex);
        for (uint32_t id : tree)
            if (WindowObj* w = find(id)) w->destroying = true;
        wasActive = state().active == win.id;
        if (wasActive) state().active = 0;
        removeWindows(tree);
    }
    if (wasActive) {
        uint32_t next = 0;
        {
            std::lock_guard lock(state().mutex);
            for (uint32_t id : state().zorder)
                if (WindowObj* w = find(id); w && w->visible) {
                    next = id;
                    break;
                }
        }
        if (next) activate(next);
    }
    return true;
}

bool isWindow(Window w) {
    std::lock_guard lock(state().mutex);
    return find(w.id) != nullptr;
}

Window parentOf(Window w) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    return Window{o ? o->parent : 0};
}

Window ownerOf(Window w) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    return Window{o ? o->owner : 0};
}

Rect windowRect(Window w) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    return o ? o->rect : Rect{};
}

Rect clientRect(Window w) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    if (!o) return {};
    const FrameGeometry g = geometryOf(*o);
    return {0, 0, g.client.width(), g.client.height()};
}

Point clientToScreen(Window w, Point p) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    if (!o) return p;
    const Point org = originInTopLevel(o);
    WindowObj* top = topLevelOf(o);
    return {p.x + org.x + (top ? top->rect.left : 0), p.y + org.y + (top ? top->rect.top : 0)};
}

Point screenToClient(Window w, Point p) {
    const Point o = clientToScreen(w, {0, 0});
    return {p.x - o.x, p.y - o.y};
}

bool setWindowRect(Window win, const Rect& r) {
    bool moved = false, sized = false, owner = false;
    Backend* b = nullptr;
    bool top = false;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(win.id);
        if (!w || r.width() <= 0 || r.height() <= 0 || r.width() > 16384 || r.height() > 16384)
            return false;
        owner = w->queue == currentQueue();
        top = !(w->style & kChild);
        moved = r.left != w->rect.left || r.top != w->rect.top;
        sized = r.width() != w->rect.width() || r.height() != w->rect.height();
        if (!moved && !sized) return true;
        if (sized && top) {
            if (!owner) return false;  // pixels belong to the owner thread
            auto px = Surface::create(r.width(), r.height(), 32);
            if (!px) return false;
            px->fill(w->cls->background);
            Dc nd(px.get()), od(w->pixels.get());
            copyBlock(nd, 0, 0, std::min(r.width(), w->rect.width()),
                      std::min(r.height(), w->rect.height()), od, 0, 0);
            w->pixels = std::move(px);
        }
        w->rect = r;
        if (top) w->dirty = {0, 0, r.width(), r.height()};
        if (sized) {
            w->frameDirty = true;
            const FrameGeometry g = geometryOf(*w);
            w->invalid = {0, 0, g.client.width(), g.client.height()};
            w->erase = true;
        }
        if (!top) {
            // A child moved: its parent shows what was under it.
            if (WindowObj* p = find(w->parent)) {
                const FrameGeometry pg = geometryOf(*p);
                p->invalid = unite(p->invalid, Rect{0, 0, pg.client.width(), pg.client.height()});
                p->erase = true;
            }
        }
        updateTargets(w);
        notify(w);
        b = state().backend.get();
        if (top && b) b->setWindowRect(win.id, r);
    }
    if (owner) {
        if (sized) {
            const Rect c = clientRect(win);
            callProc(win.id, Msg::Size, 0, pointParam(c.width(), c.height()));
        }
        if (moved) {
            const Point o = clientToScreen(win, {0, 0});
            callProc(win.id, Msg::Move, 0, pointParam(o.x, o.y));
        }
        // Show the move at once: callers animate windows without pumping.
        if (top) presentDirty();
    }
    return true;
}

bool moveWindow(Window w, int x, int y) {
    Rect r = windowRect(w);
    if (r.empty()) return false;
    return setWindowRect(w, Rect::xywh(x, y, r.width(), r.height()));
}

bool showWindow(Window win, bool visible) {
    Backend* b = nullptr;
    bool top = false;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(win.id);
        if (!w) return false;
        if (w->visible == visible) return true;
        w->visible = visible;
        top = !(w->style & kChild);
        b = state().backend.get();
        if (top && b) b->showWindow(win.id, visible);
        if (!top)
            if (WindowObj* p = find(w->parent)) {
                p->invalid = unite(p->invalid, geometryOf(*p).client.offset(-geometryOf(*p).client.left,
                                                                           -geometryOf(*p).client.top));
                p->erase = true;
                notify(p);
            }
    }
    if (visible && top) activate(win.id);
    return true;
}

bool isVisible(Window w) {
    std::lock_guard lock(state().mutex);
    WindowObj* o = find(w.id);
    return o && o->visible;
}

bool setWindowText(Window win, const std::string& text) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    if (!w) return false;
    w->title = text;
    if (w->style & kChild) {
        const FrameGeometry g = geometryOf(*w);
        w->invalid = {0, 0, g.client.width(), g.client.height()};
        w->erase = true;
    } else {
        w->frameDirty = true;
        if (state().backend) state().backend->setTitle(win.id, text);
    }
    notify(w);
    return true;
}

std::string windowText(Window win) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    return w ? w->title : std::string();
}

std::string className(Window win) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    return w ? w->cls->name : std::string();
}

int controlId(Window win) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    return w ? w->controlId : 0;
}

Window childById(Window parent, int id) {
    std::lock_guard lock(state().mutex);
    WindowObj* p = find(parent.id);
    if (!p) return {};
    for (uint32_t c : p->children)
        if (WindowObj* w = find(c); w && w->controlId == id) return Window{c};
    return {};
}

std::vector<Window> childrenOf(Window parent) {
    std::lock_guard lock(state().mutex);
    std::vector<Window> out;
    if (WindowObj* p = find(parent.id))
        for (uint32_t c : p->children) out.push_back(Window{c});
    return out;
}

void setUserData(Window win, intptr_t v) {
    std::lock_guard lock(state().mutex);
    if (WindowObj* w = find(win.id)) w->userData = v;
}

intptr_t userData(Window win) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    return w ? w->userData : 0;
}

unsigned styleOf(Window win) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    return w ? w->style : 0;
}

Window findWindow(const std::string& cls) {
    std::lock_guard lock(state().mutex);
    for (uint32_t id : state().zorder)
        if (WindowObj* w = find(id); w && w->cls->name == cls) return Window{id};
    return {};
}

bool windowClassExists(const std::string& cls) {
    if (findWindow(cls)) return true;
    Backend* b;
    {
        std::lock_guard lock(state().mutex);
        b = state().backend.get();
    }
    return b && b->findWindowByClass(cls);
}

std::vector<Window> topLevelWindows() {
    std::lock_guard lock(state().mutex);
    std::vector<Window> out;
    for (uint32_t id : state().zorder)
        if (find(id)) out.push_back(Window{id});
    return out;
}

// ---- focus -----------------------------------------------------------------

bool setForegroundWindow(Window w) {
    if (!isWindow(w)) return false;
    activate(w.id);
    return true;
}

Window foregroundWindow() {
    std::lock_guard lock(state().mutex);
    return Window{find(state().active) ? state().active : 0};
}

Window setFocus(Window w) {
    uint32_t old;
    {
        std::lock_guard lock(state().mutex);
        old = state().focus;
        if (w && !find(w.id)) return Window{old};
        if (old == w.id) return Window{old};
        state().focus = w.id;
    }
    if (old) postMessage(Window{old}, Msg::KillFocus);
    if (w) postMessage(w, Msg::SetFocus);
    return Window{old};
}

Window focusWindow() {
    std::lock_guard lock(state().mutex);
    return Window{find(state().focus) ? state().focus : 0};
}

uint8_t& detail::threadKeyState() {
    thread_local uint8_t ks = 0;
    return ks;
}

bool ctrlHeld() {
    const uint8_t ks = threadKeyState();
    if (ks & Message::kFromInput) return (ks & Message::kCtrl) != 0;
    return state().ctrl.load(std::memory_order_relaxed);
}
bool shiftHeld() {
    const uint8_t ks = threadKeyState();
    if (ks & Message::kFromInput) return (ks & Message::kShift) != 0;
    return state().shift.load(std::memory_order_relaxed);
}

// ---- painting --------------------------------------------------------------

void invalidate(Window win, const Rect* r, bool erase) {
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    if (!w) return;
    const FrameGeometry g = geometryOf(*w);
    const Rect all{0, 0, g.client.width(), g.client.height()};
    const Rect add = r ? intersect(*r, all) : all;
    if (add.empty()) return;
    w->invalid = unite(w->invalid, add);
    w->erase = w->erase || erase;
    notify(w);
}

void validate(Window win) {
    std::lock_guard lock(state().mutex);
    if (WindowObj* w = find(win.id)) w->invalid = {}, w->erase = false;
}

PaintContext beginPaint(Window win) {
    PaintContext pc;
    bool erase = false;
    uint32_t bg = 0;
    {
        std::lock_guard lock(state().mutex);
        WindowObj* w = find(win.id);
        if (!w) return pc;
        pc.area = w->invalid;
        erase = w->erase;
        bg = w->cls->background;
        w->invalid = {};
        w->erase = false;
        pc.dc.target = w->target;
        pc.dc.font = systemFont();
        pc.dc.brush = bg;
    }
    if (erase) fillRect(pc.dc, pc.area, bg);
    return pc;
}

void endPaint(Window win, PaintContext& pc) {
    // Children lie on top of the parent's pixels: repaint those it covered.
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    if (!w) return;
    for (uint32_t c : w->children) {
        WindowObj* cw = find(c);
        if (!cw || !cw->visible) continue;
        const Rect hit = intersect(pc.area, cw->rect);
        if (hit.empty()) continue;
        const FrameGeometry cg = geometryOf(*cw);
        cw->invalid = unite(cw->invalid, Rect{0, 0, cg.client.width(), cg.client.height()});
    }
}

Dc windowDc(Window win) {
    Dc dc;
    std::lock_guard lock(state().mutex);
    WindowObj* w = find(win.id);
    if (!w) return dc;
    dc.target = w->target;
    dc.font = systemFont();
    dc.brush = w->cls->background;
    return dc;
}

void flushWindows() { presentDirty(); }

// ---- menus -----------------------------------------------------------------

void Menu::insert(int position, Item item) {
    if (position < 0 || position > int(items_.size())) position = int(items_.size());
    items_.insert(items_.begin() + position, std::move(item));
}

Menu::Item* Menu::byId(int id) {
    for (auto& i : items_)
        if (!i.separator && i.id == id) return &i;
    return nullptr;
}

void Menu::setState(int id, unsigned st) {
    if (Item* i = byId(id)) i->state = st;
}

}  // namespace plat
