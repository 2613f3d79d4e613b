#include "app/depth.h"

#include <opencv2/core/core_c.h>
#include <opencv2/imgproc/imgproc_c.h>

#include "app/stereo_bt.h"

namespace {
constexpr int kW = 320, kH = 240, kBgrToGrey = 6;  // CV_BGR2GRAY
}

bool CreateDepthImages(DepthImages* d) {
    ReleaseDepthImages(d);
    d->leftColour = cvCreateImage(cvSize(kW, kH), IPL_DEPTH_8U, 3);
    if (!d->leftColour) return false;
    const CvSize size = cvGetSize(d->leftColour);
    d->rightColour = cvCreateImage(size, IPL_DEPTH_8U, 3);
    d->leftGrey = cvCreateImage(size, IPL_DEPTH_8U, 1);
    d->rightGrey = cvCreateImage(size, IPL_DEPTH_8U, 1);
    d->disparity = cvCreateImage(size, IPL_DEPTH_8U, 1);
    if (!d->rightColour || !d->leftGrey || !d->rightGrey || !d->disparity) {
        ReleaseDepthImages(d);
        return false;
    }
    // The disparity image starts zeroed; the search leaves a few pixels as they were.
    cvZero(d->disparity);
    return true;
}

void ReleaseDepthImages(DepthImages* d) {
    // cvReleaseImage frees the storage the images were made with, not the
    // camera buffers their pixel pointers may point at.
    for (IplImage** img : {&d->leftColour, &d->rightColour, &d->leftGrey, &d->rightGrey, &d->disparity})
        if (*img) cvReleaseImage(img);
}

void ComputeDepth(DepthImages* d, uint8_t* leftFrame, uint8_t* rightFrame) {
    if (!d->leftColour) return;
    d->leftColour->imageData = reinterpret_cast<char*>(leftFrame);
    d->rightColour->imageData = reinterpret_cast<char*>(rightFrame);
    cvCvtColor(d->leftColour, d->leftGrey, kBgrToGrey);
    cvCvtColor(d->rightColour, d->rightGrey, kBgrToGrey);
    FindStereoCorrespondenceBT(reinterpret_cast<const uint8_t*>(d->leftGrey->imageData),
                               reinterpret_cast<const uint8_t*>(d->rightGrey->imageData),
                               reinterpret_cast<uint8_t*>(d->disparity->imageData), kW, kH, d->disparity->widthStep,
                               100, 15.0, 3.0, 6.0, 8.0, 15.0);
}

void BgrToPixels(const uint8_t* s, uint32_t* t) {
    for (int i = 0; i < kW * kH; ++i, s += 3) t[i] = uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0];
}

void GreyToPixels(uint32_t* t, const uint8_t* s) {
    for (int i = 0; i < kW * kH; ++i) t[i] = uint32_t(s[i]) * 0x010101u;
}

const uint8_t* ImageBytes(const _IplImage* img) {
    return img ? reinterpret_cast<const uint8_t*>(img->imageData) : nullptr;
}
