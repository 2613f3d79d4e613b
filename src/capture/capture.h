// The capture module: camera discovery, one capture chain per camera,
// frame delivery into the application's buffers, camera properties.
//
// Threads: open, close and the property calls on the worker thread; the
// frame callbacks on each device's streaming thread. A frame is copied in
// full before its time is published (release); readers load the time with
// acquire. ReadCameraFrame takes one complete frame even while the
// callback rewrites the destination.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "capture/device.h"

constexpr int kMaxCameras = 8;
constexpr int kFrameBytes = 307200;  // room for 320 x 240 x 4
constexpr int kCameraProperties = 17;

class zelc_SampleGrabberCB final : public cap::FrameCallback {
public:
    explicit zelc_SampleGrabberCB(int camera) : cameraIndex(camera) {}
    void BufferCB(double sampleTime, const uint8_t* buffer, long length) override;

    int cameraIndex;
    std::atomic<double> lastConsumedTime{0.0};  // written by the application only
};

struct CameraRecord {
    std::unique_ptr<cap::CaptureDevice> device;  // stands for the capture filter and grabber
    cap::PropertySet* procAmp = nullptr;
    cap::PropertySet* cameraControl = nullptr;
    int supported[kCameraProperties] = {};
    int frameWidth = 320;
    int frameHeight = 240;
    std::unique_ptr<uint8_t[]> ownBuffer;
    std::atomic<uint8_t*> frameDestination{nullptr};
    std::atomic<int> lastSampleLength{0};
    std::atomic<double> lastSampleTime{0.0};
    // Odd while the callback copies a frame: readers copy and retry.
    std::atomic<uint32_t> frameSequence{0};
    std::unique_ptr<zelc_SampleGrabberCB> callback;
    std::string graphName;  // "Video Capture %d"
};

struct CaptureState {
    int cameraCount = 0;
    std::atomic<int> open{0};
    int lastResult = 0;  // the latest failing step's status, for diagnosis
    CameraRecord cameras[kMaxCameras];
};
extern CaptureState capture;

int ORV_OpenCameras(double frameRate);
int ORV_CloseCameras();

// Copies camera c's newest complete frame (rowBytes x rows from its
// destination, `bytes` in all) into `out`; returns its sample time, or -1.0
// when the cameras are closed or c has no frame yet.
double ReadCameraFrame(int camera, uint8_t* out, int bytes);

double ORV_GetCameraProperty(int camera, int property, int* isAuto);
int ORV_SetCameraProperty(int camera, int property, double percent);
int ORV_SetCameraPropertyAuto(int camera, int property);
// Modal; 0 shown and closed, 1 cameras closed or camera out of range, 2 the
// camera has no properties to show.
int ORV_ShowCameraPropertyPage(int camera);

// The frame-copy step alone, for benchmarks: `length` bytes of bottom-up
// rows into `dest` upright.
void CopyFrameUpright(const uint8_t* buffer, long length, int rows, uint8_t* dest, long destBytes);
