// A program whose main function never looks at stopRequested, for the test
// that Exit still ends the process (run as a child: it ends by itself).
// Prints "exit-at MS" when it presses X and "closed-by main|worker MS".
#include <cstdio>
#include <thread>

#include "frame/frame.h"
#include "platform/headless/headless_backend.h"
#include "platform/system.h"

namespace {
std::thread::id g_main;

void Setup() { startRequested = 1; }
void Main() {
    for (;;) PumpMessages();  // never returns, never tests stopRequested
}
void Close() {
    std::printf("closed-by %s %d\n", std::this_thread::get_id() == g_main ? "main" : "worker",
                MillisecondClock());
    std::fflush(stdout);
}
}  // namespace

int main() {
    std::string err;
    if (!plat::initialize(plat::BackendKind::Headless, &err)) return 3;
    g_main = std::this_thread::get_id();
    frameHooks().closeCameras = Close;
    SetApplication(Setup, Main);
    std::thread presser([] {
        while (running == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::printf("exit-at %d\n", MillisecondClock());
        std::fflush(stdout);
        plat::headless::key('X');
    });
    presser.detach();
    const int rc = WinMain();
    std::printf("returned %d\n", rc);  // not reached: the process ends in Exit
    return 4;
}
