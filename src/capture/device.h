// The device layer under the capture module: what stands in for the media
// graph. A driver enumerates capture devices; a device is asked for a
// format, converts whatever it captures to 24-bit RGB, delivers frames to
// a callback on a streaming thread of its own, and offers two property
// sets (amplifier 0..9, camera control 0..6).
//
// Drivers: V4L2 cameras (v4l2_driver.cpp), the demo stereo rig
// (demo_driver.cpp), a file pair (file_driver.cpp), and in the tests a
// driver that can fail at every step.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cap {

// Frames arrive as the grabber hands them on: bottom-up rows of B, G, R.
class FrameCallback {
public:
    virtual ~FrameCallback() = default;
    // sampleTime: seconds from the start of the stream.
    virtual void BufferCB(double sampleTime, const uint8_t* buffer, long length) = 0;
};

enum ControlFlags : long { kFlagAuto = 1, kFlagManual = 2 };

struct PropertyRange {
    long minimum = 0, maximum = 0, step = 1, defaultValue = 0, flags = kFlagManual;
};

// One of a device's two property interfaces; property numbers 0..9
// (amplifier) or 0..6 (camera control). Calls return false when the device
// refuses or has no such property.
class PropertySet {
public:
    virtual ~PropertySet() = default;
    virtual bool range(int property, PropertyRange* out) = 0;
    virtual bool get(int property, long* value, long* flags) = 0;
    virtual bool set(int property, long value, long flags) = 0;
};

class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;
    // nullopt when the name cannot be read. Plug-and-play devices carry
    // "@device:pnp" in it.
    virtual std::optional<std::string> displayName() = 0;
    // Ask for width x height at a frame interval (100 ns units); false: refused.
    virtual bool setFormat(int width, int height, int64_t frameInterval100ns) = 0;
    // A path from the device's output to 24-bit RGB exists (the converter).
    virtual bool connectRgb24() = 0;
    virtual PropertySet* procAmp() = 0;       // nullptr: none
    virtual PropertySet* cameraControl() = 0; // nullptr: none
    // Starts streaming into `cb` on the device's own thread; false: cannot run.
    virtual bool start(FrameCallback* cb) = 0;
    // Stops streaming; when it returns, `cb` is not called any more.
    virtual void stop() = 0;
};

// The steps of building a capture chain that can fail apart from the
// devices themselves; a test driver fails them on purpose.
enum class Step {
    CreateGraph,        // 3
    CreateEnumerator,   // 4
    CaptureBuilder,     // 9
    StreamConfig,       // 10
    CreateGrabber,      // 12
    GrabberMediaType,   // 13
    AddGrabber,         // 14
    NoBufferCopies,     // 16
    ContinuousMode,     // 17
    MediaControl,       // 18
    Callback,           // 20
    AddFilter,          // 7
};

class CaptureDriver {
public:
    virtual ~CaptureDriver() = default;
    virtual const char* name() const = 0;
    // The video input devices in enumeration order; false when the category
    // cannot be enumerated. An empty list is an empty category.
    virtual bool enumerate(std::vector<std::unique_ptr<CaptureDevice>>* out) = 0;
    virtual bool stepOk(Step, int /*camera*/) { return true; }
};

// The driver the program uses; chosen from --cameras at start.
void SetCaptureDriver(std::unique_ptr<CaptureDriver> driver);
CaptureDriver* GetCaptureDriver();

// Drivers.
std::unique_ptr<CaptureDriver> MakeDemoDriver();
// Fails (nullptr with a message) when a file cannot be read.
std::unique_ptr<CaptureDriver> MakeFilePairDriver(const std::string& left, const std::string& right,
                                                  std::string* error);
std::unique_ptr<CaptureDriver> MakeV4l2Driver();
// True when at least one V4L2 capture node is there.
bool V4l2CamerasPresent();

}  // namespace cap
