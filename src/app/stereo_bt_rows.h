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

// Rows [y0, y1), one at a time.
void SearchRowsPlain(const Rows& rows, int y0, int y1);
// Rows [y0, y1) in groups of up to kLanes rows, one row per vector lane;
// a group of kLanes / 2 rows or fewer costs half as much.
constexpr int kLanes = 16;
// The code the lanes run on: the best the processor offers, or the
// baseline every x86-64 has (so that both are tested on any machine).
enum class Isa { Best, Baseline };
void SearchRowsLanes(const Rows& rows, int y0, int y1, Isa isa = Isa::Best);

}  // namespace stereo_bt
