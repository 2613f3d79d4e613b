// Standard controls: class names and their notifications.
//   "static": text on the parent's face colour, left-aligned, one line.
//   "button": a push button; a click sends Command(controlId, kButtonClicked)
//             to the parent. Multi-line text is split at '\n'.
//   "checkbox": a box with its text; a click (or Space) toggles it and sends
//             Command(controlId, kButtonClicked).
//   "slider": a horizontal track with a thumb over an integer range; a drag,
//             a click or the arrow keys move it and send
//             Command(controlId, kSliderChanged).
// Controls send from the owner thread, so the parent sees the new state.
#pragma once

#include "platform/window.h"

namespace plat {

inline constexpr const char* kStaticClass = "static";
inline constexpr const char* kButtonClass = "button";
inline constexpr const char* kCheckboxClass = "checkbox";
inline constexpr const char* kSliderClass = "slider";
enum : int { kButtonClicked = 0, kSliderChanged = 1 };

bool checkboxChecked(Window w);
void setCheckboxChecked(Window w, bool checked);
void setSliderRange(Window w, long minimum, long maximum);
void setSliderPosition(Window w, long position);  // clamped to the range
long sliderPosition(Window w);

}  // namespace plat
