#include "capture/v4l2_controls.h"

#include <linux/videodev2.h>

namespace cap {

namespace {

struct Mapping {
    uint32_t control, autoControl;
};

// Index: 0..9 amplifier, 10..16 camera control.
constexpr Mapping kMap[17] = {
    {V4L2_CID_BRIGHTNESS, 0},
    {V4L2_CID_CONTRAST, 0},
    {V4L2_CID_HUE, V4L2_CID_HUE_AUTO},
    {V4L2_CID_SATURATION, 0},
    {V4L2_CID_SHARPNESS, 0},
    {V4L2_CID_GAMMA, 0},
    {0, 0},  // colour enable
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE},
    {V4L2_CID_BACKLIGHT_COMPENSATION, 0},
    {V4L2_CID_GAIN, V4L2_CID_AUTOGAIN},
    {V4L2_CID_PAN_ABSOLUTE, 0},
    {V4L2_CID_TILT_ABSOLUTE, 0},
    {0, 0},  // roll
    {V4L2_CID_ZOOM_ABSOLUTE, 0},
    {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO},
    {V4L2_CID_IRIS_ABSOLUTE, 0},
    {V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO},
};

// The auto companion's values for on and off. Exposure has a menu: aperture
// priority is the automatic mode webcams offer, manual the other.
long AutoOn(uint32_t id) { return id == V4L2_CID_EXPOSURE_AUTO ? V4L2_EXPOSURE_APERTURE_PRIORITY : 1; }
long AutoOff(uint32_t id) { return id == V4L2_CID_EXPOSURE_AUTO ? V4L2_EXPOSURE_MANUAL : 0; }

}  // namespace

uint32_t V4l2ControlFor(int index) { return unsigned(index) < 17u ? kMap[index].control : 0; }
uint32_t V4l2AutoFor(int index) { return unsigned(index) < 17u ? kMap[index].autoControl : 0; }

bool V4l2PropertySet::range(int p, PropertyRange* out) {
    const int index = first_ + p;
    const uint32_t id = V4l2ControlFor(index);
    ControlInfo info;
    if (!id || !io_->query(id, &info)) return false;
    ControlInfo autoInfo;
    const uint32_t a = V4l2AutoFor(index);
    const bool hasAuto = a && io_->query(a, &autoInfo);
    *out = PropertyRange{info.minimum, info.maximum, info.step, info.defaultValue,
                         hasAuto ? kFlagAuto | kFlagManual : kFlagManual};
    return true;
}

bool V4l2PropertySet::get(int p, long* value, long* flags) {
    const int index = first_ + p;
    const uint32_t id = V4l2ControlFor(index);
    if (!id || !io_->get(id, value)) return false;
    long on = 0;
    const uint32_t a = V4l2AutoFor(index);
    *flags = a && io_->get(a, &on) && on == AutoOn(a) ? kFlagAuto : kFlagManual;
    return true;
}

bool V4l2PropertySet::set(int p, long value, long flags) {
    const int index = first_ + p;
    const uint32_t id = V4l2ControlFor(index);
    if (!id) return false;
    const uint32_t a = V4l2AutoFor(index);
    ControlInfo info;
    if (flags & kFlagAuto) {
        // Automatic where the control has no auto switch is refused.
        if (!a || !io_->query(a, &info)) return false;
        return io_->set(a, AutoOn(a));
    }
    // The auto switch goes off first, or the device ignores the value.
    if (a && io_->query(a, &info) && !io_->set(a, AutoOff(a))) return false;
    return io_->set(id, value);
}

}  // namespace cap
