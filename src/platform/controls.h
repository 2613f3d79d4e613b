// Standard controls: class names and their notifications.
//   "static": text on the parent's face colour, left-aligned, one line.
//   "button": a push button; a click sends Command(controlId, kButtonClicked)
//             to the parent. Multi-line text is split at '\n'.
#pragma once

namespace plat {

inline constexpr const char* kStaticClass = "static";
inline constexpr const char* kButtonClass = "button";
enum : int { kButtonClicked = 0 };

}  // namespace plat
