// The mapping of camera property indexes to V4L2 controls and their auto
// switches, over a small control I/O interface (the real one is ioctl on a
// device; tests give a fake table).
#pragma once

#include <cstdint>

#include "capture/device.h"

namespace cap {

struct ControlInfo {
    long minimum, maximum, step, defaultValue;
};

class ControlIo {
public:
    virtual ~ControlIo() = default;
    virtual bool query(uint32_t id, ControlInfo* out) = 0;  // false: no such control
    virtual bool get(uint32_t id, long* value) = 0;
    virtual bool set(uint32_t id, long value) = 0;
};

// Property index 0..16 to control id (0: none) and its auto companion (0: none).
uint32_t V4l2ControlFor(int index);
uint32_t V4l2AutoFor(int index);

// One of the two property sets (amplifier: indexes 0..9; camera control:
// 10..16) over a control I/O.
class V4l2PropertySet final : public PropertySet {
public:
    V4l2PropertySet(ControlIo* io, int firstIndex) : io_(io), first_(firstIndex) {}
    bool range(int property, PropertyRange* out) override;
    bool get(int property, long* value, long* flags) override;
    bool set(int property, long value, long flags) override;

private:
    ControlIo* io_;
    int first_;
};

}  // namespace cap
