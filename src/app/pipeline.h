// The lenticular pipeline after the stereo search: view synthesis into
// "display" (slot 5), resampling into "lenti-work" (slot 6) and interlacing
// into "lenti-display" (slot 7). These are the plain versions, pixel by
// pixel through bounds-checked access: the reference the fast ones must
// equal.
#pragma once

#include <cstdint>
#include <functional>

constexpr int kSlotBasepic = 2, kSlotDepth = 3, kSlotDisplay = 5, kSlotWork = 6, kSlotOutput = 7;
constexpr int kMaxOutWidth = 1920, kMaxOutHeight = 1240;  // the live program's output
constexpr int kMaxPrintSize = 16384;                       // the renderer's, either side

extern int out_width, out_height;  // W, H
extern double pitch;               // P, sub-pixel columns per lens
extern int view_num;               // n, odd, >= 3
extern int shift_max;
extern bool bata_mode;
extern int slot_width;             // width of one view in "display"
extern double x_scale, y_scale;

// Copies width x height pixels into the current image at (x, 0).
void ORV_PutPixelBlock(const void* pixels, int x, int width, int height);

void SynthesiseLeftView(int a, int b);
void SynthesiseRightView(int a, int b);
// The pass order: left views, the centre, right views.
void SynthesiseViews();       // fast: direct rows, disparities read once per row, both cores
void SynthesiseViewsPlain();  // the per-pixel reference

void ResampleViews();       // fast: column table, repeated rows copied, both cores
void ResampleViewsPlain();  // the per-pixel reference
// (1 - t) a + t b per channel, truncated; each channel clamped to 0..255 so
// that a negative t cannot spill into the neighbouring channel.
uint32_t BlendRgb(double t, uint32_t a, uint32_t b);
void PutSubpixel(int s, uint32_t colour, int r);
void InterlaceStable();       // fast: per-column tables, both cores
void InterlaceStablePlain();  // the per-pixel reference
void InterlaceBata();       // fast: samples straight into the three rows, both cores
void InterlaceBataPlain();  // the per-pixel reference, with its row buffers

// A 32-bit picture in memory, rows `width` words apart.
struct Pixels32 {
    uint32_t* pixels;
    int width, height;
};
// The interlacers read one work row per row block: row 3r of "lenti-work".
// `workRow(r)` gives it (nullptr: black), `workWidth` words wide.
using WorkRowFn = std::function<const uint32_t*(int r)>;
// Band tables for the current parameters; call once before the row calls.
void PrepareInterlacers();
// Output rows [3 * r0, 3 * r1) of either interlacer on plain buffers.
void InterlaceStableRows(const WorkRowFn& workRow, int workWidth, Pixels32& out, int r0, int r1);
void InterlaceBataRows(const WorkRowFn& workRow, int workWidth, Pixels32& out, int r0, int r1);
// Work row 3r resampled straight from "display" into `row` (3 W n words),
// for computing an output in bands without the whole work image.
void ResampleWorkRow(int r, uint32_t* row);
