// Text and menu utilities. Framework texts are 8-bit strings in the
// locale's character set, UTF-8 here; window and menu texts hold at most
// 255 characters.
#include <cstring>

#include "frame/frame.h"
#include "platform/font.h"

namespace {

// At most 255 characters, as the fixed 256-character buffers allow.
std::string Clip255(const char* text) {
    std::u32string u = plat::decodeUtf8(text ? text : "");
    if (u.size() > 255) u.resize(255);
    return plat::encodeUtf8(u);
}

}  // namespace

bool SetWindowTextAnsi(plat::Window w, const char* text) {
    return plat::setWindowText(w, Clip255(text));
}

void GetWindowTextAnsi(plat::Window w, char* buffer, int maxCount) {
    if (!buffer || maxCount <= 0) return;
    if (maxCount > 256) maxCount = 256;
    std::u32string u = plat::decodeUtf8(plat::windowText(w));
    if (int(u.size()) > maxCount - 1) u.resize(size_t(maxCount - 1));
    // Whole characters only, within maxCount bytes with the terminator.
    std::string out;
    for (char32_t c : u) {
        const std::string one = plat::encodeUtf8(std::u32string(1, c));
        if (out.size() + one.size() > size_t(maxCount - 1)) break;
        out += one;
    }
    std::memcpy(buffer, out.c_str(), out.size() + 1);
}

void SetStatusText(const char* text) {
    char line[64];
    std::memset(line, ' ', sizeof line);
    line[63] = '\0';
    const size_t len = text ? std::strlen(text) : 0;
    int col = 18 - int(len / 2);
    if (col < 0) col = 0;
    // Longer texts are cut at the line's end rather than overrun it.
    const size_t room = sizeof line - 1 - size_t(col);
    const size_t n = len < room ? len : room;
    if (n) std::memcpy(line + col, text, n);
    line[size_t(col) + n] = '\0';
    SetWindowTextAnsi(frame().statusControl, line);
}

bool InsertMenuItemAnsi(plat::Menu& menu, int position, unsigned state, int id, const char* text) {
    plat::Menu::Item item;
    item.text = Clip255(text);
    item.id = id;
    item.state = state;
    menu.insert(position, std::move(item));
    return true;
}

bool InsertMenuSeparator(plat::Menu& menu, int position) {
    plat::Menu::Item item;
    item.separator = true;
    menu.insert(position, std::move(item));
    return true;
}

bool InsertSubMenuAnsi(plat::Menu& menu, std::shared_ptr<plat::Menu> sub, int position,
                       const char* text) {
    plat::Menu::Item item;
    item.text = Clip255(text);
    item.subMenu = std::move(sub);
    menu.insert(position, std::move(item));
    return true;
}

void SplitRgb(int color, int* red, int* green, int* blue) {
    if (red) *red = (color >> 16) & 0xFF;
    if (green) *green = (color >> 8) & 0xFF;
    if (blue) *blue = color & 0xFF;
}
