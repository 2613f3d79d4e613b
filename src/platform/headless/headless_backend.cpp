#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/backend.h"
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/png_write.h"
#include "platform/surface.h"
#include "platform/system.h"

namespace plat {

namespace {

class HeadlessBackend;
HeadlessBackend* g_headless = nullptr;

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend(int w, int h) : width_(w), height_(h) { g_headless = this; }
    ~HeadlessBackend() override {
        if (g_headless == this) g_headless = nullptr;
    }
    const char* name() const override { return "headless"; }
    int screenWidth() override { return width_; }
    int screenHeight() override { return height_; }
    int screenDepth() override { return 32; }

    bool createWindow(const BackendWindow& w) override {
        std::lock_guard lock(m_);
        Win& win = windows_[w.id];
        win.rect = w.outer;
        win.visible = w.visible;
        win.pixels = Surface::create(w.outer.width(), w.outer.height(), 32);
        order_.insert(order_.begin(), w.id);
        return win.pixels != nullptr;
    }
    void destroyWindow(uint32_t id) override {
        std::lock_guard lock(m_);
        windows_.erase(id);
        std::erase(order_, id);
    }
    void setWindowRect(uint32_t id, const Rect& r) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end()) return;
        if (r.width() != it->second.rect.width() || r.height() != it->second.rect.height()) {
            auto px = Surface::create(r.width(), r.height(), 32);
            if (px) it->second.pixels = std::move(px);
        }
        it->second.rect = r;
    }
    void showWindow(uint32_t id, bool v) override {
        std::lock_guard lock(m_);
        if (auto it = windows_.find(id); it != windows_.end()) it->second.visible = v;
    }
    void raiseWindow(uint32_t id) override {
        std::lock_guard lock(m_);
        auto it = std::find(order_.begin(), order_.end(), id);
        if (it == order_.end()) return;
        order_.erase(it);
        order_.insert(order_.begin(), id);
    }
    void setTitle(uint32_t, const std::string&) override {}
    void present(uint32_t id, const Surface& s, const Rect& dirty) override {
        std::lock_guard lock(m_);
        auto it = windows_.find(id);
        if (it == windows_.end() || !it->second.pixels) return;
        Surface& d = *it->second.pixels;
        const Rect r = intersect(intersect(dirty, d.bounds()), s.bounds());
        for (int y = r.top; y < r.bottom; ++y)
            std::copy_n(s.row32(y) + r.left, r.width(), d.row32(y) + r.left);
    }
    bool findWindowByClass(const std::string&) override { return false; }

    std::unique_ptr<Surface> compose() {
        auto out = Surface::create(width_, height_, 32);
        out->fill(headless::kDesktopColor);
        std::lock_guard lock(m_);
        for (auto it = order_.rbegin(); it != order_.rend(); ++it) {
            const Win& w = windows_[*it];
            if (!w.visible || !w.pixels) continue;
            const Rect r = intersect(w.rect, out->bounds());
            for (int y = r.top; y < r.bottom; ++y)
                std::copy_n(w.pixels->row32(y - w.rect.top) + (r.left - w.rect.left), r.width(),
                            out->row32(y) + r.left);
        }
        return out;
    }

private:
    struct Win {
        Rect rect;
        bool visible = true;
        std::unique_ptr<Surface> pixels;
    };
    int width_, height_;
    std::mutex m_;
    std::map<uint32_t, Win> windows_;
    std::vector<uint32_t> order_;  // front first
};

}  // namespace

std::unique_ptr<Backend> makeHeadlessBackend(int width, int height) {
    return std::make_unique<HeadlessBackend>(width, height);
}

namespace headless {

bool active() { return g_headless != nullptr && plat::backend() == g_headless; }

std::unique_ptr<Surface> screen() {
    if (!g_headless) return nullptr;
    return g_headless->compose();
}

uint32_t screenPixel(int x, int y) {
    auto s = screen();
    if (!s || !s->bounds().contains(x, y)) return 0;
    return s->colorAt(x, y);
}

bool screenshot(const std::string& path) {
    auto s = screen();
    return s && writePng(*s, path);
}

void move(Point p, input::Modifiers m) { input::pointerMove(p, m); }
void press(Point p, input::Button b, input::Modifiers m) {
    input::pointerMove(p, m);
    input::pointerButton(p, b, true, m);
}
void release(Point p, input::Button b, input::Modifiers m) { input::pointerButton(p, b, false, m); }
void click(Point p, input::Button b, input::Modifiers m) {
    press(p, b, m);
    release(p, b, m);
}
void keyDown(int code, input::Modifiers m) { input::keyEvent(code, true, "", m); }
void keyUp(int code, input::Modifiers m) { input::keyEvent(code, false, "", m); }
void key(int code, input::Modifiers m, const std::string& text) {
    input::keyEvent(code, true, text, m);
    input::keyEvent(code, false, "", m);
}
void type(const std::string& utf8) {
    for (char32_t c : decodeUtf8(utf8)) {
        int code = 0;
        if (c >= 'a' && c <= 'z') code = int(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') code = int(c);
        else if (c == '\n') code = plat::key::Return;
        const bool shift = c >= 'A' && c <= 'Z';
        const std::string text = c == '\n' ? std::string("\r") : encodeUtf8(std::u32string(1, c));
        key(code, input::Modifiers{false, shift}, text);
    }
}

}  // namespace headless
}  // namespace plat
