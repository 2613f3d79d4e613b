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
    // 8192 x 8192 pixels at most, nothing cached on disk: a file claiming
    // more (a decompression bomb) fails to load instead.
    MagickLib::SetMagickResourceLimit(MagickLib::PixelsResource, 8192LL * 8192);
    MagickLib::SetMagickResourceLimit(MagickLib::WidthResource, 32768);
    MagickLib::SetMagickResourceLimit(MagickLib::HeightResource, 32768);
    MagickLib::SetMagickResourceLimit(MagickLib::DiskResource, 0);
    return true;
}

void stopCodecService() {
    g_running = false;
}

bool codecServiceRunning() { return g_running; }

}  // namespace plat
