#include "platform/controls.h"

#include <sstream>

#include "platform/decorations.h"
#include "platform/internal.h"
#include "platform/keys.h"

namespace plat {

namespace {

LResult staticProc(Window w, Msg m, WParam wp, LParam lp) {
    if (m == Msg::Paint) {
        PaintContext pc = beginPaint(w);
        const Rect c = clientRect(w);
        fillRect(pc.dc, c, kFaceColor);
        pc.dc.bkMode = BkMode::Transparent;
        pc.dc.textColor = 0x000000;
        textOut(pc.dc, 0, 0, windowText(w));
        endPaint(w, pc);
        return 0;
    }
    return defaultWindowProc(w, m, wp, lp);
}

// Button state in the window's user data: bit 0 pressed, bit 1 pointer inside.
LResult buttonProc(Window w, Msg m, WParam wp, LParam lp) {
    auto click = [w] {
        const Window parent = parentOf(w);
        if (parent) sendMessage(parent, Msg::Command, commandParam(controlId(w), kButtonClicked),
                                LParam(w.id));
    };
    switch (m) {
        case Msg::Paint: {
            PaintContext pc = beginPaint(w);
            const Rect c = clientRect(w);
            const bool pressed = (userData(w) & 3) == 3;
            fillRect(pc.dc, c, kFaceColor);
            drawEdge(pc.dc, c, pressed);
            if (focusWindow() == w) {
                // A dotted focus frame inside the edge.
                for (int x = c.left + 3; x < c.right - 3; x += 2) {
                    fillRect(pc.dc, {x, c.top + 3, x + 1, c.top + 4}, 0);
                    fillRect(pc.dc, {x, c.bottom - 4, x + 1, c.bottom - 3}, 0);
                }
            }
            std::vector<std::string> lines;
            std::stringstream ss(windowText(w));
            for (std::string line; std::getline(ss, line);) lines.push_back(line);
            const int lh = pc.dc.font->metrics().height;
            int y = (c.height() - lh * int(lines.size())) / 2 + (pressed ? 1 : 0);
            pc.dc.bkMode = BkMode::Transparent;
            pc.dc.textColor = 0;
            for (const auto& line : lines) {
                const int tw = textWidth(pc.dc, line);
                textOut(pc.dc, (c.width() - tw) / 2 + (pressed ? 1 : 0), y, line);
                y += lh;
            }
            endPaint(w, pc);
            return 0;
        }
        case Msg::LButtonDown:
        case Msg::LButtonDblClk:
            setUserData(w, 3);
            setFocus(w);
            invalidate(w);
            return 0;
        case Msg::MouseMove: {
            if (!(userData(w) & 1)) return 0;
            const bool inside = clientRect(w).contains(paramPoint(lp));
            const intptr_t v = 1 | (inside ? 2 : 0);
            if (v != userData(w)) setUserData(w, v), invalidate(w);
            return 0;
        }
        case Msg::LButtonUp: {
            const bool fire = userData(w) == 3 && clientRect(w).contains(paramPoint(lp));
            setUserData(w, 0);
            invalidate(w);
            if (fire) click();
            return 0;
        }
        case Msg::KeyDown:
            if (wp == key::Space || wp == key::Return) {
                click();
                return 0;
            }
            break;
        case Msg::SetFocus:
        case Msg::KillFocus:
            invalidate(w);
            return 0;
        default:
            break;
    }
    return defaultWindowProc(w, m, wp, lp);
}

}  // namespace

void detail::registerStockClasses() {
    registerClass(kStaticClass, staticProc, 0, kFaceColor);
    registerClass(kButtonClass, buttonProc, 0, kFaceColor);
}

}  // namespace plat
