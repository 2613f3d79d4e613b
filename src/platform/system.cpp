#include "platform/system.h"

#include <time.h>

#include <cstdlib>

#include "platform/internal.h"

namespace plat {

using namespace detail;

namespace {
Metrics g_metrics;
bool g_initialized = false;
}  // namespace

bool initialize(BackendKind kind, std::string* error) {
    if (g_initialized) return true;
    std::unique_ptr<Backend> b;
    const char* display = std::getenv("DISPLAY");
    if (kind == BackendKind::Auto) kind = display && *display ? BackendKind::X11 : BackendKind::Headless;
    if (kind == BackendKind::X11) {
        b = makeX11Backend(display, error);
        if (!b) return false;
    } else {
        b = makeHeadlessBackend(1280, 1024);
    }
    g_metrics = Metrics{};
    g_metrics.screenWidth = b->screenWidth();
    g_metrics.screenHeight = b->screenHeight();
    g_metrics.screenDepth = b->screenDepth();
    {
        std::lock_guard lock(state().mutex);
        state().backend = std::move(b);
    }
    registerStockClasses();
    g_initialized = true;
    return true;
}

void shutdown() {
    if (!g_initialized) return;
    std::unique_ptr<Backend> b;
    {
        std::lock_guard lock(state().mutex);
        auto& s = state();
        std::vector<uint32_t> all;
        for (auto& [id, w] : s.windows) all.push_back(id);
        removeWindows(all);
        s.windows.clear();
        s.zorder.clear();
        s.creationOrder.clear();
        s.classes.clear();
        s.focus = s.active = s.capture = s.hover = 0;
        b = std::move(s.backend);
    }
    threadKeyState() = 0;
    if (b) b->shutdown();
    b.reset();
    g_initialized = false;
}

bool initialized() { return g_initialized; }

Backend* backend() {
    std::lock_guard lock(state().mutex);
    return state().backend.get();
}

const Metrics& metrics() { return g_metrics; }

double performanceFrequency() { return 1e9; }

long long performanceCounter() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

}  // namespace plat
