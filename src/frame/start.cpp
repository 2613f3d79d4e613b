// Program start on the main thread and the main window: instance
// numbering, the codec service, the window classes, the main window with its
// drop-in animation, and the exit sequence.
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "frame/frame.h"
#include "platform/codec_service.h"
#include "platform/controls.h"
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/system.h"

const char* const kFrameworkBanner = "ORVANT 1.0 (2026-12-11)";

namespace {

AppFunction g_setup = nullptr;
AppFunction g_main = nullptr;
std::thread g_worker;

constexpr unsigned kMainStyle = plat::kVisible | plat::kCaption | plat::kSizingBorder;
constexpr int kDropSteps[28] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -6, -5, -4, -3,
                                -2, -1, 1, 2, 3, 4, 5, 6, -3, -2, -1, 1, 2, 3};

void BusyWaitSince(int since, int ms) {
    while (unsigned(MillisecondClock() - since) < unsigned(ms)) {
    }
}

void CloseCameras() {
    if (frameHooks().closeCameras) frameHooks().closeCameras();
}

void MainWindowCreation(plat::Window w) {
    FrameState& f = frame();
    f.mainWindow = w;
    plat::CreateParams sp;
    sp.className = plat::kStaticClass;
    sp.title = "Ready";
    sp.style = plat::kVisible | plat::kChild;
    sp.x = 0;
    sp.y = 6;
    sp.width = 234;
    sp.height = 20;
    sp.parent = w;
    sp.controlId = kStatusControlId;
    f.statusControl = plat::createWindow(sp);

    int last = MillisecondClock();
    for (int d : kDropSteps) {
        const plat::Rect r = plat::windowRect(w);
        plat::moveWindow(w, r.left, r.top + d);
        BusyWaitSince(last, 20);
        last = MillisecondClock();
    }
    BusyWaitSince(last, 500);

    f.screenColourDepth = plat::metrics().screenDepth;
    g_worker = StartWorkerThread();
}

void ExitSequence() {
    inputPending = 0;
    // exitState first: the worker tests it after it clears stopRequested
    // for a new run, so one of the two always reaches the run.
    exitState = 1;
    stopRequested = 1;
    if (frameHooks().closeAllLogs) frameHooks().closeAllLogs();
    const int t0 = MillisecondClock();
    while (WorkerThreadActive() && unsigned(MillisecondClock() - t0) <= 2000u) sched_yield();
    if (WorkerThreadActive()) {
        // A thread cannot be ended safely from outside: close the cameras and
        // end the whole process instead.
        std::fprintf(stderr, "lenti3d: the application did not stop within 2 s; ending\n");
        if (exitState == 1) {
            CloseCameras();
            exitState = 2;
        }
        std::fflush(nullptr);
        _exit(0);
    }
    if (exitState == 1) {
        CloseCameras();
        exitState = 2;
    }
    if (g_worker.joinable()) g_worker.join();
    plat::destroyWindow(frame().mainWindow);
}

void OnKey(int key) {
    const plat::Window w = frame().mainWindow;
    if (plat::ctrlHeld()) {
        if (key == 'V') plat::postMessage(w, plat::Msg::Command, plat::commandParam(kCmdPaste));
        if (key == 'W') plat::postMessage(w, plat::Msg::Command, plat::commandParam(kCmdWindowInfo));
        return;
    }
    if (key == 'X' || key == plat::key::Escape) ExitSequence();
    else if (key == 'S') plat::sendMessage(w, plat::Msg::Command, plat::commandParam(kCmdStart));
    else if (key == 'C') plat::sendMessage(w, plat::Msg::Command, plat::commandParam(kCmdStop));
}

void OnCommand(int id) {
    switch (id) {
        case kCmdStart:
            if (running == 0) startRequested = 1;
            break;
        case kCmdStop:
            stopRequested = 1;
            break;
        case kCmdExit:
            ExitSequence();
            break;
        default:
            if (id >= kCmdPaste && frameHooks().mainWindowCommand) frameHooks().mainWindowCommand(id);
            break;
    }
}

std::string CurrentDirectory() {
    std::error_code ec;
    std::string d = std::filesystem::current_path(ec).string();
    return ec ? std::string(".") : d;
}

}  // namespace

void SetApplication(AppFunction setup, AppFunction main) {
    g_setup = setup;
    g_main = main;
}

void RunApplicationSetup() {
    if (g_setup) g_setup();
}
void RunApplicationMain() {
    if (g_main) g_main();
}

FrameState& frame() {
    static FrameState f;
    return f;
}

FrameHooks& frameHooks() {
    static FrameHooks h;
    return h;
}

std::string MainWindowClassName(int instance) {
    char name[16];
    std::snprintf(name, sizeof name, "orvant_mw%d", instance);
    return name;
}

plat::LResult MainWindowProc(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp) {
    using plat::Msg;
    if (HandleWindowGeometry(w, m, lp, true)) return 0;  // cannot be resized by dragging
    switch (m) {
        case Msg::Create:
            MainWindowCreation(w);
            return 0;
        case Msg::Destroy:
            plat::postQuitMessage(0);
            return 0;
        case Msg::RButtonDown:
        case Msg::NcRButtonDown: {
            if (frameHooks().mainWindowContextMenu) {
                const plat::Point p = m == Msg::NcRButtonDown
                                          ? plat::paramPoint(lp)
                                          : plat::clientToScreen(w, plat::paramPoint(lp));
                frameHooks().mainWindowContextMenu(p);
            }
            return 0;
        }
        case Msg::KeyDown:
            OnKey(int(wp));
            return 0;
        case Msg::Command:
            OnCommand(plat::commandId(wp));
            return 0;
        case Msg::Close:
            // No close box: a close request from the desktop means Exit.
            ExitSequence();
            return 0;
        default:
            return plat::defaultWindowProc(w, m, wp, lp);
    }
}

int WinMain() {
    FrameState& f = frame();
    f = FrameState{};

    // 1. The lowest free instance number, looked for across processes.
    int n = 0;
    while (n < kMaxInstances && plat::windowClassExists(MainWindowClassName(n))) ++n;
    if (n == kMaxInstances) {
        plat::messageBox(plat::Window{}, "Over instance limit!", "ORVANT", plat::kMbOk);
        return 1;
    }
    f.instanceNumber = n;

    plat::startCodecService(nullptr);
    f.millisecondScale = 1000.0 / plat::performanceFrequency();

    startRequested = 0;
    running = 0;
    stopRequested = 0;
    exitState = 0;
    inputPending = 0;
    guiRequest().code = 0;
    guiRequest().done = 1;
    snapList().count = 0;
    if (frameHooks().initTables) frameHooks().initTables();

    const std::string cwd = CurrentDirectory();
    f.loadDirectory = cwd;
    f.saveDirectory = cwd;
    f.startDirectory = cwd.empty() || cwd.back() != '/' ? cwd + "/" : cwd;

    const FrameHooks& h = frameHooks();
    auto procOr = [](plat::WindowProc p) { return p ? p : plat::defaultWindowProc; };
    const uint32_t face = 0xD4D0C8;
    if (!plat::registerClass(MainWindowClassName(n), MainWindowProc, plat::kClassSharedDc, face) ||
        !plat::registerClass("orv_iw", procOr(h.imageWindowProc), plat::kClassOwnDc, 0) ||
        !plat::registerClass("orv_twi", procOr(h.textWindowProc), plat::kClassOwnDc, 0) ||
        !plat::registerClass("orv_ib", procOr(h.inputBoxProc),
                             plat::kClassOwnDc | plat::kClassDblClks, face) ||
        !plat::registerClass("orv_bb", procOr(h.buttonBoxProc),
                             plat::kClassOwnDc | plat::kClassDblClks, face)) {
        plat::stopCodecService();
        return 1;
    }

    const plat::Metrics& m = plat::metrics();
    f.mainMenu = plat::Menu::create();
    InsertMenuItemAnsi(*f.mainMenu, 0, plat::kMenuEnabled, kCmdStart, "Start(&S)");
    InsertMenuItemAnsi(*f.mainMenu, 1, plat::kMenuEnabled, kCmdStop, "Stop(&C)");
    InsertMenuItemAnsi(*f.mainMenu, 2, plat::kMenuEnabled, kCmdExit, "Exit(&X)");
    const plat::Rect outer = plat::adjustWindowRect({0, 0, 240, m.menuHeight + 32}, kMainStyle, false);
    plat::CreateParams p;
    p.className = MainWindowClassName(n);
    p.title = kFrameworkBanner;
    p.style = kMainStyle;
    p.width = outer.width();
    p.height = outer.height();
    p.x = (m.fullScreenWidth() - p.width) / 2;
    p.y = m.fullScreenHeight() + m.captionHeight - p.height - 55;
    p.menu = f.mainMenu;
    if (!plat::createWindow(p)) {
        plat::stopCodecService();
        return 1;
    }

    char depth[16];
    std::snprintf(depth, sizeof depth, "%d-bit color", f.screenColourDepth);
    SetStatusText(depth);
    if (frameHooks().acceptDrops) frameHooks().acceptDrops(true);

    if (frameHooks().startTextDrawing) frameHooks().startTextDrawing();

    plat::Message msg;
    while (plat::getMessage(msg)) plat::dispatchMessage(msg);

    f.mainMenu.reset();
    plat::stopCodecService();
    return int(msg.wParam);
}
