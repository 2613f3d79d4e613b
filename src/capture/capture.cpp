#include "capture/capture.h"

#include <sched.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

CaptureState capture;

namespace cap {
namespace {
std::unique_ptr<CaptureDriver> g_driver;
}
void SetCaptureDriver(std::unique_ptr<CaptureDriver> d) { g_driver = std::move(d); }
CaptureDriver* GetCaptureDriver() {
    if (!g_driver) g_driver = MakeDemoDriver();
    return g_driver.get();
}
}  // namespace cap

namespace {

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void ClearRecord(CameraRecord& r) {
    if (r.device) r.device->stop();
    r.device.reset();
    r.procAmp = r.cameraControl = nullptr;
    std::memset(r.supported, 0, sizeof r.supported);
    r.callback.reset();
    r.frameDestination.store(nullptr);
    r.ownBuffer.reset();
    r.lastSampleLength = 0;
    r.lastSampleTime = 0.0;
    r.frameSequence = 0;
    r.graphName.clear();
}

void TearDown() {
    for (int i = kMaxCameras - 1; i >= 0; --i) ClearRecord(capture.cameras[i]);
}

int Fail(int status) {
    capture.lastResult = status;
    TearDown();
    return status;
}

int OneAttempt(double frameRate) {
    cap::CaptureDriver* drv = cap::GetCaptureDriver();
    TearDown();
    capture.cameraCount = 0;
    if (!drv->stepOk(cap::Step::CreateGraph, -1)) return Fail(3);
    if (!drv->stepOk(cap::Step::CreateEnumerator, -1)) return Fail(4);
    std::vector<std::unique_ptr<cap::CaptureDevice>> devices;
    if (!drv->enumerate(&devices) || devices.empty()) return Fail(5);
    // Only the first eight devices are looked at, plug-and-play or not.
    for (size_t k = 0; k < devices.size() && k < size_t(kMaxCameras); ++k) {
        const auto name = devices[k]->displayName();
        if (!name) return Fail(6);
        if (name->find("@device:pnp") == std::string::npos) continue;
        CameraRecord& r = capture.cameras[capture.cameraCount];
        char gname[32];
        std::snprintf(gname, sizeof gname, "Video Capture %d", capture.cameraCount);
        if (!drv->stepOk(cap::Step::AddFilter, capture.cameraCount)) return Fail(7);
        r.device = std::move(devices[k]);
        r.graphName = gname;
        ++capture.cameraCount;
    }
    devices.clear();
    if (capture.cameraCount == 0) return Fail(8);
    const int64_t interval = int64_t(std::floor(10000000.0 / frameRate + 0.5));
    for (int i = 0; i < capture.cameraCount; ++i) {
        CameraRecord& r = capture.cameras[i];
        r.frameWidth = 320;
        r.frameHeight = 240;
        if (!drv->stepOk(cap::Step::CaptureBuilder, i)) return Fail(9);
        if (!drv->stepOk(cap::Step::StreamConfig, i)) return Fail(10);
        if (!r.device->setFormat(320, 240, interval)) return Fail(11);
        if (!drv->stepOk(cap::Step::CreateGrabber, i)) return Fail(12);
        if (!drv->stepOk(cap::Step::GrabberMediaType, i)) return Fail(13);
        if (!drv->stepOk(cap::Step::AddGrabber, i)) return Fail(14);
        if (!r.device->connectRgb24()) return Fail(15);
        if (!drv->stepOk(cap::Step::NoBufferCopies, i)) return Fail(16);
        if (!drv->stepOk(cap::Step::ContinuousMode, i)) return Fail(17);
        r.ownBuffer.reset(new uint8_t[kFrameBytes]());
        r.frameDestination.store(r.ownBuffer.get());
        r.callback = std::make_unique<zelc_SampleGrabberCB>(i);
        r.lastSampleLength = 0;
        r.lastSampleTime = 0.0;
        if (!drv->stepOk(cap::Step::Callback, i)) return Fail(20);
        cap::PropertyRange range;
        r.procAmp = r.device->procAmp();
        for (int p = 0; p < 10; ++p) r.supported[p] = r.procAmp && r.procAmp->range(p, &range) ? 1 : 0;
        r.cameraControl = r.device->cameraControl();
        for (int p = 0; p < 7; ++p)
            r.supported[10 + p] = r.cameraControl && r.cameraControl->range(p, &range) ? 1 : 0;
    }
    if (!drv->stepOk(cap::Step::MediaControl, -1)) return Fail(18);
    for (int i = 0; i < capture.cameraCount; ++i)
        if (!capture.cameras[i].device->start(capture.cameras[i].callback.get())) return Fail(19);
    const long long t0 = NowMs();
    while (capture.cameras[0].lastSampleLength.load(std::memory_order_acquire) == 0) {
        if (NowMs() - t0 > 3000) return Fail(21);
        sched_yield();
    }
    capture.open = 1;
    return 0;
}

bool Usable(int camera) {
    return capture.open && camera >= 0 && camera < capture.cameraCount;
}

}  // namespace

void CopyFrameUpright(const uint8_t* buffer, long length, int rows, uint8_t* dest, long destBytes) {
    if (rows <= 0 || length <= 0 || !dest) return;
    long rowBytes = length / rows;
    // A sample longer than the destination is cut to what fits.
    if (rowBytes * rows > destBytes) rowBytes = destBytes / rows;
    for (int k = 0; k < rows; ++k)
        std::memcpy(dest + long(rows - 1 - k) * rowBytes, buffer + long(k) * (length / rows), size_t(rowBytes));
}

void zelc_SampleGrabberCB::BufferCB(double sampleTime, const uint8_t* buffer, long length) {
    CameraRecord& r = capture.cameras[cameraIndex];
    r.lastSampleLength.store(int(length), std::memory_order_relaxed);
    const int rows = r.frameHeight;
    const long rowBytes = rows > 0 ? length / rows : 0;
    r.frameSequence.fetch_add(1, std::memory_order_acq_rel);  // odd: copy under way
    std::atomic_thread_fence(std::memory_order_release);
    for (int k = 0; k < rows && rowBytes > 0; ++k) {
        // The destination is read anew for every row: a re-pointed buffer
        // takes effect with the next row.
        uint8_t* dest = r.frameDestination.load(std::memory_order_acquire);
        if (!dest) break;
        const long row = rows - 1 - k;
        if ((row + 1) * rowBytes > kFrameBytes) continue;  // never past the destination
        std::memcpy(dest + row * rowBytes, buffer + long(k) * rowBytes, size_t(rowBytes));
    }
    r.frameSequence.fetch_add(1, std::memory_order_release);  // even: complete
    r.lastSampleTime.store(sampleTime, std::memory_order_release);
    r.lastSampleLength.store(int(length), std::memory_order_release);
}

double ReadCameraFrame(int camera, uint8_t* out, int bytes) {
    if (!Usable(camera) || !out) return -1.0;
    CameraRecord& r = capture.cameras[camera];
    if (r.lastSampleLength.load(std::memory_order_acquire) == 0) return -1.0;
    if (bytes > kFrameBytes) bytes = kFrameBytes;
    for (;;) {
        const uint32_t before = r.frameSequence.load(std::memory_order_acquire);
        const double t = r.lastSampleTime.load(std::memory_order_acquire);
        const uint8_t* src = r.frameDestination.load(std::memory_order_acquire);
        if (before % 2 == 0 && src) {
            // Byte-wise relaxed copy: the writer may be rewriting these bytes.
            for (int i = 0; i < bytes; ++i)
                out[i] = __atomic_load_n(src + i, __ATOMIC_RELAXED);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (r.frameSequence.load(std::memory_order_relaxed) == before) return t;
        }
        sched_yield();
    }
}

int ORV_OpenCameras(double frameRate) {
    if (capture.open) return 1;
    if (!(frameRate > 0)) frameRate = 15.0;
    int status = 0;
    bool retrying = false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        status = OneAttempt(frameRate);
        if (status == 0) return 0;
        if (status == 19 || status == 21) retrying = true;
        if (!retrying) return status;
    }
    return status;
}

int ORV_CloseCameras() {
    if (!capture.open) return 1;
    TearDown();
    capture.open = 0;
    return 0;
}

namespace {

// The common checks of the property calls: 0 or the status of the first failure.
int Check(int camera, int property, cap::PropertySet** set, int* number) {
    if (!Usable(camera)) return 1;
    if (unsigned(property) > 16u) return 2;
    CameraRecord& r = capture.cameras[camera];
    if (!r.supported[property]) return 3;
    *set = property < 10 ? r.procAmp : r.cameraControl;
    *number = property < 10 ? property : property - 10;
    return *set ? 0 : 3;
}

}  // namespace

double ORV_GetCameraProperty(int camera, int property, int* isAuto) {
    cap::PropertySet* set;
    int p;
    if (Check(camera, property, &set, &p) != 0) return -1.0;
    cap::PropertyRange r;
    if (!set->range(p, &r)) return -1.0;
    long value, flags;
    if (!set->get(p, &value, &flags)) return -1.0;
    if (isAuto) *isAuto = int(flags & cap::kFlagAuto);
    // An empty range has no percentage: say so as a failure rather than NaN.
    if (r.maximum == r.minimum) return -1.0;
    return double(value - r.minimum) * 100.0 / double(r.maximum - r.minimum);
}

int ORV_SetCameraProperty(int camera, int property, double percent) {
    cap::PropertySet* set;
    int p;
    if (int s = Check(camera, property, &set, &p)) return s;
    cap::PropertyRange r;
    if (!set->range(p, &r)) return 4;
    long value = long(double(r.maximum - r.minimum) * (percent / 100.0) + double(r.minimum));
    value = std::max(r.minimum, std::min(r.maximum, value));
    return set->set(p, value, cap::kFlagManual) ? 0 : 5;
}

int ORV_SetCameraPropertyAuto(int camera, int property) {
    cap::PropertySet* set;
    int p;
    if (int s = Check(camera, property, &set, &p)) return s;
    cap::PropertyRange r;
    if (!set->range(p, &r)) return 4;
    long value = 0, flags = 0;
    set->get(p, &value, &flags);
    return set->set(p, value, cap::kFlagAuto) ? 0 : 5;
}
