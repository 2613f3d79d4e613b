// Capture costs: the callback's frame copy, the demo rig's render, and
// the time from a frame's render to its publication.
#include <benchmark/benchmark.h>

#include <vector>

#include "capture/capture.h"
#include "capture/demo_scene.h"

namespace {

void BM_CallbackCopy(benchmark::State& st) {
    std::vector<uint8_t> sample(230400, 1), dest(kFrameBytes);
    for (auto _ : st) CopyFrameUpright(sample.data(), long(sample.size()), 240, dest.data(), long(dest.size()));
    st.SetBytesProcessed(st.iterations() * 230400);
}
BENCHMARK(BM_CallbackCopy);

void BM_DemoRender(benchmark::State& st) {
    std::vector<uint8_t> f(230400);
    cap::DemoSettings s;
    s.focus = int(st.range(0));
    double t = 0;
    for (auto _ : st) cap::RenderDemoFrame(cap::kLeftEye, t += 0.066, s, f.data());
    st.SetLabel(s.focus == 128 ? "in focus" : "defocused");
}
BENCHMARK(BM_DemoRender)->Arg(128)->Arg(255)->Unit(benchmark::kMillisecond);

// From the start of a frame's render to its publication: render, the
// callback's upright copy into the destination, the time's release store.
void BM_RenderToPublication(benchmark::State& st) {
    CameraRecord& r = capture.cameras[0];
    std::vector<uint8_t> dest(kFrameBytes), frame(230400);
    r.frameDestination.store(dest.data());
    r.frameHeight = 240;
    zelc_SampleGrabberCB cb(0);
    cap::DemoSettings s;
    double t = 0;
    for (auto _ : st) {
        t += 1.0 / 15;
        cap::RenderDemoFrame(cap::kRightEye, t, s, frame.data());
        cb.BufferCB(t, frame.data(), long(frame.size()));
    }
    r.frameDestination.store(nullptr);
}
BENCHMARK(BM_RenderToPublication)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
