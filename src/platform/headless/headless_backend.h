// The headless backend: a virtual screen in memory. Tests drive the program
// through it: inject pointer and key input at screen positions, let the
// owner threads pump, and look at the composed screen.
//
// What it implements (see backend.h):
//   [x] screen size and depth (1280 x 1024 x 32 unless asked otherwise)
//   [x] windows: create, move, size, show, raise, retitle, destroy
//   [x] present: keeps a copy of each window's pixels for the screen
//   [x] find by class: this process only (the window manager looks there first)
//   [ ] clipboard and drops (later)
#pragma once

#include <memory>
#include <string>

#include "platform/geometry.h"
#include "platform/input.h"

namespace plat {
class Surface;
}

namespace plat::headless {

// True when the running backend is the headless one.
bool active();

// The screen as it looks now: desktop colour under the windows in
// stacking order.
std::unique_ptr<Surface> screen();
uint32_t screenPixel(int x, int y);
bool screenshot(const std::string& pngPath);

// Input at screen positions. Each call returns once the event is queued
// for the owning thread; that thread handles it when it pumps.
void move(Point p, input::Modifiers m = {});
void press(Point p, input::Button b = input::Button::Left, input::Modifiers m = {});
void release(Point p, input::Button b = input::Button::Left, input::Modifiers m = {});
void click(Point p, input::Button b = input::Button::Left, input::Modifiers m = {});
void key(int code, input::Modifiers m = {}, const std::string& text = "");
void keyDown(int code, input::Modifiers m = {});
void keyUp(int code, input::Modifiers m = {});
void type(const std::string& utf8);

constexpr uint32_t kDesktopColor = 0x3A6EA5;

}  // namespace plat::headless
