// The file pair: two image files as a left and a right camera (camera 1
// left, camera 0 right, as the demo rig), scaled to 320 x 240 and delivered
// at the asked rate.
#include <cstring>

#include "capture/device.h"
#include "capture/streaming_device.h"
#include "platform/codec_service.h"

namespace cap {

namespace {

class FileCamera final : public StreamingDevice {
public:
    FileCamera(std::string name, std::vector<uint8_t> bgr, std::shared_ptr<SharedClock> clock)
        : StreamingDevice(std::move(clock)), name_(std::move(name)), bgr_(std::move(bgr)) {}
    ~FileCamera() override { stop(); }
    std::optional<std::string> displayName() override { return "@device:pnp:file#" + name_; }
    PropertySet* procAmp() override { return nullptr; }
    PropertySet* cameraControl() override { return nullptr; }

protected:
    void render(double, uint8_t* out) override { std::memcpy(out, bgr_.data(), bgr_.size()); }

private:
    std::string name_;
    std::vector<uint8_t> bgr_;
};

// The picture scaled to 320 x 240 as bottom-up B, G, R rows.
bool LoadFrame(const std::string& path, std::vector<uint8_t>* out, std::string* error) {
    std::vector<uint8_t> topDown;
    std::string why;
    if (!plat::loadScaledBgr(path, 320, 240, &topDown, nullptr, &why)) {
        *error = "camera file: " + why;
        return false;
    }
    out->resize(topDown.size());
    for (int y = 0; y < 240; ++y)
        std::memcpy(out->data() + size_t(239 - y) * 960, topDown.data() + size_t(y) * 960, 960);
    return true;
}

class FilePairDriver final : public CaptureDriver {
public:
    FilePairDriver(std::vector<uint8_t> left, std::vector<uint8_t> right)
        : left_(std::move(left)), right_(std::move(right)) {}
    const char* name() const override { return "files"; }
    bool enumerate(std::vector<std::unique_ptr<CaptureDevice>>* out) override {
        auto clock = std::make_shared<SharedClock>();
        out->push_back(std::make_unique<FileCamera>("right", right_, clock));
        out->push_back(std::make_unique<FileCamera>("left", left_, clock));
        return true;
    }

private:
    std::vector<uint8_t> left_, right_;
};

}  // namespace

std::unique_ptr<CaptureDriver> MakeFilePairDriver(const std::string& left, const std::string& right,
                                                  std::string* error) {
    std::vector<uint8_t> l, r;
    if (!LoadFrame(left, &l, error) || !LoadFrame(right, &r, error)) return nullptr;
    return std::make_unique<FilePairDriver>(std::move(l), std::move(r));
}

}  // namespace cap
