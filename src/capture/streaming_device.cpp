#include "capture/streaming_device.h"

namespace cap {

bool StreamingDevice::start(FrameCallback* cb) {
    stop();
    running_ = true;
    const auto epoch = clock_->start();
    thread_ = std::thread([this, cb, epoch] { stream(cb, epoch); });
    return true;
}

void StreamingDevice::stop() {
    {
        std::lock_guard l(m_);
        running_ = false;
    }
    cv_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void StreamingDevice::stream(FrameCallback* cb, std::chrono::steady_clock::time_point epoch) {
    using Clock = std::chrono::steady_clock;
    std::vector<uint8_t> frame(320 * 240 * 3);
    const auto step = std::chrono::nanoseconds(interval_ * 100);
    int64_t n = int64_t((Clock::now() - epoch) / step) + 1;  // the next frame instant
    std::unique_lock l(m_);
    while (running_) {
        if (cv_.wait_until(l, epoch + step * n, [this] { return !running_; })) break;
        l.unlock();
        const double t = double(n) * double(interval_) * 1e-7;
        render(t, frame.data());
        cb->BufferCB(t, frame.data(), long(frame.size()));
        l.lock();
        // A slow consumer skips frames rather than falling behind.
        n = std::max(n + 1, int64_t((Clock::now() - epoch) / step) + 1);
    }
}

}  // namespace cap
