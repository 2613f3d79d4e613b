// Key codes carried by the key messages. Letters and digits are their
// upper-case ASCII codes, so 'S' == the S key.
#pragma once

namespace plat::key {

enum : int {
    Back = 0x08,
    Tab = 0x09,
    Return = 0x0D,
    Shift = 0x10,
    Control = 0x11,
    Alt = 0x12,
    Escape = 0x1B,
    Space = 0x20,
    PageUp = 0x21,
    PageDown = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    F1 = 0x70,  // F1..F12 follow in order
    F12 = 0x7B,
};

}  // namespace plat::key
