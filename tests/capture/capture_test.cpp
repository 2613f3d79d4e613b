// The capture module through a test driver that can fail at every step,
// the frame copy, the property arithmetic, the V4L2 control mapping with a
// fake control table, and the demo rig end to end.
#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <thread>

#include "capture/capture.h"
#include "capture/demo_scene.h"
#include "capture/v4l2_controls.h"
#include "platform/png_write.h"
#include "platform/surface.h"

using namespace cap;

namespace {

// Closes the cameras and drops the driver however a test ends.
struct CameraGuard {
    ~CameraGuard() {
        ORV_CloseCameras();
        SetCaptureDriver(nullptr);
    }
};

// The open waits for camera 0 only; a test that reads camera c waits for it.
bool WaitForFrame(int c) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (capture.cameras[c].lastSampleLength.load() == 0)
        if (std::chrono::steady_clock::now() > end) return false;
        else std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
}

class FakeProperties final : public PropertySet {
public:
    std::map<int, PropertyRange> ranges;
    std::map<int, std::pair<long, long>> values;
    bool range(int p, PropertyRange* out) override {
        auto it = ranges.find(p);
        if (it == ranges.end()) return false;
        *out = it->second;
        return true;
    }
    bool get(int p, long* v, long* f) override {
        auto it = values.find(p);
        if (it == values.end()) return false;
        *v = it->second.first;
        *f = it->second.second;
        return true;
    }
    bool set(int p, long v, long f) override {
        if (!ranges.count(p)) return false;
        values[p] = {v, f};
        return true;
    }
};

struct FakeSpec {
    std::optional<std::string> name = std::string("@device:pnp:fake");
    bool refuseFormat = false;
    bool noConverter = false;
    bool cannotRun = false;
    int firstFrameDelayMs = 0;  // of each start
    bool cameraControl = true;
    int unplugAfter = -1;  // frames, then the device is gone
};

class FakeCamera final : public CaptureDevice {
public:
    explicit FakeCamera(FakeSpec s) : spec_(std::move(s)) {
        amp_.ranges[0] = {0, 255, 1, 128, kFlagManual};
        amp_.values[0] = {128, kFlagManual};
        cam_.ranges[4] = {-13, -1, 1, -7, kFlagAuto | kFlagManual};
        cam_.values[4] = {-7, kFlagManual};
    }
    ~FakeCamera() override { stop(); }
    std::optional<std::string> displayName() override { return spec_.name; }
    bool setFormat(int, int, int64_t) override { return !spec_.refuseFormat; }
    bool connectRgb24() override { return !spec_.noConverter; }
    PropertySet* procAmp() override { return &amp_; }
    PropertySet* cameraControl() override { return spec_.cameraControl ? &cam_ : nullptr; }
    bool start(FrameCallback* cb) override {
        if (spec_.cannotRun) return false;
        running_ = true;
        thread_ = std::thread([this, cb] {
            std::this_thread::sleep_for(std::chrono::milliseconds(spec_.firstFrameDelayMs));
            std::vector<uint8_t> f(230400);
            double t = 0;
            int sent = 0;
            while (running_ && sent++ != spec_.unplugAfter) {
                t += 1.0 / 15;
                for (int row = 0; row < 240; ++row) std::memset(&f[size_t(row) * 960], row, 960);
                cb->BufferCB(t, f.data(), long(f.size()));
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        return true;
    }
    void stop() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    FakeProperties amp_, cam_;

private:
    FakeSpec spec_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

// Devices and failing steps set per test; counts starts for the retry rule.
struct TestDriver final : public CaptureDriver {
    std::vector<FakeSpec> specs;
    bool categoryFails = false;
    std::optional<Step> failing;
    int attempts = 0;
    int delayFirstAttempts = 0;  // this many attempts deliver late (3.5 s)
    const char* name() const override { return "test"; }
    bool enumerate(std::vector<std::unique_ptr<CaptureDevice>>* out) override {
        ++attempts;
        if (categoryFails) return false;
        for (FakeSpec s : specs) {
            if (attempts <= delayFirstAttempts) s.firstFrameDelayMs = 3500;
            out->push_back(std::make_unique<FakeCamera>(s));
        }
        return true;
    }
    bool stepOk(Step s, int) override { return !failing || *failing != s; }
};

class Capture : public ::testing::Test {
protected:
    TestDriver* driver = nullptr;
    void SetUp() override {
        auto d = std::make_unique<TestDriver>();
        driver = d.get();
        driver->specs = {FakeSpec{}, FakeSpec{}};
        SetCaptureDriver(std::move(d));
    }
    void TearDown() override {
        ORV_CloseCameras();
        SetCaptureDriver(nullptr);
    }
    static bool nothingHeld() {
        for (const auto& r : capture.cameras)
            if (r.device || r.ownBuffer || r.callback) return false;
        return capture.open == 0;
    }
};

}  // namespace

TEST_F(Capture, OpensSkipsNonPlugAndPlayAndClosesOnce) {
    driver->specs = {FakeSpec{}, FakeSpec{std::string("@device:sw:not-a-camera")}, FakeSpec{}};
    ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    EXPECT_EQ(capture.cameraCount, 2);
    EXPECT_EQ(capture.cameras[0].graphName, "Video Capture 0");
    EXPECT_EQ(capture.cameras[1].graphName, "Video Capture 1");
    EXPECT_EQ(ORV_OpenCameras(15.0), 1);
    EXPECT_EQ(driver->attempts, 1);
    EXPECT_EQ(ORV_CloseCameras(), 0);
    EXPECT_TRUE(nothingHeld());
    EXPECT_EQ(ORV_CloseCameras(), 1);
}

TEST_F(Capture, StatusCodesOfEveryStep) {
    struct Case {
        const char* what;
        std::function<void(TestDriver&)> setup;
        int status;
    } cases[] = {
        {"graph", [](TestDriver& d) { d.failing = Step::CreateGraph; }, 3},
        {"enumerator", [](TestDriver& d) { d.failing = Step::CreateEnumerator; }, 4},
        {"category", [](TestDriver& d) { d.categoryFails = true; }, 5},
        {"empty category", [](TestDriver& d) { d.specs.clear(); }, 5},
        {"display name", [](TestDriver& d) { d.specs[1].name.reset(); }, 6},
        {"add filter", [](TestDriver& d) { d.failing = Step::AddFilter; }, 7},
        {"no pnp", [](TestDriver& d) { d.specs = {FakeSpec{std::string("@device:sw:x")}}; }, 8},
        {"builder", [](TestDriver& d) { d.failing = Step::CaptureBuilder; }, 9},
        {"stream config", [](TestDriver& d) { d.failing = Step::StreamConfig; }, 10},
        {"format", [](TestDriver& d) { d.specs[0].refuseFormat = true; }, 11},
        {"grabber", [](TestDriver& d) { d.failing = Step::CreateGrabber; }, 12},
        {"media type", [](TestDriver& d) { d.failing = Step::GrabberMediaType; }, 13},
        {"add grabber", [](TestDriver& d) { d.failing = Step::AddGrabber; }, 14},
        {"connect", [](TestDriver& d) { d.specs[1].noConverter = true; }, 15},
        {"copies", [](TestDriver& d) { d.failing = Step::NoBufferCopies; }, 16},
        {"continuous", [](TestDriver& d) { d.failing = Step::ContinuousMode; }, 17},
        {"media control", [](TestDriver& d) { d.failing = Step::MediaControl; }, 18},
        {"run", [](TestDriver& d) { d.specs[0].cannotRun = true; }, 19},
        {"callback", [](TestDriver& d) { d.failing = Step::Callback; }, 20},
    };
    for (const auto& c : cases) {
        SetUp();
        c.setup(*driver);
        EXPECT_EQ(ORV_OpenCameras(15.0), c.status) << c.what;
        EXPECT_EQ(capture.lastResult, c.status) << c.what;
        EXPECT_TRUE(nothingHeld()) << c.what;
        // 19 is tried three times, the others once (3 and 4 fail before the
        // devices are enumerated).
        EXPECT_EQ(driver->attempts, c.status == 19 ? 3 : c.status <= 4 ? 0 : 1) << c.what;
    }
}

TEST_F(Capture, MoreThanEightDevicesOnlyTheFirstEightAreLookedAt) {
    driver->specs.assign(8, FakeSpec{std::string("@device:sw:x")});
    driver->specs.push_back(FakeSpec{});  // the ninth is plug-and-play
    EXPECT_EQ(ORV_OpenCameras(15.0), 8);
}

TEST_F(Capture, LateFirstFrameIsRetried) {
    driver->specs = {FakeSpec{}};
    driver->delayFirstAttempts = 1;
    EXPECT_EQ(ORV_OpenCameras(15.0), 0);  // 21, then success
    EXPECT_EQ(driver->attempts, 2);
}

TEST_F(Capture, FramesArriveUprightAndWhole) {
    driver->specs = {FakeSpec{}, FakeSpec{}};
    ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    ASSERT_TRUE(WaitForFrame(1));
    std::vector<uint8_t> out(230400);
    const double t = ReadCameraFrame(0, out.data(), int(out.size()));
    ASSERT_GT(t, 0.0);
    // The fake fills sample row k with k: upright, destination row 0 holds 239.
    EXPECT_EQ(out[0], 239);
    EXPECT_EQ(out[960 * 239], 0);
    for (int row = 0; row < 240; ++row) EXPECT_EQ(out[size_t(row) * 960 + 500], 239 - row);
    // Re-pointing a destination takes effect with the next frame.
    static uint8_t mine[kFrameBytes];
    capture.cameras[1].frameDestination.store(mine);
    const double before = capture.cameras[1].lastSampleTime.load();
    while (capture.cameras[1].lastSampleTime.load() == before) std::this_thread::yield();
    while (capture.cameras[1].lastSampleTime.load() == before + 0) std::this_thread::yield();
    const double seen = capture.cameras[1].lastSampleTime.load();
    while (capture.cameras[1].lastSampleTime.load() == seen) std::this_thread::yield();
    EXPECT_EQ(mine[0], 239);
    EXPECT_EQ(mine[960 * 239], 0);
}

TEST_F(Capture, AnUnpluggedCameraStopsTheOtherGoesOn) {
    driver->specs = {FakeSpec{}, FakeSpec{}};
    driver->specs[1].unplugAfter = 3;
    ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double gone = capture.cameras[1].lastSampleTime.load();
    const double alive = capture.cameras[0].lastSampleTime.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(capture.cameras[1].lastSampleTime.load(), gone);
    EXPECT_GT(capture.cameras[0].lastSampleTime.load(), alive);
    EXPECT_EQ(ORV_CloseCameras(), 0);
    EXPECT_TRUE(nothingHeld());
}

TEST(FrameCopy, ShortLongAndEmptySamples) {
    std::vector<uint8_t> dest(kFrameBytes, 0xAA);
    std::vector<uint8_t> big(400000, 7);
    CopyFrameUpright(big.data(), long(big.size()), 240, dest.data(), long(dest.size()));
    EXPECT_EQ(dest[kFrameBytes - 1], 7);  // filled, never past the end (the sanitizers watch)
    std::vector<uint8_t> small(100, 1);
    std::fill(dest.begin(), dest.end(), 0xAA);
    CopyFrameUpright(small.data(), long(small.size()), 240, dest.data(), long(dest.size()));
    EXPECT_EQ(dest[0], 0xAA);  // fewer than 240 bytes: no rows
}

TEST_F(Capture, PropertyArithmeticAndChecks) {
    driver->specs = {FakeSpec{}, FakeSpec{std::nullopt}};
    driver->specs[1] = FakeSpec{};
    driver->specs[1].cameraControl = false;
    EXPECT_EQ(ORV_GetCameraProperty(0, 14, nullptr), -1.0);  // closed
    EXPECT_EQ(ORV_SetCameraProperty(0, 14, 50), 1);
    ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    int isAuto = -1;
    EXPECT_DOUBLE_EQ(ORV_GetCameraProperty(0, 14, &isAuto), 50.0);  // -13..-1 at -7
    EXPECT_EQ(isAuto, 0);
    auto* cam = static_cast<FakeCamera*>(capture.cameras[0].device.get());
    EXPECT_EQ(ORV_SetCameraProperty(0, 14, 54), 0);
    EXPECT_EQ(cam->cam_.values[4].first, -6);
    EXPECT_EQ(ORV_SetCameraProperty(0, 14, 150), 0);
    EXPECT_EQ(cam->cam_.values[4].first, -1);
    EXPECT_EQ(ORV_SetCameraProperty(0, 14, -20), 0);
    EXPECT_EQ(cam->cam_.values[4].first, -13);
    EXPECT_EQ(cam->cam_.values[4].second, kFlagManual);
    EXPECT_EQ(ORV_SetCameraPropertyAuto(0, 14), 0);
    EXPECT_EQ(cam->cam_.values[4], (std::pair<long, long>{-13, kFlagAuto}));  // value kept
    EXPECT_EQ(ORV_GetCameraProperty(0, 14, &isAuto), 0.0);
    EXPECT_EQ(isAuto, 1);
    EXPECT_EQ(ORV_SetCameraProperty(0, 17, 1), 2);
    EXPECT_EQ(ORV_SetCameraProperty(0, -1, 1), 2);
    EXPECT_EQ(ORV_GetCameraProperty(0, 17, nullptr), -1.0);
    EXPECT_EQ(ORV_SetCameraProperty(2, 0, 1), 1);
    EXPECT_EQ(ORV_SetCameraProperty(0, 3, 1), 3);  // not supported
    // No camera control interface: 10..16 unsupported, closing is fine.
    EXPECT_EQ(ORV_SetCameraProperty(1, 14, 50), 3);
    EXPECT_EQ(ORV_GetCameraProperty(1, 16, nullptr), -1.0);
    // An empty range reads as a failure, not as NaN.
    cam->amp_.ranges[0] = {5, 5, 1, 5, kFlagManual};
    EXPECT_EQ(ORV_GetCameraProperty(0, 0, nullptr), -1.0);
}

namespace {
struct FakeIo final : ControlIo {
    std::map<uint32_t, ControlInfo> info;
    std::map<uint32_t, long> value;
    std::vector<std::pair<uint32_t, long>> writes;
    bool query(uint32_t id, ControlInfo* out) override {
        auto it = info.find(id);
        if (it == info.end()) return false;
        *out = it->second;
        return true;
    }
    bool get(uint32_t id, long* v) override {
        if (!value.count(id)) return false;
        *v = value[id];
        return true;
    }
    bool set(uint32_t id, long v) override {
        if (!info.count(id)) return false;
        writes.emplace_back(id, v);
        value[id] = v;
        return true;
    }
};
}  // namespace

TEST(V4l2Controls, MappingAndAutoCompanions) {
    const uint32_t want[17] = {V4L2_CID_BRIGHTNESS, V4L2_CID_CONTRAST, V4L2_CID_HUE, V4L2_CID_SATURATION,
                               V4L2_CID_SHARPNESS, V4L2_CID_GAMMA, 0, V4L2_CID_WHITE_BALANCE_TEMPERATURE,
                               V4L2_CID_BACKLIGHT_COMPENSATION, V4L2_CID_GAIN, V4L2_CID_PAN_ABSOLUTE,
                               V4L2_CID_TILT_ABSOLUTE, 0, V4L2_CID_ZOOM_ABSOLUTE, V4L2_CID_EXPOSURE_ABSOLUTE,
                               V4L2_CID_IRIS_ABSOLUTE, V4L2_CID_FOCUS_ABSOLUTE};
    for (int i = 0; i < 17; ++i) EXPECT_EQ(V4l2ControlFor(i), want[i]) << i;
    EXPECT_EQ(V4l2AutoFor(7), uint32_t(V4L2_CID_AUTO_WHITE_BALANCE));
    EXPECT_EQ(V4l2AutoFor(9), uint32_t(V4L2_CID_AUTOGAIN));
    EXPECT_EQ(V4l2AutoFor(14), uint32_t(V4L2_CID_EXPOSURE_AUTO));
    EXPECT_EQ(V4l2AutoFor(16), uint32_t(V4L2_CID_FOCUS_AUTO));

    FakeIo io;
    io.info[V4L2_CID_EXPOSURE_ABSOLUTE] = {3, 2047, 1, 250};
    io.value[V4L2_CID_EXPOSURE_ABSOLUTE] = 250;
    io.info[V4L2_CID_EXPOSURE_AUTO] = {0, 3, 1, 3};
    io.value[V4L2_CID_EXPOSURE_AUTO] = V4L2_EXPOSURE_APERTURE_PRIORITY;
    io.info[V4L2_CID_BRIGHTNESS] = {0, 255, 1, 128};
    io.value[V4L2_CID_BRIGHTNESS] = 100;
    V4l2PropertySet cam(&io, 10), amp(&io, 0);
    PropertyRange r;
    ASSERT_TRUE(cam.range(4, &r));
    EXPECT_EQ(r.maximum, 2047);
    EXPECT_EQ(r.flags, kFlagAuto | kFlagManual);
    long v, f;
    ASSERT_TRUE(cam.get(4, &v, &f));
    EXPECT_EQ(f, kFlagAuto);
    // Setting a value switches the auto companion off first.
    ASSERT_TRUE(cam.set(4, 500, kFlagManual));
    ASSERT_EQ(io.writes.size(), 2u);
    EXPECT_EQ(io.writes[0], (std::pair<uint32_t, long>{V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL}));
    EXPECT_EQ(io.writes[1], (std::pair<uint32_t, long>{V4L2_CID_EXPOSURE_ABSOLUTE, 500}));
    ASSERT_TRUE(cam.set(4, 500, kFlagAuto));
    EXPECT_EQ(io.value[V4L2_CID_EXPOSURE_AUTO], V4L2_EXPOSURE_APERTURE_PRIORITY);
    // No auto companion: automatic is refused (the setter's status 5).
    EXPECT_FALSE(amp.set(0, 100, kFlagAuto));
    EXPECT_TRUE(amp.set(0, 90, kFlagManual));
    EXPECT_FALSE(cam.range(2, &r));  // roll: no control
}

TEST(FilePair, ScaledAndNumberedLikeTheRig) {
    const std::string l = ::testing::TempDir() + "orv_pair_left.png", r = ::testing::TempDir() + "orv_pair_right.png";
    for (auto [path, colour] : {std::pair{l, 0xFF0000u}, std::pair{r, 0x0000FFu}}) {
        auto s = plat::Surface::create(640, 480, 32);
        s->fill(colour);
        ASSERT_TRUE(plat::writePng(*s, path));
    }
    std::string error;
    EXPECT_EQ(MakeFilePairDriver(l, "/nonexistent.png", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent.png"), std::string::npos);
    auto d = MakeFilePairDriver(l, r, &error);
    ASSERT_NE(d, nullptr) << error;
    CameraGuard guard;
    SetCaptureDriver(std::move(d));
    ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    ASSERT_TRUE(WaitForFrame(1));
    std::vector<uint8_t> f(230400);
    ASSERT_GT(ReadCameraFrame(1, f.data(), 230400), 0);  // camera 1: the left picture
    EXPECT_EQ(f[2], 0xFF);                              // B, G, R: red
    EXPECT_EQ(f[0], 0x00);
    ASSERT_GT(ReadCameraFrame(0, f.data(), 230400), 0);
    EXPECT_EQ(f[230400 - 3], 0xFF);                     // blue, to the last pixel: scaled to 320 x 240
    std::remove(l.c_str());
    std::remove(r.c_str());
}

TEST(DemoRig, LeftAndRightDifferByTheSceneDisparity) {
    std::vector<uint8_t> left(230400), right(230400);
    DemoSettings s;
    RenderDemoFrame(kLeftEye, 2.0, s, left.data());
    RenderDemoFrame(kRightEye, 2.0, s, right.data());
    // Along a row, the right picture matches the left shifted by the true
    // disparity: compare a window at the left pixel with candidates.
    int good = 0, tried = 0, minD = 1000, maxD = 0;
    for (int y = 20; y < 220; y += 10)
        for (int x = 90; x < 300; x += 15) {
            const int d = DemoDisparityAt(2.0, x, y);
            minD = std::min(minD, d), maxD = std::max(maxD, d);
            auto px = [](const std::vector<uint8_t>& f, int xx, int yy) {
                return &f[size_t(239 - yy) * 960 + size_t(xx) * 3];
            };
            int best = -1;
            long bestCost = 1L << 40;
            for (int c = 0; c <= 90 && x - c >= 0; ++c) {
                long cost = 0;
                for (int k = -2; k <= 2; ++k) {
                    if (x + k >= 320 || x - c + k < 0) continue;
                    for (int ch = 0; ch < 3; ++ch) cost += std::abs(px(left, x + k, y)[ch] - px(right, x - c + k, y)[ch]);
                }
                if (cost < bestCost) bestCost = cost, best = c;
            }
            ++tried;
            good += std::abs(best - d) <= 1;
        }
    EXPECT_GT(good, tried * 7 / 10);
    EXPECT_LE(minD, 4);
    EXPECT_GE(maxD, 55);
}

TEST(DemoRig, ControlsHaveVisibleEffects) {
    std::vector<uint8_t> a(230400), b(230400);
    auto mean = [](const std::vector<uint8_t>& f, int ch) {
        double s = 0;
        for (size_t i = size_t(ch); i < f.size(); i += 3) s += f[i];
        return s / (f.size() / 3);
    };
    DemoSettings s;
    RenderDemoFrame(kLeftEye, 1.0, s, a.data());
    DemoSettings dark = s;
    dark.exposure = -13;
    RenderDemoFrame(kLeftEye, 1.0, dark, b.data());
    EXPECT_LT(mean(b, 1), mean(a, 1) * 0.5);
    DemoSettings warm = s;
    warm.whiteBalance = 2800;
    RenderDemoFrame(kLeftEye, 1.0, warm, b.data());
    EXPECT_GT(mean(b, 2) - mean(b, 0), mean(a, 2) - mean(a, 0) + 20);  // redder (B, G, R order)
}

TEST(DemoRig, StreamsAtTheAskedRate) {
    CameraGuard guard;
    SetCaptureDriver(MakeDemoDriver());
    ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    ASSERT_TRUE(WaitForFrame(1));
    EXPECT_EQ(capture.cameraCount, 2);
    const double t0 = capture.cameras[0].lastSampleTime.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const double t1 = capture.cameras[0].lastSampleTime.load();
    const int frames = int(std::lround((t1 - t0) * 15));
    EXPECT_GE(frames, 8);  // about 10 in 0.7 s
    EXPECT_LE(frames, 12);
    std::vector<uint8_t> l(230400), r(230400);
    ASSERT_GT(ReadCameraFrame(1, l.data(), 230400), 0);
    ASSERT_GT(ReadCameraFrame(0, r.data(), 230400), 0);
    EXPECT_NE(l, r);
    // Keep the pair to look at: upright RGB from the bottom-up BGR frames.
    for (auto [frame, name] : {std::pair{&l, "demo_left.png"}, std::pair{&r, "demo_right.png"}}) {
        auto s = plat::Surface::create(320, 240, 32);
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) {
                const uint8_t* p = &(*frame)[size_t(y) * 960 + size_t(x) * 3];
                s->row32(y)[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
        plat::writePng(*s, ::testing::TempDir() + name);
    }
    EXPECT_EQ(ORV_CloseCameras(), 0);
}
