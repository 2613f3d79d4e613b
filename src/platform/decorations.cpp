#include "platform/decorations.h"

#include <algorithm>

#include "platform/dc.h"
#include "platform/font.h"
#include "platform/system.h"
#include "platform/window.h"

namespace plat {

int frameThickness(unsigned style) {
    if (style & kChild) return (style & kThinBorder) ? 1 : 0;
    if (style & (kSizingBorder | kDialogFrame)) return metrics().frameWidth;
    if (style & kThinBorder) return 1;
    return 0;
}

FrameGeometry frameGeometry(int w, int h, unsigned style, bool hasMenu) {
    const Metrics& m = metrics();
    FrameGeometry g;
    g.outer = {0, 0, w, h};
    const int f = frameThickness(style);
    int top = f;
    if ((style & kCaption) && !(style & kChild)) {
        g.caption = {f, top, w - f, top + m.captionHeight};
        top += m.captionHeight;
        if (style & kCloseBox) {
            const int s = m.captionHeight - 4;
            g.closeBox = {g.caption.right - 2 - s, g.caption.top + 2, g.caption.right - 2,
                          g.caption.top + 2 + s};
        }
    }
    if (hasMenu && !(style & kChild)) {
        g.menuBar = {f, top, w - f, top + m.menuHeight};
        top += m.menuHeight;
    }
    g.client = {f, top, std::max(f, w - f), std::max(top, h - f)};
    return g;
}

HitTest hitTest(const FrameGeometry& g, unsigned style, Point p) {
    if (!g.outer.contains(p)) return HitTest::Nowhere;
    if (g.client.contains(p)) return HitTest::Client;
    if (!g.closeBox.empty() && g.closeBox.contains(p)) return HitTest::CloseBox;
    if (!g.caption.empty() && g.caption.contains(p)) return HitTest::Caption;
    if (!g.menuBar.empty() && g.menuBar.contains(p)) return HitTest::MenuBar;
    if (style & kSizingBorder) {
        // Corners take the caption height along each edge, as users expect
        // a generous grip there.
        const int c = metrics().captionHeight;
        const bool left = p.x < g.client.left, right = p.x >= g.client.right;
        const bool top = p.y < g.outer.top + frameThickness(style),
                   bottom = p.y >= g.client.bottom;
        const bool nearLeft = p.x < c, nearRight = p.x >= g.outer.right - c;
        const bool nearTop = p.y < c, nearBottom = p.y >= g.outer.bottom - c;
        if ((top && nearLeft) || (left && nearTop)) return HitTest::TopLeft;
        if ((top && nearRight) || (right && nearTop)) return HitTest::TopRight;
        if ((bottom && nearLeft) || (left && nearBottom)) return HitTest::BottomLeft;
        if ((bottom && nearRight) || (right && nearBottom)) return HitTest::BottomRight;
        if (left) return HitTest::Left;
        if (right) return HitTest::Right;
        if (top) return HitTest::Top;
        if (bottom) return HitTest::Bottom;
    }
    return HitTest::Nowhere;  // a fixed frame: nothing to grab
}

bool isSizingEdge(HitTest h) { return h >= HitTest::Left && h <= HitTest::BottomRight; }

Rect sizedRect(const Rect& s, HitTest e, int dx, int dy, int minW, int minH) {
    Rect r = s;
    const bool l = e == HitTest::Left || e == HitTest::TopLeft || e == HitTest::BottomLeft;
    const bool rt = e == HitTest::Right || e == HitTest::TopRight || e == HitTest::BottomRight;
    const bool t = e == HitTest::Top || e == HitTest::TopLeft || e == HitTest::TopRight;
    const bool b = e == HitTest::Bottom || e == HitTest::BottomLeft || e == HitTest::BottomRight;
    if (l) r.left = std::min(s.left + dx, s.right - minW);
    if (rt) r.right = std::max(s.right + dx, s.left + minW);
    if (t) r.top = std::min(s.top + dy, s.bottom - minH);
    if (b) r.bottom = std::max(s.bottom + dy, s.top + minH);
    return r;
}

std::u32string menuLabel(const std::string& text, int* mnemonic, std::u32string* accel) {
    const std::u32string all = decodeUtf8(text);
    std::u32string out;
    if (mnemonic) *mnemonic = -1;
    size_t i = 0;
    for (; i < all.size(); ++i) {
        const char32_t c = all[i];
        if (c == U'\t') break;
        if (c == U'&' && i + 1 < all.size()) {
            if (all[i + 1] == U'&') {
                out.push_back(U'&');
                ++i;
                continue;
            }
            if (mnemonic && *mnemonic < 0) *mnemonic = int(out.size());
            continue;
        }
        out.push_back(c);
    }
    if (accel) *accel = i < all.size() ? all.substr(i + 1) : std::u32string();
    return out;
}

std::vector<Rect> menuBarLayout(const FrameGeometry& g, const Menu& menu, const Font& font) {
    std::vector<Rect> rects;
    int x = g.menuBar.left + 2;
    for (const auto& item : menu.items()) {
        if (item.separator) {
            rects.push_back({});
            continue;
        }
        const int w = font.textWidth(menuLabel(item.text, nullptr, nullptr)) + 14;
        rects.push_back({x, g.menuBar.top + 1, x + w, g.menuBar.bottom - 1});
        x += w;
    }
    return rects;
}

void drawEdge(Dc& dc, const Rect& r, bool sunken) {
    const uint32_t tl = sunken ? kShadowColor : kLightColor;
    const uint32_t br = sunken ? kLightColor : kDarkColor;
    fillRect(dc, {r.left, r.top, r.right, r.top + 1}, tl);
    fillRect(dc, {r.left, r.top, r.left + 1, r.bottom}, tl);
    fillRect(dc, {r.left, r.bottom - 1, r.right, r.bottom}, br);
    fillRect(dc, {r.right - 1, r.top, r.right, r.bottom}, br);
    if (!sunken && r.width() > 2 && r.height() > 2) {
        fillRect(dc, {r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, kShadowColor);
        fillRect(dc, {r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, kShadowColor);
    }
}

namespace {

void drawLabel(Dc& dc, int x, int y, const std::string& text, uint32_t color) {
    int mn = -1;
    std::u32string label = menuLabel(text, &mn, nullptr);
    dc.textColor = color;
    dc.bkMode = BkMode::Transparent;
    textOut(dc, x, y, label);
    if (mn >= 0) {
        const int x0 = x + dc.font->textWidth(std::u32string_view(label).substr(0, size_t(mn)));
        const int w = dc.font->advance(label[size_t(mn)]);
        const int uy = y + dc.font->metrics().ascent + 1;
        fillRect(dc, {x0, uy, x0 + w, uy + 1}, color);
    }
}

}  // namespace

void paintFrame(Dc& dc, const FrameGeometry& g, unsigned style, const std::string& title,
                const Menu* menu, const FrameLook& look) {
    const int f = frameThickness(style);
    if (f > 0) {
        // The frame ring only; the client area is the procedure's.
        fillRect(dc, {0, 0, g.outer.right, g.client.top}, kFaceColor);
        fillRect(dc, {0, g.client.bottom, g.outer.right, g.outer.bottom}, kFaceColor);
        fillRect(dc, {0, g.client.top, g.client.left, g.client.bottom}, kFaceColor);
        fillRect(dc, {g.client.right, g.client.top, g.outer.right, g.client.bottom}, kFaceColor);
        if (f > 1) drawEdge(dc, g.outer, false);
        else {
            fillRect(dc, {0, 0, g.outer.right, 1}, kDarkColor);
            fillRect(dc, {0, g.outer.bottom - 1, g.outer.right, g.outer.bottom}, kDarkColor);
            fillRect(dc, {0, 0, 1, g.outer.bottom}, kDarkColor);
            fillRect(dc, {g.outer.right - 1, 0, g.outer.right, g.outer.bottom}, kDarkColor);
        }
    }
    auto font = systemFont();
    dc.font = font;
    if (!g.caption.empty()) {
        fillRect(dc, g.caption, look.active ? kActiveCaption : kInactiveCaption);
        const int ty = g.caption.top + (g.caption.height() - font->metrics().height) / 2;
        Dc clipped = dc;
        Rect c = g.caption;
        if (!g.closeBox.empty()) c.right = g.closeBox.left - 2;
        clipped.clip = intersect(dc.clip, c.offset(dc.origin.x, dc.origin.y));
        clipped.textColor = 0xFFFFFF;
        clipped.bkMode = BkMode::Transparent;
        textOut(clipped, g.caption.left + 4, ty, title);
        if (!g.closeBox.empty()) {
            const Rect& b = g.closeBox;
            fillRect(dc, b, kFaceColor);
            drawEdge(dc, b, look.closePressed);
            // The cross: two diagonals of 2-pixel lines.
            const int n = b.height() - 8, ox = b.left + 4 + (look.closePressed ? 1 : 0),
                      oy = b.top + 4 + (look.closePressed ? 1 : 0);
            for (int i = 0; i < n; ++i) {
                fillRect(dc, {ox + i, oy + i, ox + i + 2, oy + i + 1}, 0x000000);
                fillRect(dc, {ox + n - 1 - i - 1, oy + i, ox + n - i, oy + i + 1}, 0x000000);
            }
        }
    }
    if (!g.menuBar.empty() && menu) {
        fillRect(dc, g.menuBar, kFaceColor);
        const auto rects = menuBarLayout(g, *menu, *font);
        const int ty = g.menuBar.top + (g.menuBar.height() - font->metrics().height) / 2;
        for (size_t i = 0; i < rects.size(); ++i) {
            const auto& item = menu->items()[i];
            if (item.separator) continue;
            if (int(i) == look.pressedMenuItem) drawEdge(dc, rects[i], true);
            const bool grey = (item.state & kMenuGrayed) != 0;
            drawLabel(dc, rects[i].left + 7, ty, item.text, grey ? kGrayText : 0x000000);
        }
    }
}

}  // namespace plat
