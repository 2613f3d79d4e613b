#include "platform/codec_service.h"

#include <Magick++.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace plat {

namespace {
std::atomic<bool> g_running{false};
}

bool startCodecService(const char* programPath) {
    static std::once_flag once;
    std::call_once(once, [programPath] {
        Magick::InitializeMagick(programPath);
        // The library cannot start again once destroyed: destroy it at the
        // process's normal end only.
        std::atexit([] { MagickLib::DestroyMagick(); });
    });
    if (g_running.exchange(true)) return true;
    // A hostile file must not take the machine's memory: cap what one image
    // may use (pixels beyond this go to disk or fail).
    MagickLib::SetMagickResourceLimit(MagickLib::MemoryResource, 1024LL * 1024 * 1024);
    MagickLib::SetMagickResourceLimit(MagickLib::MapResource, 2048LL * 1024 * 1024);
    MagickLib::SetMagickResourceLimit(MagickLib::PixelsResource, 16384LL * 16384);
    MagickLib::SetMagickResourceLimit(MagickLib::WidthResource, 65536);
    MagickLib::SetMagickResourceLimit(MagickLib::HeightResource, 65536);
    return true;
}

void stopCodecService() {
    g_running = false;
}

bool codecServiceRunning() { return g_running; }

}  // namespace plat
