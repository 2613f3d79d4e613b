#include "platform/controls.h"

#include <algorithm>
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
            // Esc belongs to the dialog around the button.
            if (wp == key::Escape) {
                if (const Window parent = parentOf(w)) sendMessage(parent, Msg::KeyDown, wp, lp);
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

// Check box state in the user data: bit 0 checked, bit 1 pressed.
LResult checkboxProc(Window w, Msg m, WParam wp, LParam lp) {
    auto toggle = [w] {
        setUserData(w, userData(w) ^ 1);
        invalidate(w);
        if (const Window parent = parentOf(w))
            sendMessage(parent, Msg::Command, commandParam(controlId(w), kButtonClicked), LParam(w.id));
    };
    switch (m) {
        case Msg::Paint: {
            PaintContext pc = beginPaint(w);
            const Rect c = clientRect(w);
            fillRect(pc.dc, c, kFaceColor);
            const int box = 13, y0 = (c.height() - box) / 2;
            const Rect b = Rect::xywh(1, y0, box, box);
            fillRect(pc.dc, b, 0xFFFFFF);
            drawEdge(pc.dc, b, true);
            if (userData(w) & 1)
                for (int i = 0; i < 7; ++i) {
                    // A tick: down to the right, then up.
                    const int x = b.left + 3 + i, y = i < 3 ? b.top + 5 + i : b.top + 9 - (i - 2);
                    fillRect(pc.dc, Rect::xywh(x, y, 1, 2), 0);
                }
            pc.dc.bkMode = BkMode::Transparent;
            pc.dc.textColor = 0;
            textOut(pc.dc, box + 6, (c.height() - pc.dc.font->metrics().height) / 2, windowText(w));
            endPaint(w, pc);
            return 0;
        }
        case Msg::LButtonDown:
        case Msg::LButtonDblClk:
            setFocus(w);
            setUserData(w, userData(w) | 2);
            return 0;
        case Msg::LButtonUp:
            if (userData(w) & 2) {
                setUserData(w, userData(w) & ~intptr_t(2));
                if (clientRect(w).contains(paramPoint(lp))) toggle();
            }
            return 0;
        case Msg::KeyDown:
            if (wp == key::Space) toggle();
            return 0;
        default:
            return defaultWindowProc(w, m, wp, lp);
    }
}

struct SliderState {
    long minimum = 0, maximum = 100, position = 0;
    bool dragging = false;
};

SliderState* sliderOf(Window w) { return reinterpret_cast<SliderState*>(userData(w)); }

constexpr int kThumb = 10;

long positionAt(Window w, const SliderState& s, int x) {
    const int span = clientRect(w).width() - kThumb;
    if (span <= 0 || s.maximum <= s.minimum) return s.minimum;
    const long v = s.minimum + long((double(x - kThumb / 2) / span) * double(s.maximum - s.minimum) + 0.5);
    return std::max(s.minimum, std::min(s.maximum, v));
}

LResult sliderProc(Window w, Msg m, WParam wp, LParam lp) {
    SliderState* s = sliderOf(w);
    auto moveTo = [w, s](long v) {
        v = std::max(s->minimum, std::min(s->maximum, v));
        if (v == s->position) return;
        s->position = v;
        invalidate(w);
        if (const Window parent = parentOf(w))
            sendMessage(parent, Msg::Command, commandParam(controlId(w), kSliderChanged), LParam(w.id));
    };
    switch (m) {
        case Msg::Create:
            setUserData(w, intptr_t(new SliderState));
            return 0;
        case Msg::Destroy:
            delete s;
            setUserData(w, 0);
            return 0;
        case Msg::Paint: {
            PaintContext pc = beginPaint(w);
            const Rect c = clientRect(w);
            fillRect(pc.dc, c, kFaceColor);
            const int mid = c.height() / 2;
            drawEdge(pc.dc, {kThumb / 2, mid - 2, c.width() - kThumb / 2, mid + 2}, true);
            if (s) {
                const int span = c.width() - kThumb;
                const int x = s->maximum > s->minimum
                                  ? int(double(s->position - s->minimum) / double(s->maximum - s->minimum) * span)
                                  : 0;
                const Rect t = Rect::xywh(x, 2, kThumb, c.height() - 4);
                fillRect(pc.dc, t, kFaceColor);
                drawEdge(pc.dc, t, false);
            }
            endPaint(w, pc);
            return 0;
        }
        case Msg::LButtonDown:
            if (!s) return 0;
            setFocus(w);
            s->dragging = true;
            moveTo(positionAt(w, *s, paramPoint(lp).x));
            return 0;
        case Msg::MouseMove:
            if (s && s->dragging) moveTo(positionAt(w, *s, paramPoint(lp).x));
            return 0;
        case Msg::LButtonUp:
            if (s) s->dragging = false;
            return 0;
        case Msg::KeyDown:
            if (!s) return 0;
            if (wp == key::Left || wp == key::Down) moveTo(s->position - 1);
            if (wp == key::Right || wp == key::Up) moveTo(s->position + 1);
            if (wp == key::Home) moveTo(s->minimum);
            if (wp == key::End) moveTo(s->maximum);
            return 0;
        default:
            return defaultWindowProc(w, m, wp, lp);
    }
}

}  // namespace

bool checkboxChecked(Window w) { return (userData(w) & 1) != 0; }
void setCheckboxChecked(Window w, bool checked) {
    setUserData(w, (userData(w) & ~intptr_t(1)) | (checked ? 1 : 0));
    invalidate(w);
}

void setSliderRange(Window w, long minimum, long maximum) {
    if (SliderState* s = sliderOf(w)) {
        s->minimum = minimum;
        s->maximum = std::max(minimum, maximum);
        s->position = std::max(s->minimum, std::min(s->maximum, s->position));
        invalidate(w);
    }
}

void setSliderPosition(Window w, long position) {
    if (SliderState* s = sliderOf(w)) {
        s->position = std::max(s->minimum, std::min(s->maximum, position));
        invalidate(w);
    }
}

long sliderPosition(Window w) {
    SliderState* s = sliderOf(w);
    return s ? s->position : 0;
}

void detail::registerStockClasses() {
    registerClass(kStaticClass, staticProc, 0, kFaceColor);
    registerClass(kButtonClass, buttonProc, 0, kFaceColor);
    registerClass(kCheckboxClass, checkboxProc, 0, kFaceColor);
    registerClass(kSliderClass, sliderProc, 0, kFaceColor);
}

}  // namespace plat
