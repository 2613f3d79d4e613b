// Raw input from a backend into the window manager. Any thread may call
// these; the window manager turns them into messages for the thread that
// owns the window under the pointer or with the keyboard focus.
#pragma once

#include <cstdint>
#include <string>

#include "platform/geometry.h"

namespace plat::input {

enum class Button { Unknown, Left, Right, Middle };

struct Modifiers {
    bool ctrl = false;
    bool shift = false;
};

// `window`: the top-level window the display says the event is for (0: find
// it from the position and our stacking order).
void pointerMove(Point screen, Modifiers mods, uint32_t window = 0);
void pointerButton(Point screen, Button b, bool down, Modifiers mods, uint32_t window = 0);
void pointerWheel(Point screen, int delta, Modifiers mods, uint32_t window = 0);
// `text`: the UTF-8 text the key types (empty for none).
void keyEvent(int keyCode, bool down, const std::string& text, Modifiers mods, uint32_t window = 0);
void closeRequest(uint32_t window);
// The display moved a window (a window manager did it).
void externalMove(uint32_t window, const Rect& outer);
// The display gave or took the keyboard focus of a top-level window.
void focusIn(uint32_t window);
// Presentation was lost (expose): redraw the whole window.
void exposed(uint32_t window);

}  // namespace plat::input
