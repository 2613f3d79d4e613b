// Inside the stereo search: the per-row dynamic programme in two versions,
// one row at a time (the reference) and many rows at once in vector lanes.
// Both write the same bytes; the clean-up after them is shared.
#pragma once

#include <climits>
#include <cstdint>

namespace stereo_bt {

constexpr int kInf = INT_MAX / 4;
enum : uint8_t { kLeft = 0, kUp = 1, kDiag = 2 };
enum : uint8_t { kFlag1 = 1, kFlag2 = 2, kFlag4 = 4 };

// The rows' inputs: pictures `stride` bytes per row, the intensity-edge
// flags of every pixel (W per row), the output rows written in place.
struct Rows {
    const uint8_t* left;
    const uint8_t* right;
    const uint8_t* flags;
    uint8_t* out;
    int W, stride, D, p1, p2;
};

// lo and hi of right pixel k (k <= W - 2): the smallest and largest of the
// pixel and its averages with either neighbour.
inline void RightRange(const uint8_t* R, int k, int* lo, int* hi) {
    const int c = R[k], next = (R[k] + R[k + 1]) >> 1, prev = k == 0 ? R[0] : (R[k - 1] + R[k]) >> 1;
    *lo = c < next ? (c < prev ? c : prev) : (next < prev ? next : prev);
    *hi = c > next ? (c > prev ? c : prev) : (next > prev ? next : prev);
}

// Back-tracking from the cheapest end of the table (the smallest disparity
// on a tie), writing the row's disparities into O. sum(i) gives the last
// column's sums, step(i, x) the steps.
template <class Sum, class Step>
void BackTrack(int W, int D, Sum sum, Step step, uint8_t* O) {
    int i = 1;
    const int top = W < D + 1 ? W : D + 1;
    for (int k = 2; k <= top; ++k)
        if (sum(k) < sum(i)) i = k;
    int x = W - 1;
    while (x >= 1) {
        O[x] = uint8_t(i - 1);
        while (step(i, x) == kUp) ++i;
        if (step(i, x) == kDiag) {
            // Left-occluded pixels take the disparity the DIAG run lands on.
            const int start = x;
            while (step(i, x) == kDiag) --i, --x;
            for (int c = x; c < start; ++c) O[c] = uint8_t(i - 1);
        }
        --x;
    }
}

// Rows [y0, y1), one at a time.
void SearchRowsPlain(const Rows& rows, int y0, int y1);
// Rows [y0, y1) in groups of up to kLanes rows, one row per vector lane;
// a group of kLanes / 2 rows or fewer costs half as much. Only where
// LanesAvailable(): the lanes need AVX2 (split into narrower registers by
// the compiler they are slower than one row at a time).
constexpr int kLanes = 16;
bool LanesAvailable();
void SearchRowsLanes(const Rows& rows, int y0, int y1);

}  // namespace stereo_bt
