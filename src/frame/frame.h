// The application frame: program start and the main window (main thread),
// the worker thread and its flags, pumps, clock and waits, the text and
// menu utilities, window snapping.
//
// Start reading at WinMain (start.cpp). Parts of the framework that come
// later (text windows, image windows, boxes, cameras, log files) plug into
// the frame through the hooks below, so the frame depends on none of them.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame/frame_calls.h"
#include "platform/geometry.h"
#include "platform/window.h"

namespace plat {
class Font;
}

// ---- the application ---------------------------------------------------------
using AppFunction = void (*)();
// The application's set-up and main functions (AppSetup, AppMain).
void SetApplication(AppFunction setup, AppFunction main);

// ---- start-up and main window -------------------------------------------------
// The program's entry on the main thread, after the platform is initialised:
// 0 after a normal end, 1 at the instance limit or when a class cannot be
// registered.
int WinMain();
plat::LResult MainWindowProc(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp);

enum MainCommand : int {
    kCmdStart = 1001,
    kCmdExit = 1002,
    kCmdStop = 1003,
    kCmdPaste = 1026,
    kCmdImageWindow = 1027,
    kCmdTextWindow = 1028,
    kCmdInputBox = 1044,
    kCmdWindowInfo = 1045,
    kCmdButtonBox = 1051,
};
constexpr int kStatusControlId = 2001;
constexpr int kMaxInstances = 10;

struct FrameState {
    int instanceNumber = 0;
    double millisecondScale = 1e-6;
    plat::Window mainWindow;
    plat::Window statusControl;
    std::shared_ptr<plat::Menu> mainMenu;
    int screenColourDepth = 0;
    std::string loadDirectory, saveDirectory, startDirectory;  // start ends in '/'
};
FrameState& frame();

// The main window's class name for an instance number.
std::string MainWindowClassName(int instance);
// The framework banner shown as the main window's title.
extern const char* const kFrameworkBanner;

// ---- worker thread -------------------------------------------------------------
int WorkerThreadProc();
bool WorkerThreadActive();
std::thread StartWorkerThread();

// GUI requests from the main thread, carried out in the worker's idle round.
struct GuiRequest {
    std::atomic<int> code{0};  // 0: nothing pending; 9001..9007: the request
    std::atomic<int> done{1};
    int result = 0;
    int n = 0, x = 0, y = 0, width = 0, height = 0, zoom = 0, bits = 0;
    const char* title = nullptr;
    const char* path = nullptr;
    void* bitmap = nullptr;
};
GuiRequest& guiRequest();
void ExecuteGuiRequest();

// ---- hooks for later parts of the framework ------------------------------------
struct FrameHooks {
    void (*closeCameras)() = nullptr;            // ORV_CloseCameras
    void (*closeAllLogs)() = nullptr;            // CloseAllLogs
    void (*initTables)() = nullptr;              // image, text window and tool tables
    void (*startTextDrawing)() = nullptr;        // the default drawing font, text colours
    void (*executeGuiRequest)(GuiRequest&) = nullptr;
    void (*acceptDrops)(bool accept) = nullptr;  // dropped files on the main window
    // Dialog keyboard handling of the input box and button box; true when taken.
    bool (*inputBoxDialogMessage)(const plat::Message&) = nullptr;
    bool (*buttonBoxDialogMessage)(const plat::Message&) = nullptr;
    // Main window commands 1026 and above, the right-click menu.
    void (*mainWindowCommand)(int id) = nullptr;
    void (*mainWindowContextMenu)(plat::Point screen) = nullptr;
    // Window procedures of the framework classes (default handling until set).
    plat::WindowProc imageWindowProc = nullptr;
    plat::WindowProc textWindowProc = nullptr;
    plat::WindowProc inputBoxProc = nullptr;
    plat::WindowProc buttonBoxProc = nullptr;
};
FrameHooks& frameHooks();

// Input pending of the text input line (0 or window number + 1); Exit clears it.
extern std::atomic<int> inputPending;

// ---- snapping ------------------------------------------------------------------
constexpr int kSnapListSize = 260;
struct SnapList {
    int left[kSnapListSize], top[kSnapListSize], right[kSnapListSize], bottom[kSnapListSize];
    int count = 0;
};
SnapList& snapList();
// The windows that take part in snapping after the screen strips, in order:
// image windows by slot, text windows by number, the input box, the button
// box. Each source appends its windows' handles.
using SnapSource = void (*)(std::vector<plat::Window>& out);
void SetSnapSources(std::vector<SnapSource> sources);
void CollectSnapEdges();
void SnapMovingWindow(plat::Rect* rect, plat::Window window);
// The handling every framework window shares: Move rebuilds the snap list,
// Moving snaps, Sizing keeps the current rectangle when `fixedSize`.
// True when the message was one of these.
bool HandleWindowGeometry(plat::Window w, plat::Msg m, plat::LParam lp, bool fixedSize);

// ---- utilities -------------------------------------------------------------------
bool SetWindowTextAnsi(plat::Window w, const char* text);
void GetWindowTextAnsi(plat::Window w, char* buffer, int maxCount);
bool InsertMenuItemAnsi(plat::Menu& menu, int position, unsigned state, int id, const char* text);
bool InsertMenuSeparator(plat::Menu& menu, int position);
bool InsertSubMenuAnsi(plat::Menu& menu, std::shared_ptr<plat::Menu> sub, int position,
                       const char* text);
