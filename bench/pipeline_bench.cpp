// The lenticular pipeline's stages. The stereo search runs on the shared
// example pair when it is there, else on a synthetic textured pair.
#include <benchmark/benchmark.h>

#include <fstream>
#include <utility>
#include <vector>

#include "app/pipeline.h"
#include "app/stereo_bt.h"
#include "frame/frame.h"
#include "image/image_table.h"
#include "platform/system.h"
#include "windows/image_window.h"

namespace {

struct Pair {
    int w = 320, h = 240;
    std::vector<uint8_t> l, r;
};

Pair LoadPair() {
    Pair p;
    auto read = [](const std::string& path, std::vector<uint8_t>* px) {
        std::ifstream f(path, std::ios::binary);
        std::string magic;
        int w, h, m;
        if (!(f >> magic >> w >> h >> m) || magic != "P5" || w != 320 || h != 240) return false;
        f.get();
        px->resize(320 * 240);
        return bool(f.read(reinterpret_cast<char*>(px->data()), 320 * 240));
    };
    const std::string base = std::string(ORV_SHARED_DATA) + "/stereo/opencv1_doc_example/";
    if (read(base + "left.pgm", &p.l) && read(base + "right.pgm", &p.r)) return p;
    p.l.resize(320 * 240);
    p.r.resize(320 * 240);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            p.l[size_t(y) * 320 + size_t(x)] = uint8_t((x * 37 + y * 11 + x * x % 23) * 13 % 251);
            const int xs = x + 12;
            p.r[size_t(y) * 320 + size_t(x)] = uint8_t((xs * 37 + y * 11 + xs * xs % 23) * 13 % 251);
        }
    return p;
}

// The search with the program's arguments: rows in vector lanes on both
// cores against the plain one, a row at a time on one.
void BM_StereoSearch320x240(benchmark::State& st) {
    const Pair p = LoadPair();
    const bool fast = st.range(0) != 0;
    std::vector<uint8_t> out(p.l.size());
    for (auto _ : st)
        (fast ? FindStereoCorrespondenceBT : FindStereoCorrespondenceBTPlain)(p.l.data(), p.r.data(), out.data(), p.w,
                                                                             p.h, p.w, 100, 15, 3, 6, 8, 15);
    st.SetLabel(fast ? "fast" : "plain");
}
BENCHMARK(BM_StereoSearch320x240)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The slots of a pass after depth: a textured base picture and a stepped
// depth image, the views, the work image (touched once) and the output.
void SetUpPass(int W, int H) {
    std::string err;
    plat::initialize(plat::BackendKind::Headless, &err);
    plat::registerClass("orv_iw", ImageWindowProc, plat::kClassOwnDc, 0);
    InitImageTable();
    out_width = W;
    out_height = H;
    view_num = 9;
    shift_max = 80;
    pitch = 17.357;
    x_scale = 320.0 / (3 * W);
    y_scale = 240.0 / H;
    ORV_CreateImageFL(kSlotBasepic, "basepic", 0, 0, 320, 240, 100);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ORV_PutPixel(x, y, (x * 77 + y * 13) & 0xFFFFFF);
    ORV_CreateImageFL(kSlotDepth, "depth", 0, 0, 320, 240, 100);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) ORV_PutPixel(x, y, ((x / 40 + y / 30) % 3) * 40 * 0x010101);
    ORV_CreateImageFL(kSlotDisplay, "display", 0, 0, 320 * 9, 240, 10);
    ORV_CreateImageFL(kSlotWork, "lenti-work", 0, 0, 3 * W * 9, H, 1);
    ORV_CreateImageFL(kSlotOutput, "lenti-display", 0, 0, W, H, 10);
    ResampleViews();  // touch the work image once before anything is timed
}

void TearDownPass() {
    for (int n = 0; n < kImageSlots; ++n) ORV_DestroyImage(n);
    plat::shutdown();
}

// One stage at the defaults (800 x 480, 9 views) and at 1920 x 1240: the
// fast version (argument 1) against the plain reference (0).
void Stage(benchmark::State& st, void (*fast)(), void (*plain)()) {
    const bool isFast = st.range(0) != 0;
    SetUpPass(int(st.range(1)), int(st.range(2)));
    for (auto _ : st) isFast ? fast() : plain();
    st.SetLabel(std::string(isFast ? "fast " : "plain ") + std::to_string(out_width) + "x" + std::to_string(out_height));
    TearDownPass();
}
void StageSizes(benchmark::internal::Benchmark* b) {
    for (const auto& size : {std::pair{800, 480}, std::pair{1920, 1240}})
        for (int fast : {0, 1}) b->Args({fast, size.first, size.second});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// Resampling "display" into "lenti-work", then either interlacer.
void BM_ResampleViews(benchmark::State& st) { Stage(st, ResampleViews, ResampleViewsPlain); }
BENCHMARK(BM_ResampleViews)->Apply(StageSizes);
void BM_InterlaceStable(benchmark::State& st) { Stage(st, InterlaceStable, InterlaceStablePlain); }
BENCHMARK(BM_InterlaceStable)->Apply(StageSizes);
void BM_InterlaceBata(benchmark::State& st) { Stage(st, InterlaceBata, InterlaceBataPlain); }
BENCHMARK(BM_InterlaceBata)->Apply(StageSizes);

void BM_SynthesiseViews(benchmark::State& st) {
    SetUpPass(800, 480);
    const bool fast = st.range(0) != 0;
    for (auto _ : st) fast ? SynthesiseViews() : SynthesiseViewsPlain();
    st.SetLabel(fast ? "fast" : "plain");
    TearDownPass();
}
BENCHMARK(BM_SynthesiseViews)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PassAfterDepth(benchmark::State& st) {
    const bool fast = st.range(0) != 0;
    SetUpPass(int(st.range(1)), int(st.range(2)));
    for (auto _ : st) {
        if (fast) {
            SynthesiseViews();
            ResampleViews();
            InterlaceStable();
        } else {
            SynthesiseViewsPlain();
            ResampleViewsPlain();
            InterlaceStablePlain();
        }
    }
    st.SetLabel(std::string(fast ? "fast " : "plain ") + std::to_string(out_width) + "x" + std::to_string(out_height));
    TearDownPass();
}
BENCHMARK(BM_PassAfterDepth)->Args({0, 800, 480})->Args({1, 800, 480})->Args({0, 1920, 1240})
    ->Args({1, 1920, 1240})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
