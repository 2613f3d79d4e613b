// Row by row: a matching cost insensitive to sampling, intensity-edge flags,
// a dynamic programme over (disparity, column) with occlusion and match
// steps, and back-tracking; then the whole image is cleaned up by vertical
// and horizontal propagation of reliable runs.
#include "app/stereo_bt.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "app/stereo_bt_rows.h"
#include "app/two_cores.h"

using namespace stereo_bt;

namespace {

inline int Variation(int a, int b, int c) { return std::max(a, std::max(b, c)) - std::min(a, std::min(b, c)); }

int Param(double p, int fallback) {
    const float f = float(p);
    if (f == 12345.0f) return fallback;
    return int(std::nearbyint(f));  // half to even
}

// One row: cost, table and back-tracking. The table is stored column by
// column (x major), so the inner loop over disparities walks memory in order.
struct RowWork {
    std::vector<int> lo, hi, sum;
    std::vector<uint8_t> step;
};

void SearchRow(const uint8_t* L, const uint8_t* R, const uint8_t* flags, uint8_t* O, int W, int D, int p1,
               int p2, RowWork& w) {
    w.lo.resize(size_t(W));
    w.hi.resize(size_t(W));
    for (int k = 0; k <= W - 2; ++k) RightRange(R, k, &w.lo[size_t(k)], &w.hi[size_t(k)]);
    w.lo[size_t(W - 1)] = w.lo[size_t(W - 2)], w.hi[size_t(W - 1)] = w.hi[size_t(W - 2)];
    const int st = D + 3;
    w.sum.resize(size_t(st) * size_t(W));
    // Cells above the "disparity must not exceed x" diagonal are never
    // computed; they read as LEFT should a path ever step into them.
    w.step.assign(size_t(st) * size_t(W), kLeft);
    int* sum = w.sum.data();
    uint8_t* step = w.step.data();
    const int* lo = w.lo.data();
    const int* hi = w.hi.data();
    for (int x = 0; x < W; ++x) {
        int* s = sum + size_t(x) * st;
        uint8_t* t = step + size_t(x) * st;
        s[0] = kInf, t[0] = kLeft;
        s[D + 2] = kInf, t[D + 2] = kLeft;
        if (x + 2 <= D + 2) s[x + 2] = kInf, t[x + 2] = kUp;  // disparity must not exceed x
    }
    sum[1] = 0, step[1] = kLeft;
    for (int x = 1; x < W; ++x) {
        int* s = sum + size_t(x) * st;
        uint8_t* t = step + size_t(x) * st;
        const int* sp = s - st;
        const uint8_t* tp = t - st;
        const bool up = (flags[x] & kFlag1) != 0;
        const int Lx = L[x];
        const bool last = x == W - 1;
        for (int i = std::min(x + 1, D + 1); i >= 1; --i) {
            const int a = sp[i] - p2;
            const int k = x - (i - 1);  // the right column matched
            const bool upOk = up && t[i + 1] != kDiag;
            const bool diagOk = tp[i - 1] != kUp && (flags[k] & kFlag2);
            int best = a;
            uint8_t chosen = kLeft;
            if (upOk && diagOk) {
                const int b = s[i + 1] + p1, c = sp[i - 1] + p1;
                if (b < a) best = b, chosen = kUp;
                if (c < best) best = c, chosen = kDiag;
            } else if (upOk) {
                const int b = s[i + 1] + p1;
                if (b < a) best = b, chosen = kUp;
            } else if (diagOk) {
                const int c = sp[i - 1] + p1;
                if (c < a) best = c, chosen = kDiag;
            }
            const int cost = last ? 0 : std::max({0, Lx - hi[k], lo[k] - Lx});
            s[i] = best + cost;
            t[i] = chosen;
        }
    }
    BackTrack(
        W, D, [&](int i) { return sum[size_t(W - 1) * st + size_t(i)]; },
        [&](int i, int x) { return step[size_t(x) * st + size_t(i)]; }, O);
}

// Run lengths of equal values along a line of n values.
template <class Get>
void RunLengths(int n, Get value, std::vector<int>& run) {
    run.assign(size_t(n), 0);
    int s = 0;
    while (s < n) {
        int e = s + 1;
        while (e < n && value(e) == value(s)) ++e;
        for (int k = s; k < e; ++k) run[size_t(k)] = e - s;
        s = e;
    }
}

// B5 / B7 along one line: seeds spread their disparity both ways.
template <class Get, class Set, class Run, class Stop>
void Propagate(int n, Get O, Set setO, Run run, Stop hardEdge, int p3, int p4, int p5) {
    int y = 0;
    while (y < n) {
        const int d = O(y);
        if (!(run(y) >= p4 && !hardEdge(y) && d > 0)) {
            ++y;
            continue;
        }
        const bool weak = run(y) < p5;
        auto stops = [&](int k) { return hardEdge(k) || (O(k) < d && run(k) >= p3) || (weak && O(k) == d + 1); };
        for (int k = y - 1; k >= 0 && !stops(k); --k) setO(k, d);
        int k = y + 1;
        for (; k < n && !stops(k); ++k) setO(k, d);
        y = k;
    }
}

// The intensity-edge flags 1 and 2 of one row.
void EdgeFlags(const uint8_t* L, const uint8_t* R, uint8_t* fl, int W) {
    for (int j = 3; j <= W - 5; ++j) {
        if (Variation(L[j - 3], L[j - 2], L[j - 1]) >= 5) fl[j] |= kFlag1;
        if (Variation(R[j + 1], R[j + 2], R[j + 3]) >= 5) fl[j] |= kFlag2;
    }
    for (int j = 0; j <= 2 && j < W; ++j) fl[j] = kFlag2;
    if (W - 4 >= 0) fl[W - 4] = 0;
    for (int j = std::max(0, W - 3); j < W; ++j) fl[j] = kFlag1;
}

// Fast: rows in vector lanes where the processor has them, else a row at a
// time; either way on both cores.
enum class RowSearch { Plain, Fast };

int Search(RowSearch how, const uint8_t* left, const uint8_t* right, uint8_t* out, int W, int H, int stride, int D,
           double p1d, double p2d, double p3d, double p4d, double p5d) {
    if (!left || !right || !out || W <= 0 || H <= 0 || stride < W || D < 1 || D > 255 || D >= W) return -1;
    const int p1 = Param(p1d, 25), p2 = Param(p2d, 5), p3 = Param(p3d, 12), p4 = Param(p4d, 15),
              p5 = Param(p5d, 25);
    // Working storage is kept per calling thread: a pass allocates nothing
    // once the sizes have been seen.
    // (The helper thread that takes half of each phase has its own
    // thread-locals: it reaches these through the pointers.)
    thread_local std::vector<uint8_t> flagStore;
    thread_local std::vector<int> runStore;
    flagStore.assign(size_t(W) * size_t(H), 0);
    runStore.resize(size_t(W) * size_t(H));
    uint8_t* const flags = flagStore.data();
    int* const runV = runStore.data();
    auto F = [&](int x, int y) -> uint8_t& { return flags[size_t(y) * size_t(W) + size_t(x)]; };
    auto Lp = [&](int x, int y) { return int(left[size_t(y) * size_t(stride) + size_t(x)]); };
    auto O = [&](int x, int y) -> uint8_t& { return out[size_t(y) * size_t(stride) + size_t(x)]; };

    const Rows rows{left, right, flags, out, W, stride, D, p1, p2};
    const bool lanes = how == RowSearch::Fast && LanesAvailable();
    auto search = [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            EdgeFlags(left + size_t(y) * size_t(stride), right + size_t(y) * size_t(stride), &F(0, y), W);
        if (lanes)
            SearchRowsLanes(rows, y0, y1);
        else
            SearchRowsPlain(rows, y0, y1);
    };
    // Rows are independent until the clean-up: both cores take half, split
    // where a group of lanes ends.
    if (how == RowSearch::Fast)
        SplitOverTwoCores(H, lanes ? kLanes / 2 : 1, search);
    else
        search(0, H);

    // The clean-up alternates between work along columns and along rows;
    // each phase is split over the cores in the same way as the rows were.
    auto split = [&](int n, const std::function<void(int, int)>& part) {
        if (how == RowSearch::Fast)
            SplitOverTwoCores(n, 16, part);
        else
            part(0, n);
    };
    split(W, [&](int x0, int x1) {
        // B1: one-pixel vertical glitches, each column from the top (row by
        // row is the same order for every column, and reads memory in order).
        for (int y = 1; y <= H - 2; ++y) {
            const uint8_t* above = &O(0, y - 1);
            const uint8_t* below = &O(0, y + 1);
            uint8_t* row = &O(0, y);
            for (int x = x0; x < x1; ++x) row[x] = above[x] == below[x] ? above[x] : row[x];
        }
        // B2: vertical intensity edges.
        for (int x = x0; x < x1; ++x) {
            int y = 1;
            while (y <= H - 2) {
                if (Variation(Lp(x, y - 1), Lp(x, y), Lp(x, y + 1)) >= 5) {
                    F(x, y - 1) |= kFlag4, F(x, y) |= kFlag4, F(x, y + 1) |= kFlag4;
                    y += 2;
                } else {
                    y += 1;
                }
            }
        }
        // B4: vertical run lengths; a single run in the last row counts 0.
        thread_local std::vector<int> line;
        for (int x = x0; x < x1; ++x) {
            RunLengths(H, [&](int y) { return O(x, y); }, line);
            if (line[size_t(H - 1)] == 1) line[size_t(H - 1)] = 0;
            for (int y = 0; y < H; ++y) runV[size_t(y) * size_t(W) + size_t(x)] = line[size_t(y)];
        }
    });
    // B3: keep flag 4 only where both horizontal neighbours have it.
    split(H, [&](int y0, int y1) {
        thread_local std::vector<uint8_t> had;
        had.resize(size_t(W));
        for (int y = y0; y < y1; ++y) {
            uint8_t* row = &F(0, y);
            std::copy(row, row + W, had.begin());
            for (int x = 1; x <= W - 2; ++x)
                if (!(had[size_t(x) - 1] & had[size_t(x) + 1] & kFlag4)) row[x] &= uint8_t(~kFlag4);
        }
    });
    // B5: vertical propagation.
    split(W, [&](int x0, int x1) {
        for (int x = x0; x < x1; ++x)
            Propagate(
                H, [&](int y) { return int(O(x, y)); }, [&](int y, int d) { O(x, y) = uint8_t(d); },
                [&](int y) { return runV[size_t(y) * size_t(W) + size_t(x)]; },
                [&](int y) { return (F(x, y) & kFlag4) != 0; }, p3, p4, p5);
    });
    // B6, B7: horizontal runs on that result and propagation along rows.
    split(H, [&](int y0, int y1) {
        thread_local std::vector<int> line;
        for (int y = y0; y < y1; ++y) {
            RunLengths(W, [&](int x) { return O(x, y); }, line);
            // A single run at the row's end keeps the vertical run length there.
            if (line[size_t(W - 1)] == 1) line[size_t(W - 1)] = runV[size_t(y) * size_t(W) + size_t(W - 1)];
            Propagate(
                W, [&](int x) { return int(O(x, y)); }, [&](int x, int d) { O(x, y) = uint8_t(d); },
                [&](int x) { return line[size_t(x)]; }, [&](int x) { return (F(x, y) & kFlag1) != 0; }, p3, p4,
                p5);
        }
    });
    return 0;
}

}  // namespace

void stereo_bt::SearchRowsPlain(const Rows& r, int y0, int y1) {
    RowWork work;
    for (int y = y0; y < y1; ++y) {
        const size_t o = size_t(y) * size_t(r.stride);
        SearchRow(r.left + o, r.right + o, r.flags + size_t(y) * size_t(r.W), r.out + o, r.W, r.D, r.p1, r.p2, work);
    }
}

int FindStereoCorrespondenceBT(const uint8_t* left, const uint8_t* right, uint8_t* out, int W, int H, int stride,
                               int D, double p1, double p2, double p3, double p4, double p5) {
    return Search(RowSearch::Fast, left, right, out, W, H, stride, D, p1, p2, p3, p4, p5);
}

int FindStereoCorrespondenceBTPlain(const uint8_t* left, const uint8_t* right, uint8_t* out, int W, int H,
                                    int stride, int D, double p1, double p2, double p3, double p4, double p5) {
    return Search(RowSearch::Plain, left, right, out, W, H, stride, D, p1, p2, p3, p4, p5);
}
