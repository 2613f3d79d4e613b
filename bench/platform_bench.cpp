// The platform layer's hot paths: stretched copies of an image-window
// sized picture, text output, and a message's trip through a queue.
#include <benchmark/benchmark.h>

#include "platform/dc.h"
#include "platform/font.h"
#include "platform/surface.h"
#include "platform/system.h"
#include "platform/window.h"

namespace {

std::unique_ptr<plat::Surface> pattern(int w, int h) {
    auto s = plat::Surface::create(w, h, 32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s->row32(y)[x] = uint32_t((x * 7) ^ (y * 13)) & 0xFFFFFF;
    return s;
}

void BM_CopyBlock800x480(benchmark::State& st) {
    auto src = pattern(800, 480);
    auto dst = plat::Surface::create(800, 480, 32);
    plat::Dc s(src.get()), d(dst.get());
    for (auto _ : st) plat::copyBlock(d, 0, 0, 800, 480, s, 0, 0);
    st.SetItemsProcessed(st.iterations() * 800 * 480);
}
BENCHMARK(BM_CopyBlock800x480);

void BM_Stretch800x480To400x240(benchmark::State& st) {
    auto src = pattern(800, 480);
    auto dst = plat::Surface::create(400, 240, 32);
    plat::Dc s(src.get()), d(dst.get());
    d.stretchMode = st.range(0) ? plat::StretchMode::Halftone : plat::StretchMode::ColorOnColor;
    for (auto _ : st) plat::stretchBlock(d, 0, 0, 400, 240, s, 0, 0, 800, 480);
    st.SetLabel(st.range(0) ? "halftone" : "nearest");
}
BENCHMARK(BM_Stretch800x480To400x240)->Arg(0)->Arg(1);

void BM_TextOutLine(benchmark::State& st) {
    auto dst = plat::Surface::create(440, 20, 32);
    plat::Dc d(dst.get());
    d.font = plat::oemFixedFont();
    const std::string line = "Exposure -7  Gain 50  shift 80  views 9  pitch 17.357";
    for (auto _ : st) plat::textOut(d, 0, 0, line);
}
BENCHMARK(BM_TextOutLine);

plat::LResult sink(plat::Window w, plat::Msg m, plat::WParam wp, plat::LParam lp) {
    return plat::defaultWindowProc(w, m, wp, lp);
}

void BM_PostPeekDispatch(benchmark::State& st) {
    std::string err;
    plat::initialize(plat::BackendKind::Headless, &err);
    plat::registerClass("bench", sink, 0, 0);
    plat::CreateParams p;
    p.className = "bench";
    p.style = 0;
    const plat::Window w = plat::createWindow(p);
    plat::Message m;
    while (plat::peekMessage(m)) plat::dispatchMessage(m);
    for (auto _ : st) {
        plat::postMessage(w, plat::Msg::User);
        plat::peekMessage(m);
        plat::dispatchMessage(m);
    }
    plat::shutdown();
}
BENCHMARK(BM_PostPeekDispatch);

}  // namespace

BENCHMARK_MAIN();
