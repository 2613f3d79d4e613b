// V4L2 cameras through libv4l2, which converts MJPEG and YUYV to BGR24 as
// a media graph's converters would. Capture nodes /dev/video0.. in index
// order, at most eight; mmap streaming on one thread per camera; sample
// times from the buffer timestamps, from the start of the stream.
#include <dirent.h>
#include <fcntl.h>
#include <libv4l2.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "capture/device.h"
#include "capture/v4l2_controls.h"

namespace cap {

namespace {

int Xioctl(int fd, unsigned long req, void* arg) {
    int r;
    do r = v4l2_ioctl(fd, req, arg);
    while (r == -1 && errno == EINTR);
    return r;
}

class DeviceControls final : public ControlIo {
public:
    explicit DeviceControls(int fd) : fd_(fd) {}
    bool query(uint32_t id, ControlInfo* out) override {
        v4l2_queryctrl q{};
        q.id = id;
        if (Xioctl(fd_, VIDIOC_QUERYCTRL, &q) != 0 || (q.flags & V4L2_CTRL_FLAG_DISABLED)) return false;
        *out = {q.minimum, q.maximum, q.step, q.default_value};
        return true;
    }
    bool get(uint32_t id, long* v) override {
        v4l2_control c{id, 0};
        if (Xioctl(fd_, VIDIOC_G_CTRL, &c) != 0) return false;
        *v = c.value;
        return true;
    }
    bool set(uint32_t id, long v) override {
        v4l2_control c{id, int32_t(v)};
        return Xioctl(fd_, VIDIOC_S_CTRL, &c) == 0;
    }

private:
    int fd_;
};

class V4l2Camera final : public CaptureDevice {
public:
    explicit V4l2Camera(std::string path) : path_(std::move(path)) {
        fd_ = v4l2_open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            controls_ = std::make_unique<DeviceControls>(fd_);
            amp_ = std::make_unique<V4l2PropertySet>(controls_.get(), 0);
            cam_ = std::make_unique<V4l2PropertySet>(controls_.get(), 10);
        }
    }
    ~V4l2Camera() override {
        stop();
        if (fd_ >= 0) v4l2_close(fd_);
    }
    std::optional<std::string> displayName() override {
        if (fd_ < 0) return std::nullopt;
        v4l2_capability cap{};
        if (Xioctl(fd_, VIDIOC_QUERYCAP, &cap) != 0) return std::nullopt;
        const uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        const std::string card(reinterpret_cast<const char*>(cap.card));
        // Metadata and output nodes are not cameras: they go without the
        // plug-and-play mark and are skipped.
        if (!(caps & V4L2_CAP_VIDEO_CAPTURE) || !(caps & V4L2_CAP_STREAMING)) return "v4l2:" + card + ":" + path_;
        return "@device:pnp:v4l2:" + card + ":" + path_;
    }
    bool setFormat(int w, int h, int64_t interval) override {
        v4l2_format f{};
        f.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        f.fmt.pix.width = uint32_t(w);
        f.fmt.pix.height = uint32_t(h);
        f.fmt.pix.pixelformat = V4L2_PIX_FMT_BGR24;
        f.fmt.pix.field = V4L2_FIELD_NONE;
        if (Xioctl(fd_, VIDIOC_S_FMT, &f) != 0) return false;
        if (f.fmt.pix.width != uint32_t(w) || f.fmt.pix.height != uint32_t(h)) return false;
        bgr_ = f.fmt.pix.pixelformat == V4L2_PIX_FMT_BGR24;
        stride_ = int(f.fmt.pix.bytesperline ? f.fmt.pix.bytesperline : uint32_t(w) * 3);
        v4l2_streamparm parm{};
        parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        parm.parm.capture.timeperframe = {uint32_t(interval), 10000000u};
        Xioctl(fd_, VIDIOC_S_PARM, &parm);  // a camera that keeps its own rate still streams
        return true;
    }
    bool connectRgb24() override { return bgr_; }
    PropertySet* procAmp() override { return amp_.get(); }
    PropertySet* cameraControl() override { return cam_.get(); }

    bool start(FrameCallback* cb) override {
        v4l2_requestbuffers req{};
        req.count = 4;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (Xioctl(fd_, VIDIOC_REQBUFS, &req) != 0 || req.count == 0) return false;
        for (uint32_t i = 0; i < req.count; ++i) {
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            b.index = i;
            if (Xioctl(fd_, VIDIOC_QUERYBUF, &b) != 0) return release(), false;
            void* p = v4l2_mmap(nullptr, b.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, b.m.offset);
            if (p == MAP_FAILED) return release(), false;
            maps_.push_back({p, b.length});
            if (Xioctl(fd_, VIDIOC_QBUF, &b) != 0) return release(), false;
        }
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Xioctl(fd_, VIDIOC_STREAMON, &type) != 0) return release(), false;
        running_ = true;
        thread_ = std::thread([this, cb] { stream(cb); });
        return true;
    }
    void stop() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        release();
    }

private:
    void release() {
        if (fd_ < 0) return;
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        Xioctl(fd_, VIDIOC_STREAMOFF, &type);
        for (auto& m : maps_) v4l2_munmap(m.first, m.second);
        maps_.clear();
        v4l2_requestbuffers req{};
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        Xioctl(fd_, VIDIOC_REQBUFS, &req);
    }

    void stream(FrameCallback* cb) {
        std::vector<uint8_t> frame(320 * 240 * 3);
        double t0 = -1;
        while (running_) {
            pollfd p{fd_, POLLIN, 0};
            const int r = poll(&p, 1, 200);
            if (r < 0 && errno != EINTR) break;
            if (r <= 0) continue;
            // An unplugged camera ends its stream; the other goes on.
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) break;
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            if (Xioctl(fd_, VIDIOC_DQBUF, &b) != 0) {
                if (errno == EAGAIN) continue;
                break;
            }
            const double ts = double(b.timestamp.tv_sec) + b.timestamp.tv_usec * 1e-6;
            if (t0 < 0) t0 = ts;
            const uint8_t* src = static_cast<const uint8_t*>(maps_[b.index].first);
            // Bottom-up rows, as a grabber hands on device-independent bitmaps.
            for (int y = 0; y < 240; ++y)
                if (size_t(y + 1) * size_t(stride_) <= b.bytesused)
                    std::memcpy(frame.data() + size_t(239 - y) * 960, src + size_t(y) * size_t(stride_), 960);
            cb->BufferCB(std::max(1e-6, ts - t0 + 1e-6), frame.data(), long(frame.size()));
            if (Xioctl(fd_, VIDIOC_QBUF, &b) != 0) break;
        }
    }

    std::string path_;
    int fd_ = -1;
    bool bgr_ = false;
    int stride_ = 960;
    std::unique_ptr<DeviceControls> controls_;
    std::unique_ptr<V4l2PropertySet> amp_, cam_;
    std::vector<std::pair<void*, size_t>> maps_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

std::vector<std::string> CaptureNodes() {
    std::vector<int> numbers;
    if (DIR* d = opendir("/dev")) {
        while (dirent* e = readdir(d)) {
            if (std::strncmp(e->d_name, "video", 5) != 0) continue;
            char* end = nullptr;
            const long n = std::strtol(e->d_name + 5, &end, 10);
            if (end != e->d_name + 5 && *end == '\0') numbers.push_back(int(n));
        }
        closedir(d);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::string> out;
    for (int n : numbers) out.push_back("/dev/video" + std::to_string(n));
    return out;
}

class V4l2Driver final : public CaptureDriver {
public:
    const char* name() const override { return "v4l2"; }
    bool enumerate(std::vector<std::unique_ptr<CaptureDevice>>* out) override {
        for (const auto& path : CaptureNodes()) {
            if (out->size() >= 8) break;
            out->push_back(std::make_unique<V4l2Camera>(path));
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<CaptureDriver> MakeV4l2Driver() { return std::make_unique<V4l2Driver>(); }

bool V4l2CamerasPresent() {
    for (const auto& path : CaptureNodes()) {
        V4l2Camera c(path);
        const auto name = c.displayName();
        if (name && name->find("@device:pnp") != std::string::npos) return true;
    }
    return false;
}

}  // namespace cap
