// The depth stage of a pass: the two camera frames (320 x 240, B, G, R,
// top row first) wrapped as OpenCV colour images without copying, turned
// grey with OpenCV's conversion, searched for disparities; then "basepic"
// and "depth" filled from them.
#pragma once

#include <cstdint>

struct _IplImage;

struct DepthImages {
    _IplImage* leftColour = nullptr;
    _IplImage* rightColour = nullptr;
    _IplImage* leftGrey = nullptr;
    _IplImage* rightGrey = nullptr;
    _IplImage* disparity = nullptr;
};

// At the start of a run; false (and nothing held) when OpenCV cannot make them.
bool CreateDepthImages(DepthImages* d);
void ReleaseDepthImages(DepthImages* d);

// Grey conversion and the search; afterwards leftColour wraps leftFrame and
// disparity holds 0..100 per pixel.
void ComputeDepth(DepthImages* d, uint8_t* leftFrame, uint8_t* rightFrame);

// 76,800 pixels of 3 bytes (B, G, R) to 0x00RRGGBB words.
void BgrToPixels(const uint8_t* source, uint32_t* target);
// 76,800 grey bytes to grey words g * 0x010101.
void GreyToPixels(uint32_t* target, const uint8_t* source);

// The pixel pointers, for the caller's copies.
const uint8_t* ImageBytes(const _IplImage* img);
