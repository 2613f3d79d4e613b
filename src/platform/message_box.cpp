// Modal message boxes: the text, an optional error icon and an OK button,
// centred on the screen; a local message loop runs until OK.
#include <sstream>

#include "platform/controls.h"
#include "platform/decorations.h"
#include "platform/font.h"
#include "platform/internal.h"
#include "platform/keys.h"
#include "platform/system.h"

namespace plat {

namespace {

constexpr const char* kBoxClass = "plat_msgbox";
constexpr int kOkId = 1;
constexpr int kIcon = 32;

struct BoxState {
    std::vector<std::string> lines;
    bool icon = false;
    bool done = false;
};

LResult boxProc(Window w, Msg m, WParam wp, LParam lp) {
    auto* st = reinterpret_cast<BoxState*>(userData(w));
    switch (m) {
        case Msg::Create: {
            auto* cp = reinterpret_cast<CreateParams*>(lp);
            setUserData(w, intptr_t(cp->param));
            return 0;
        }
        case Msg::Paint: {
            PaintContext pc = beginPaint(w);
            if (st) {
                int x = 16;
                if (st->icon) {
                    // A red disc with a white cross.
                    const int cx = 16 + kIcon / 2, cy = 16 + kIcon / 2, r = kIcon / 2;
                    for (int y = -r; y < r; ++y)
                        for (int xx = -r; xx < r; ++xx)
                            if (xx * xx + y * y < r * r)
                                fillRect(pc.dc, Rect::xywh(cx + xx, cy + y, 1, 1), 0xD01010);
                    for (int i = -8; i < 8; ++i) {
                        fillRect(pc.dc, Rect::xywh(cx + i - 1, cy + i, 3, 1), 0xFFFFFF);
                        fillRect(pc.dc, Rect::xywh(cx - i - 1, cy + i, 3, 1), 0xFFFFFF);
                    }
                    x += kIcon + 12;
                }
                pc.dc.bkMode = BkMode::Transparent;
                pc.dc.textColor = 0;
                int y = 20;
                for (const auto& l : st->lines) {
                    textOut(pc.dc, x, y, l);
                    y += pc.dc.font->metrics().height;
                }
            }
            endPaint(w, pc);
            return 0;
        }
        case Msg::Command:
            if (commandId(wp) == kOkId && st) st->done = true;
            return 0;
        case Msg::KeyDown:
            if ((wp == key::Return || wp == key::Escape || wp == key::Space) && st) st->done = true;
            return 0;
        case Msg::Close:
            if (st) st->done = true;
            return 0;
        default:
            return defaultWindowProc(w, m, wp, lp);
    }
}

}  // namespace

void messageBox(Window owner, const std::string& text, const std::string& caption,
                unsigned style) {
    registerClass(kBoxClass, boxProc, 0, kFaceColor);  // fails harmlessly when registered

    BoxState st;
    std::stringstream ss(text);
    for (std::string l; std::getline(ss, l);) st.lines.push_back(l);
    if (st.lines.empty()) st.lines.push_back("");
    st.icon = (style & kMbIconError) != 0;

    auto font = systemFont();
    int textW = 0;
    for (const auto& l : st.lines) textW = std::max(textW, font->textWidth(decodeUtf8(l)));
    const int lineH = font->metrics().height;
    const int textH = lineH * int(st.lines.size());
    const int clientW = std::max(200, textW + 32 + (st.icon ? kIcon + 12 : 0));
    const int clientH = std::max(textH, st.icon ? kIcon : 0) + 20 + 16 + 26 + 14;
    const unsigned ws = kVisible | kCaption | kCloseBox | kDialogFrame;
    const Rect outer = adjustWindowRect({0, 0, clientW, clientH}, ws, false);
    const Metrics& m = metrics();
    CreateParams p;
    p.className = kBoxClass;
    p.title = caption;
    p.style = ws;
    p.width = outer.width();
    p.height = outer.height();
    p.x = (m.screenWidth - p.width) / 2;
    p.y = (m.screenHeight - p.height) / 2;
    p.parent = owner;
    p.param = &st;
    const Window box = createWindow(p);
    if (!box) return;
    CreateParams b;
    b.className = kButtonClass;
    b.title = "OK";
    b.style = kVisible | kChild | kTabStop;
    b.width = 80;
    b.height = 26;
    b.x = (clientW - 80) / 2;
    b.y = clientH - 26 - 14;
    b.parent = box;
    b.controlId = kOkId;
    const Window ok = createWindow(b);
    setForegroundWindow(box);
    if (ok) setFocus(ok);

    runModalLoop(box, st.done);
    if (isWindow(box)) {
        setUserData(box, 0);
        destroyWindow(box);
    }
}

}  // namespace plat
