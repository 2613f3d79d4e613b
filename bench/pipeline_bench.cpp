// The lenticular pipeline's stages. The stereo search runs on the shared
// example pair when it is there, else on a synthetic textured pair.
#include <benchmark/benchmark.h>

#include <fstream>
#include <vector>

#include "app/stereo_bt.h"

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

void BM_StereoSearch320x240(benchmark::State& st) {
    const Pair p = LoadPair();
    std::vector<uint8_t> out(p.l.size());
    for (auto _ : st)
        FindStereoCorrespondenceBT(p.l.data(), p.r.data(), out.data(), p.w, p.h, p.w, 100, 15, 3, 6, 8, 15);
}
BENCHMARK(BM_StereoSearch320x240)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
