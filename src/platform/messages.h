// Window messages and their parameters.
//
// Coordinates travel packed in an LParam (see pointParam); rectangles of the
// moving and sizing messages travel as a Rect* that the procedure may change.
#pragma once

#include <cstdint>

#include "platform/geometry.h"

namespace plat {

using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;

enum class Msg : uint32_t {
    None = 0,
    Create,        // lParam: the CreateParams* given to createWindow
    Destroy,
    Close,         // the close box or the window manager asked to close
    Size,          // lParam: pointParam(client width, client height)
    Move,          // lParam: pointParam(client left, client top) in screen coordinates
    Moving,        // lParam: Rect* proposed outer rectangle (screen); may be overwritten
    Sizing,        // wParam: HitTest edge; lParam: Rect* proposed outer rectangle
    Paint,
    KeyDown,       // wParam: key code (keys.h)
    KeyUp,
    Char,          // wParam: Unicode code point of the typed character
    MouseMove,     // wParam: mouse flags; lParam: client point
    LButtonDown,
    LButtonUp,
    LButtonDblClk,
    RButtonDown,
    RButtonUp,
    RButtonDblClk,
    MButtonDown,
    MButtonUp,
    MouseWheel,    // wParam: signed delta in the high 16 bits (120 a notch), flags low; lParam: screen point
    NcLButtonDown, // wParam: HitTest; lParam: screen point
    NcLButtonUp,
    NcRButtonDown,
    NcRButtonUp,
    NcMouseMove,
    Command,       // wParam: low 16 bits id, high 16 bits notification; lParam: control window id or 0
    DropFiles,     // wParam: DropHandle id (later)
    SetFocus,
    KillFocus,
    Activate,      // wParam: 1 active, 0 inactive
    CaptureMove,   // internal: pointer moved while a frame drag holds the capture
    CaptureUp,     // internal: button released while a frame drag holds the capture
    DestroyRequest,// internal: destroy this window (sent by another thread)
    Quit,          // wParam: exit code
    User = 0x400,  // first message number free for window procedures
};

// Mouse flags carried in wParam of mouse messages.
enum MouseFlags : WParam {
    kMouseLeft = 0x1,
    kMouseRight = 0x2,
    kMouseShift = 0x4,
    kMouseControl = 0x8,
    kMouseMiddle = 0x10,
};

inline LParam pointParam(int x, int y) {
    return LParam((uint64_t(uint32_t(y)) << 32) | uint32_t(x));
}
inline Point paramPoint(LParam lp) {
    return {int32_t(uint32_t(uint64_t(lp) & 0xFFFFFFFFu)), int32_t(uint32_t(uint64_t(lp) >> 32))};
}
inline WParam commandParam(int id, int notification = 0) {
    return WParam((uint32_t(notification) << 16) | (uint32_t(id) & 0xFFFF));
}
inline int commandId(WParam wp) { return int(wp & 0xFFFF); }
inline int commandNotification(WParam wp) { return int((wp >> 16) & 0xFFFF); }
inline int wheelDelta(WParam wp) { return int16_t(uint16_t(wp >> 16)); }

}  // namespace plat
