// A capture device that streams frames it makes itself (the demo rig, the
// file pair): one thread, frames at fixed instants of a clock shared by
// the devices of one driver, so the cameras of a pair match.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/device.h"

namespace cap {

struct SharedClock {
    std::mutex m;
    bool started = false;
    std::chrono::steady_clock::time_point epoch;
    std::chrono::steady_clock::time_point start() {
        std::lock_guard l(m);
        if (!started) epoch = std::chrono::steady_clock::now(), started = true;
        return epoch;
    }
};

class StreamingDevice : public CaptureDevice {
public:
    explicit StreamingDevice(std::shared_ptr<SharedClock> clock) : clock_(std::move(clock)) {}
    ~StreamingDevice() override { stop(); }
    bool setFormat(int w, int h, int64_t interval) override {
        if (w != 320 || h != 240 || interval <= 0) return false;
        interval_ = interval;
        return true;
    }
    bool connectRgb24() override { return true; }
    bool start(FrameCallback* cb) override;
    void stop() override;

protected:
    // Fills 320 x 240 bottom-up B, G, R for the frame at time t.
    virtual void render(double t, uint8_t* bgr) = 0;

private:
    void stream(FrameCallback* cb, std::chrono::steady_clock::time_point epoch);
    std::shared_ptr<SharedClock> clock_;
    int64_t interval_ = 666667;
    std::mutex m_;
    std::condition_variable cv_;
    bool running_ = false;
    std::thread thread_;
};

}  // namespace cap
