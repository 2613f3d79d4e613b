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

bool loadScaledBgr(const std::string& path, int width, int height, std::vector<uint8_t>* bgr, bool* scaled,
                   std::string* error) {
    startCodecService(nullptr);
    try {
        Magick::Image img;
        try {
            img.read(path);
        } catch (const Magick::Warning&) {
            // A damaged but readable file: what was read is kept.
        }
        if (!img.isValid() || img.columns() == 0 || img.rows() == 0) throw std::runtime_error("no picture");
        const bool resize = int(img.columns()) != width || int(img.rows()) != height;
        if (resize) {
            Magick::Geometry g{unsigned(width), unsigned(height)};
            g.aspect(true);
            img.resize(g);
        }
        if (scaled) *scaled = resize;
        bgr->resize(size_t(width) * size_t(height) * 3);
        img.write(0, 0, unsigned(width), unsigned(height), "BGR", Magick::CharPixel, bgr->data());
        return true;
    } catch (const std::exception& e) {
        if (error) *error = "cannot read " + path + ": " + e.what();
        return false;
    }
}

}  // namespace plat
