// Image store and image window costs: the pixel calls, drawing an image
// window, loading and saving a full-HD picture.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "files/image_file.h"
#include "frame/frame.h"
#include "image/image_table.h"
#include "image/test_pattern.h"
#include "platform/system.h"
#include "windows/image_window.h"

namespace {

struct Platform {
    Platform() {
        std::string err;
        plat::initialize(plat::BackendKind::Headless, &err);
        plat::registerClass("orv_iw", ImageWindowProc, plat::kClassOwnDc, 0);
        InitImageTable();
    }
    ~Platform() {
        for (int n = 0; n < kImageSlots; ++n) ORV_DestroyImage(n);
        plat::shutdown();
    }
};

void BM_PutPixel(benchmark::State& st) {
    Platform p;
    ORV_CreateImage(0, "put", 0, 0, 800, 480, 100);
    for (auto _ : st)
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x) ORV_PutPixel(x, y, x ^ y);
    st.SetItemsProcessed(st.iterations() * 800 * 480);
}
BENCHMARK(BM_PutPixel);

void BM_GetPixel(benchmark::State& st) {
    Platform p;
    ORV_CreateImage(0, "get", 0, 0, 800, 480, 100);
    for (auto _ : st) {
        int sum = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 800; ++x) sum += ORV_GetPixel(x, y);
        benchmark::DoNotOptimize(sum);
    }
    st.SetItemsProcessed(st.iterations() * 800 * 480);
}
BENCHMARK(BM_GetPixel);

void BM_DrawImage800x480(benchmark::State& st) {
    Platform p;
    const int zoom = int(st.range(0));
    ORV_CreateImage(0, "draw", 0, 0, 800, 480, zoom);
    if (zoom != 100) SetImageStretchMode(kStretchHalftone, 0);
    TestPatternRgb();
    for (auto _ : st) ORV_DrawImage(0);
    st.SetLabel(zoom == 100 ? "zoom 100" : "zoom " + std::to_string(zoom) + " halftone");
}
BENCHMARK(BM_DrawImage800x480)->Arg(100)->Arg(50)->Arg(150)->Unit(benchmark::kMicrosecond);

void BM_SaveLoad1920x1080(benchmark::State& st) {
    Platform p;
    const int format = int(st.range(0));
    const bool load = st.range(1) != 0;
    ORV_CreateImageFL(0, "hd", 0, 0, 1920, 1080, 50);
    TestPatternRgb();
    const std::string path = "/tmp/orv_bench_" + std::to_string(getpid()) + (format == kFormatPng ? ".png" : ".jpg");
    SaveImageFile(1920, 1080, format, path.c_str());
    for (auto _ : st) {
        if (load) LoadImageFile(path.c_str(), 0, 0);
        else SaveImageFile(1920, 1080, format, path.c_str());
    }
    unlink(path.c_str());
    st.SetLabel(std::string(load ? "load " : "save ") + (format == kFormatPng ? "PNG" : "JPEG"));
}
BENCHMARK(BM_SaveLoad1920x1080)->Args({kFormatPng, 0})->Args({kFormatPng, 1})->Args({kFormatJpeg, 0})
    ->Args({kFormatJpeg, 1})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
