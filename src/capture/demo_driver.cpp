// The demo stereo rig: two virtual plug-and-play cameras that render one
// moving scene from two horizontally offset viewpoints: a textured far
// wall and textured objects at several depths, with disparities from 4 to
// 80 pixels. Camera 0 is the right eye, camera 1 the left eye. Each camera
// streams on its own thread at the asked rate; both render the scene at
// the same instants, so a pair of frames matches.
#include <memory>
#include <mutex>

#include "capture/demo_scene.h"
#include "capture/device.h"
#include "capture/streaming_device.h"

namespace cap {

namespace {

// Simulated controls, with the ranges many webcams report.
class DemoProperties final : public PropertySet {
public:
    struct Entry {
        bool present;
        PropertyRange range;
        long value;
        long flags;
        bool hasAuto;
    };
    explicit DemoProperties(bool amplifier) {
        auto add = [this](int p, long mn, long mx, long def, bool autoToo) {
            entries_[p] = {true, {mn, mx, 1, def, autoToo ? kFlagAuto | kFlagManual : kFlagManual}, def,
                           kFlagManual, autoToo};
        };
        if (amplifier) {
            add(0, 0, 255, 128, false);      // brightness
            add(1, 0, 255, 128, false);      // contrast
            add(3, 0, 255, 128, false);      // saturation
            add(4, 0, 255, 0, false);        // sharpness
            add(7, 2800, 6500, 4600, true);  // white balance
            add(9, 0, 255, 64, false);       // gain
        } else {
            add(4, -13, -1, -7, true);       // exposure (camera control 4 = index 14)
            add(6, 0, 255, 128, true);       // focus (index 16)
        }
    }
    bool range(int p, PropertyRange* out) override {
        std::lock_guard l(m_);
        if (p < 0 || p > 9 || !entries_[p].present) return false;
        *out = entries_[p].range;
        return true;
    }
    bool get(int p, long* v, long* f) override {
        std::lock_guard l(m_);
        if (p < 0 || p > 9 || !entries_[p].present) return false;
        *v = entries_[p].value;
        *f = entries_[p].flags;
        return true;
    }
    bool set(int p, long v, long f) override {
        std::lock_guard l(m_);
        if (p < 0 || p > 9 || !entries_[p].present) return false;
        Entry& e = entries_[p];
        if ((f & kFlagAuto) && !e.hasAuto) return false;
        if (v < e.range.minimum || v > e.range.maximum) return false;
        e.value = v;
        e.flags = f;
        return true;
    }
    long value(int p) {
        std::lock_guard l(m_);
        const Entry& e = entries_[p];
        // Automatic control settles on the default.
        return (e.flags & kFlagAuto) ? e.range.defaultValue : e.value;
    }

private:
    std::mutex m_;
    Entry entries_[10] = {};
};

class DemoCamera final : public StreamingDevice {
public:
    DemoCamera(int eye, std::shared_ptr<SharedClock> clock) : StreamingDevice(std::move(clock)), eye_(eye) {}
    ~DemoCamera() override { stop(); }
    std::optional<std::string> displayName() override {
        return std::string("@device:pnp:demo-stereo-rig#") + (eye_ == kRightEye ? "right" : "left");
    }
    PropertySet* procAmp() override { return &amp_; }
    PropertySet* cameraControl() override { return &control_; }

protected:
    void render(double t, uint8_t* bgr) override {
        DemoSettings s;
        s.brightness = int(amp_.value(0));
        s.contrast = int(amp_.value(1));
        s.saturation = int(amp_.value(3));
        s.whiteBalance = int(amp_.value(7));
        s.gain = int(amp_.value(9));
        s.exposure = int(control_.value(4));
        s.focus = int(control_.value(6));
        RenderDemoFrame(eye_, t, s, bgr);
    }

private:
    int eye_;
    DemoProperties amp_{true}, control_{false};
};

class DemoDriver final : public CaptureDriver {
public:
    const char* name() const override { return "demo"; }
    bool enumerate(std::vector<std::unique_ptr<CaptureDevice>>* out) override {
        auto clock = std::make_shared<SharedClock>();
        out->push_back(std::make_unique<DemoCamera>(kRightEye, clock));
        out->push_back(std::make_unique<DemoCamera>(kLeftEye, clock));
        return true;
    }
};

}  // namespace

std::unique_ptr<CaptureDriver> MakeDemoDriver() { return std::make_unique<DemoDriver>(); }

}  // namespace cap
