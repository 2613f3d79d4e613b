// Message pumps, the millisecond clock and the waits.
#include <cstdio>

#include "frame/frame.h"
#include "platform/system.h"

int PumpMessages() {
    plat::Message m;
    const FrameHooks& h = frameHooks();
    while (plat::peekMessage(m, true)) {
        if (h.inputBoxDialogMessage && h.inputBoxDialogMessage(m)) continue;
        if (h.buttonBoxDialogMessage && h.buttonBoxDialogMessage(m)) continue;
        plat::dispatchMessage(m);
    }
    return 0;
}

void PumpPendingMessages() {
    plat::Message m;
    while (plat::peekMessage(m, true)) plat::dispatchMessage(m);
}

int MillisecondClock() {
    const double ms = double(plat::performanceCounter()) * frame().millisecondScale;
    return int(uint32_t(uint64_t(int64_t(ms))));
}

int WaitMilliseconds(int ms) {
    const long long t0 = plat::performanceCounter();
    const double scale = frame().millisecondScale;
    auto elapsed = [&] { return int64_t(double(plat::performanceCounter() - t0) * scale + 0.5); };
    while (elapsed() < ms) {
        PumpMessages();
        if (stopRequested != 0) return 1;
    }
    return 0;
}

void PauseMessageBox(const char* text) {
    plat::messageBox(plat::Window{}, text ? text : "", "Pause", plat::kMbOk);
}
