// Window edge snapping: while a window is dragged with Ctrl held, its edges
// jump onto the screen borders and the other framework windows' edges when
// they come within 7 pixels.
#include <cstdlib>

#include "frame/frame.h"
#include "platform/system.h"

namespace {
std::vector<SnapSource> g_sources;
}

SnapList& snapList() {
    static SnapList s;
    return s;
}

void SetSnapSources(std::vector<SnapSource> sources) { g_sources = std::move(sources); }

void CollectSnapEdges() {
    SnapList& s = snapList();
    const plat::Metrics& m = plat::metrics();
    const int a = m.fullScreenWidth(), b = m.fullScreenHeight() + m.captionHeight;
    const int strips[4][4] = {{-1000, 0, 0, b}, {0, -1000, a, 0}, {a, 0, a + 1000, b}, {0, b, a, b + 1000}};
    s.count = 0;
    auto add = [&s](int l, int t, int r, int bo) {
        if (s.count >= kSnapListSize) return;  // further windows do not snap
        s.left[s.count] = l;
        s.top[s.count] = t;
        s.right[s.count] = r;
        s.bottom[s.count] = bo;
        ++s.count;
    };
    for (const auto& e : strips) add(e[0], e[1], e[2], e[3]);
    std::vector<plat::Window> windows;
    for (SnapSource src : g_sources)
        if (src) src(windows);
    if (frame().mainWindow) windows.push_back(frame().mainWindow);
    for (plat::Window w : windows) {
        const plat::Rect r = plat::windowRect(w);
        if (!r.empty()) add(r.left, r.top, r.right, r.bottom);
    }
}

void SnapMovingWindow(plat::Rect* rect, plat::Window window) {
    if (!rect || !plat::ctrlHeld()) return;
    const plat::Rect cur = plat::windowRect(window);
    const int L = rect->left, T = rect->top, R = rect->right, B = rect->bottom;
    auto shiftX = [rect](int d) { rect->left += d, rect->right += d; };
    auto shiftY = [rect](int d) { rect->top += d, rect->bottom += d; };
    bool xs = false, ys = false;
    const SnapList& s = snapList();
    for (int i = 0; i < s.count && !(xs && ys); ++i) {
        const int EL = s.left[i], ET = s.top[i], ER = s.right[i], EB = s.bottom[i];
        if (EL == cur.left && ET == cur.top && ER == cur.right && EB == cur.bottom) continue;
        const bool hov = EL <= R && ER >= L;
        const bool vov = ET <= B && EB >= T;
        if (!xs && vov) {
            if (std::abs(ER - L) < 8) shiftX(ER - L), xs = true;
            else if (std::abs(EL - R) < 8) shiftX(EL - R), xs = true;
        }
        if (!ys && xs && hov) {
            if (std::abs(ET - T) < 8) shiftY(ET - T), ys = true;
            else if (std::abs(EB - B) < 8) shiftY(EB - B), ys = true;
        }
        if (!ys && hov) {
            if (std::abs(EB - T) < 8) shiftY(EB - T), ys = true;
            else if (std::abs(ET - B) < 8) shiftY(ET - B), ys = true;
        }
        if (!xs && ys && vov) {
            if (std::abs(EL - L) < 8) shiftX(EL - L), xs = true;
            else if (std::abs(ER - R) < 8) shiftX(ER - R), xs = true;
        }
    }
}

bool HandleWindowGeometry(plat::Window w, plat::Msg m, plat::LParam lp, bool fixedSize) {
    switch (m) {
        case plat::Msg::Move:
            CollectSnapEdges();
            return true;
        case plat::Msg::Moving:
            SnapMovingWindow(reinterpret_cast<plat::Rect*>(lp), w);
            return true;
        case plat::Msg::Sizing:
            if (!fixedSize) return false;
            *reinterpret_cast<plat::Rect*>(lp) = plat::windowRect(w);
            return true;
        default:
            return false;
    }
}
