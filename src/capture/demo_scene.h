// The demo rig's scene: pure rendering, testable without threads.
#pragma once

#include <cstdint>

namespace cap {

constexpr int kDemoWidth = 320, kDemoHeight = 240;
constexpr int kRightEye = 0, kLeftEye = 1;

struct DemoSettings {
    int brightness = 128, contrast = 128, saturation = 128;
    int whiteBalance = 4600;  // kelvin
    int gain = 64;
    int exposure = -7;        // log2 seconds, webcam style
    int focus = 128;          // sharp at 128
};

// One eye's view at time t (seconds) as bottom-up B, G, R rows, 320 x 240.
void RenderDemoFrame(int eye, double t, const DemoSettings& s, uint8_t* bgr);

// The true disparity (left x minus right x, pixels) at a pixel of the left
// view at time t: what a stereo search should find there.
int DemoDisparityAt(double t, int x, int y);

}  // namespace cap
