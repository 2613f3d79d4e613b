// The portable window manager: window classes, thread-owned windows, message
// queues, z-order, activation, focus, keyboard state, painting, decorations.
//
// Start reading here. Threads: a window belongs to the thread that created
// it; its procedure runs only on that thread, inside sendMessage (same
// thread), dispatchMessage, or while the thread waits in sendMessage to
// another thread. Any thread may post, invalidate, or ask for rectangles.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dc.h"
#include "platform/geometry.h"
#include "platform/messages.h"

namespace plat {

struct Window {
    uint32_t id = 0;
    explicit operator bool() const { return id != 0; }
    bool operator==(const Window&) const = default;
};

using WindowProc = LResult (*)(Window, Msg, WParam, LParam);

struct Message {
    Window window;
    Msg msg = Msg::None;
    WParam wParam = 0;
    LParam lParam = 0;
    // Input messages carry the Ctrl and Shift state at the time of the event.
    enum : uint8_t { kFromInput = 1, kCtrl = 2, kShift = 4 };
    uint8_t keyState = 0;
};

// ---- classes ---------------------------------------------------------------

enum ClassStyle : unsigned {
    kClassOwnDc = 1,     // a private drawing context per window
    kClassSharedDc = 2,  // one context shared by the class
    kClassDblClks = 4,   // report double clicks
};

// Fails (false) when the name is taken or empty.
bool registerClass(const std::string& name, WindowProc proc, unsigned style, uint32_t background);

// ---- windows ---------------------------------------------------------------

enum WindowStyle : unsigned {
    kVisible = 1u << 0,
    kCaption = 1u << 1,       // caption bar with the title
    kSizingBorder = 1u << 2,  // sizing frame on all sides
    kCloseBox = 1u << 3,      // close box in the caption
    kChild = 1u << 4,         // a control inside its parent's client area
    kTabStop = 1u << 5,
    kThinBorder = 1u << 6,    // one-pixel frame (controls, message boxes' fields)
    kDialogFrame = 1u << 7,   // fixed frame of frame width (message boxes)
};

constexpr int kDefaultPosition = INT_MIN;  // the window manager picks x or y

class Menu;

struct CreateParams {
    std::string className;
    std::string title;
    unsigned style = kVisible;
    int x = kDefaultPosition, y = kDefaultPosition;  // outer position (child: parent client coords)
    int width = 100, height = 100;                   // outer size
    Window parent;              // kChild: the parent; otherwise the owner (may be empty)
    std::shared_ptr<Menu> menu; // top-level: the menu bar
    int controlId = 0;          // kChild: the id sent in commands
    void* param = nullptr;      // for the procedure's Create message
};

Window createWindow(const CreateParams& p);
// Destroys the window, its children and the top-level windows it owns.
// Called from another thread than the owner's, it is sent to the owner.
bool destroyWindow(Window w);
bool isWindow(Window w);
Window parentOf(Window w);
Window ownerOf(Window w);

// Outer size for a wanted client size (menu bar not counted, as callers ask).
Rect adjustWindowRect(const Rect& client, unsigned style, bool withMenu);

Rect windowRect(Window w);  // outer, screen coordinates (child: parent client coords)
Rect clientRect(Window w);  // (0, 0, client width, client height)
Point clientToScreen(Window w, Point p);
Point screenToClient(Window w, Point p);
// Moves and sizes; sends Move and/or Size to the procedure when they change.
bool setWindowRect(Window w, const Rect& outer);
bool moveWindow(Window w, int x, int y);  // keeps size and z-order
bool showWindow(Window w, bool visible);
bool isVisible(Window w);

bool setWindowText(Window w, const std::string& utf8);
std::string windowText(Window w);
std::string className(Window w);
int controlId(Window w);
Window childById(Window parent, int id);
std::vector<Window> childrenOf(Window parent);
void setUserData(Window w, intptr_t value);
intptr_t userData(Window w);
unsigned styleOf(Window w);

// Top-level window of this class in this process, or 0.
Window findWindow(const std::string& className);
// ... or in any process on the display (instance numbering).
bool windowClassExists(const std::string& className);
// Top-level windows front to back.
std::vector<Window> topLevelWindows();

// ---- focus, activation, keyboard -------------------------------------------

bool setForegroundWindow(Window w);  // raise, activate, take the keyboard focus
Window foregroundWindow();
Window setFocus(Window w);           // returns the previous focus
Window focusWindow();
// Ctrl and Shift as they were at the input message the calling thread took
// last (as the user sees it: in order with the keys and clicks), or as the
// last input event left them for a thread that has taken none.
bool ctrlHeld();
bool shiftHeld();

// ---- painting --------------------------------------------------------------

// Marks (part of) the client area for repainting; nullptr = all. A Paint
// message follows when the owner's queue is otherwise empty.
void invalidate(Window w, const Rect* clientRect = nullptr, bool erase = true);
void validate(Window w);

struct PaintContext {
    Dc dc;       // draws into the client area
    Rect area;   // the invalid rectangle, client coordinates
};
PaintContext beginPaint(Window w);
void endPaint(Window w, PaintContext& pc);

// A drawing context on the window's client area; drawing shows when the
// owner thread next pumps. Kept valid for the window's lifetime.
Dc windowDc(Window w);
// Shows what was drawn into the caller's windows now.
void flushWindows();

// ---- messages --------------------------------------------------------------

bool postMessage(Window w, Msg m, WParam wp = 0, LParam lp = 0);
LResult sendMessage(Window w, Msg m, WParam wp = 0, LParam lp = 0);
void postQuitMessage(int exitCode);
// Takes the next message for the calling thread (sent messages are handled
// inside first). peekMessage returns false at once when there is none;
// getMessage waits and returns false for the quit message.
bool peekMessage(Message& out, bool remove = true);
bool getMessage(Message& out);
LResult dispatchMessage(const Message& m);
// Waits until a message may be there (or the timeout in ms passes).
void waitMessage(int timeoutMs);

// A modal loop: serves the calling thread's messages until `done` is set or
// `w` is gone. A quit message ends it and is posted again for the caller.
void runModalLoop(Window w, const bool& done);

// The default handling of every message a procedure does not handle.
LResult defaultWindowProc(Window w, Msg m, WParam wp, LParam lp);

// Ends the calling thread's use of the window manager: its remaining
// windows are destroyed without their procedures being called.
void endThread();

// ---- menus -----------------------------------------------------------------

enum MenuState : unsigned { kMenuEnabled = 0, kMenuGrayed = 3, kMenuChecked = 8 };

class Menu {
public:
    struct Item {
        std::string text;  // UTF-8; '&' marks the mnemonic, '\t' starts the accelerator text
        int id = 0;
        unsigned state = kMenuEnabled;
        bool separator = false;
        std::shared_ptr<Menu> subMenu;
    };
    static std::shared_ptr<Menu> create() { return std::make_shared<Menu>(); }
    // Inserts before `position` (at the end when past it).
    void insert(int position, Item item);
    const std::vector<Item>& items() const { return items_; }
    Item* byId(int id);
    void setState(int id, unsigned state);

private:
    std::vector<Item> items_;
};

// ---- message boxes ---------------------------------------------------------

enum MessageBoxStyle : unsigned { kMbOk = 0, kMbIconError = 0x10 };
// Modal: returns when the user presses OK (Enter, Esc, Space or a click).
void messageBox(Window owner, const std::string& text, const std::string& caption, unsigned style);

}  // namespace plat
