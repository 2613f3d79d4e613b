// Shared tables of the window manager. Everything here is guarded by
// State::mutex except what a window's owner thread alone touches (its
// pixels), as marked. Procedures are never called with the mutex held.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/backend.h"
#include "platform/decorations.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace plat::detail {

struct ClassInfo {
    std::string name;
    WindowProc proc = nullptr;
    unsigned style = 0;
    uint32_t background = 0;
};

struct ThreadQueue;

struct SentMessage {
    Message message;
    LResult result = 0;
    bool done = false;
    std::shared_ptr<ThreadQueue> sender;
};

struct ThreadQueue {
    std::thread::id thread;
    std::condition_variable cv;
    std::deque<Message> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool alive = true;
    // Set whenever something may be waiting for this thread (posted, sent,
    // invalidated, drawn); lets an idle peek return without the mutex, so
    // threads that spin on their pump do not starve the others.
    std::atomic<bool> maybeWork{true};
    void wake() {
        maybeWork.store(true, std::memory_order_release);
        cv.notify_all();
    }
};

enum class Drag { None, Move, Size, CloseBox, MenuItem };

struct WindowObj {
    uint32_t id = 0;
    std::shared_ptr<ClassInfo> cls;
    std::shared_ptr<ThreadQueue> queue;
    unsigned style = 0;
    std::string title;
    Rect rect;  // outer; screen coordinates, or parent client coordinates for a child
    uint32_t parent = 0, owner = 0;
    std::vector<uint32_t> children;
    std::shared_ptr<Menu> menu;
    int controlId = 0;
    intptr_t userData = 0;
    bool visible = false;
    bool destroying = false;
    bool created = false;  // the Create message has been handled

    // painting
    Rect invalid;  // client coordinates
    bool erase = false;
    bool frameDirty = false;  // top-level: the frame needs painting
    std::shared_ptr<DcTarget> target;  // the window Dc's target (client area)

    // top-level only, owner thread only
    std::unique_ptr<Surface> pixels;  // the whole window, outer size
    Rect dirty;                       // window coordinates, to present (guarded)

    // frame interaction, owner thread
    Drag drag = Drag::None;
    HitTest dragEdge = HitTest::Nowhere;
    Point dragStart;
    Rect dragRect;
    int pressedItem = -1;
    bool closePressed = false;

    // double clicks
    long long lastClickMs = -100000;
    Point lastClickPos;
    int lastClickButton = 0;
};

struct State {
    std::mutex mutex;
    std::unordered_map<uint32_t, std::unique_ptr<WindowObj>> windows;
    std::vector<uint32_t> creationOrder;  // paint order: parents before children
    std::vector<uint32_t> zorder;         // top-level windows, front first
    std::unordered_map<std::string, std::shared_ptr<ClassInfo>> classes;
    uint32_t nextId = 1;
    uint32_t focus = 0, active = 0, capture = 0;
    uint32_t hover = 0;
    std::atomic<bool> ctrl{false}, shift{false};
    std::unique_ptr<Backend> backend;
};

State& state();
std::shared_ptr<ThreadQueue> currentQueue();

// Under the mutex:
WindowObj* find(uint32_t id);
WindowObj* topLevelOf(WindowObj* w);
Point originInTopLevel(WindowObj* w);  // client-area origin in top-level window coordinates
FrameGeometry geometryOf(const WindowObj& w);
void markDirty(WindowObj* top, const Rect& r);
void notify(WindowObj* w);
uint32_t windowAt(Point screen);  // top-level under a screen point, by z-order
void bringToFront(uint32_t id);
void collectTree(uint32_t id, std::vector<uint32_t>& out);  // a window and its descendants
void removeWindows(const std::vector<uint32_t>& ids);       // from every table

// Without the mutex, on the owner thread:
void paintDecorations(uint32_t id);
void presentDirty();  // the calling thread's windows
LResult callProc(uint32_t id, Msg m, WParam wp, LParam lp);
void activate(uint32_t id);
long long nowMs();

void registerStockClasses();
// The key state of the input message this thread took last (0: none yet).
uint8_t& threadKeyState();

}  // namespace plat::detail
