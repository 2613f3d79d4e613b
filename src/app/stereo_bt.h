// The Birchfield dynamic-programming stereo search: one 8-bit disparity
// (0..maxDisparity, larger = nearer) per pixel of the left picture.
#pragma once

#include <cstdint>

// left, right, out: W x H single-channel 8-bit pictures with `stride` bytes
// per row. `out` is worked on in place (a few pixels, column 0 of most rows,
// keep what it held). p1 occlusion penalty, p2 match reward, p3..p5 the run
// lengths of highly, moderately and slightly reliable regions; 12345 asks
// for a parameter's default. Returns 0, or -1 for bad arguments (nothing
// changed).
int FindStereoCorrespondenceBT(const uint8_t* left, const uint8_t* right, uint8_t* out, int width,
                               int height, int stride, int maxDisparity, double p1, double p2, double p3,
                               double p4, double p5);
// The same result, one row at a time on one core: the reference the fast
// search is checked against.
int FindStereoCorrespondenceBTPlain(const uint8_t* left, const uint8_t* right, uint8_t* out, int width,
                                    int height, int stride, int maxDisparity, double p1, double p2, double p3,
                                    double p4, double p5);
