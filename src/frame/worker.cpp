// The worker thread: runs the application's set-up once, then an idle round
// that pumps its windows, carries out GUI requests and starts the main
// function when asked.
#include <chrono>
#include <thread>

#include "frame/frame.h"

std::atomic<int> startRequested{0};
std::atomic<int> running{0};
std::atomic<int> stopRequested{0};
std::atomic<int> exitState{0};
std::atomic<int> inputPending{0};

void RunApplicationSetup();
void RunApplicationMain();

namespace {
std::atomic<bool> g_workerActive{false};

void AcceptDrops(bool accept) {
    if (frameHooks().acceptDrops) frameHooks().acceptDrops(accept);
}
}  // namespace

bool WorkerThreadActive() { return g_workerActive.load(std::memory_order_acquire); }

GuiRequest& guiRequest() {
    static GuiRequest r;
    return r;
}

void ExecuteGuiRequest() {
    GuiRequest& r = guiRequest();
    if (r.code.load(std::memory_order_acquire) == 0) return;
    if (frameHooks().executeGuiRequest) frameHooks().executeGuiRequest(r);
    r.done.store(1, std::memory_order_release);
    r.code.store(0, std::memory_order_release);
}

std::thread StartWorkerThread() {
    // Active from its creation, not from when it first runs: an Exit in
    // between must wait for it rather than close the cameras itself.
    g_workerActive.store(true, std::memory_order_release);
    return std::thread([] { WorkerThreadProc(); });
}

int WorkerThreadProc() {
    RunApplicationSetup();
    CollectSnapEdges();
    while (exitState == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        PumpMessages();
        if (guiRequest().code.load(std::memory_order_acquire) != 0) ExecuteGuiRequest();
        if (startRequested != 0 && running == 0) {
            AcceptDrops(false);
            running = 1;
            startRequested = 0;
            stopRequested = 0;
            // Exit writes exitState before stopRequested: seen here, it came
            // while the run was being started, and a run begun now would
            // never be asked to stop.
            if (exitState != 0) break;
            RunApplicationMain();
            if (exitState != 0) break;
            running = 0;
            stopRequested = 0;
            AcceptDrops(true);
        }
    }
    if (frameHooks().closeCameras) frameHooks().closeCameras();
    exitState = 2;
    PumpMessages();
    // The thread's windows go with it.
    plat::endThread();
    g_workerActive.store(false, std::memory_order_release);
    return 0;
}
