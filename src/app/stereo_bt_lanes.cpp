// The row search with one row per vector lane. Rows are independent until
// the clean-up, and inside a column the UP step chains every cell to the
// one below it, so the lanes run across rows: eight rows take the steps of
// one, and two such vectors side by side keep two chains in flight. Every
// lane makes exactly the choices of the one-row version; the agreement is
// tested on randomised pairs.
#include <algorithm>
#include <cstring>
#include <memory>

#include "app/stereo_bt_rows.h"

namespace stereo_bt {

#if defined(__x86_64__)

namespace {

// GCC's generic vectors: 8 x int32, one AVX2 register (two SSE ones).
constexpr int kWidth = 8;
using V = int32_t __attribute__((vector_size(4 * kWidth)));
// A table cell: the step of each lane of one vector, a byte each.
using Cell = int8_t __attribute__((vector_size(kWidth)));
constexpr int kMaxVectors = kLanes / kWidth;
static_assert(kMaxVectors == 2);

template <class T>
struct Buffer {
    std::unique_ptr<T[]> p;
    size_t size = 0;
    T* get(size_t n) {
        if (n > size) p.reset(new T[n]), size = n;
        return p.get();
    }
};

// A group's working storage, kept between calls by each searching thread.
// Everything is laid out [column or disparity][vector].
struct GroupWork {
    Buffer<V> lo, hi, f1, f2, left;  // per column: the rows' values side by side
    Buffer<V> sums[2], steps[2];     // two columns of the table, by disparity
    Buffer<Cell> table;              // every column's steps, for back-tracking
};

struct Group {
    V *lo, *hi, *f1, *f2, *left, *sumA, *sumB, *stepA, *stepB;
    Cell* table;
};

// Transposes `count` rows from y0 into lanes; lanes past the last row repeat it.
void Gather(const Rows& r, int y0, int count, int lanes, const Group& g, int U) {
    const int W = r.W;
    for (int lane = 0; lane < lanes; ++lane) {
        const size_t y = size_t(y0 + std::min(lane, count - 1));
        const int u = lane / kWidth, e = lane % kWidth;
        const uint8_t* L = r.left + y * size_t(r.stride);
        const uint8_t* R = r.right + y * size_t(r.stride);
        const uint8_t* fl = r.flags + y * size_t(W);
        // A lane's word (a pointer: not every compiler binds a reference to a vector element).
        auto at = [&](V* a, int x) -> int32_t& {
            return reinterpret_cast<int32_t*>(a + size_t(x) * size_t(U) + size_t(u))[e];
        };
        for (int k = 0; k <= W - 2; ++k) {
            int lo, hi;
            RightRange(R, k, &lo, &hi);
            at(g.lo, k) = lo, at(g.hi, k) = hi;
        }
        at(g.lo, W - 1) = at(g.lo, W - 2);
        at(g.hi, W - 1) = at(g.hi, W - 2);
        for (int x = 0; x < W; ++x) {
            at(g.left, x) = L[x];
            at(g.f1, x) = fl[x] & kFlag1 ? -1 : 0;
            at(g.f2, x) = fl[x] & kFlag2 ? -1 : 0;
        }
    }
}

// The low byte of each lane's word.
using Bytes32 = int8_t __attribute__((vector_size(32)));
[[gnu::always_inline]] inline Cell Pack(const V& step) {
    const Bytes32 b = reinterpret_cast<const Bytes32&>(step);
    return __builtin_shufflevector(b, b, 0, 4, 8, 12, 16, 20, 24, 28);
}

// The table, column by column, for U vectors of rows; only two columns of
// sums and steps are kept, the steps of all columns as bytes. Inlined into
// the AVX2 functions below: no vector crosses a call.
template <int U>
[[gnu::always_inline]] inline void Programme(const Rows& r, const Group& g) {
    const int W = r.W, D = r.D, st = D + 3;
    const V inf = V{} + kInf, zero = V{}, up = V{} + int(kUp), diag = V{} + int(kDiag);
    const V p1 = V{} + r.p1, p2 = V{} + r.p2;
    const Cell allUp = Cell{} + int8_t(kUp);
    V *sp = g.sumA, *s = g.sumB, *tp = g.stepA, *t = g.stepB;
    // Column 0: the path starts at disparity 0; (2, 0) is the first cell
    // of the "disparity must not exceed x" diagonal.
    std::memset(g.table, kLeft, sizeof(Cell) * size_t(st) * U);
    for (int u = 0; u < U; ++u) {
        sp[0 * U + u] = inf, tp[0 * U + u] = zero;
        sp[1 * U + u] = zero, tp[1 * U + u] = zero;
        sp[2 * U + u] = inf, tp[2 * U + u] = up, g.table[2 * U + u] = allUp;
        sp[(D + 2) * U + u] = inf, tp[(D + 2) * U + u] = zero;
    }
    for (int x = 1; x < W; ++x) {
        Cell* tb = g.table + size_t(x) * size_t(st) * U;
        std::memset(tb, kLeft, sizeof(Cell) * size_t(st) * U);
        for (int u = 0; u < U; ++u) {
            s[0 * U + u] = inf, t[0 * U + u] = zero;
            s[(D + 2) * U + u] = inf, t[(D + 2) * U + u] = zero;
            if (x + 2 <= D + 2) s[(x + 2) * U + u] = inf, t[(x + 2) * U + u] = up, tb[(x + 2) * U + u] = allUp;
        }
        const bool last = x == W - 1;
        const int top = std::min(x + 1, D + 1);
        V upFlag[U], Lx[U], sAbove[U], tAbove[U];
        for (int u = 0; u < U; ++u) {
            upFlag[u] = g.f1[x * U + u], Lx[u] = g.left[x * U + u];
            sAbove[u] = s[(top + 1) * U + u], tAbove[u] = t[(top + 1) * U + u];
        }
        for (int i = top; i >= 1; --i) {
            const int k = x - (i - 1);  // the right column matched
            for (int u = 0; u < U; ++u) {
                const V a = sp[i * U + u] - p2;
                const V b = sAbove[u] + p1, c = sp[(i - 1) * U + u] + p1;
                const V upOk = upFlag[u] & (tAbove[u] != diag);
                const V diagOk = g.f2[k * U + u] & (tp[(i - 1) * U + u] != up);
                // Ties keep the earlier choice: LEFT before UP before DIAG.
                const V takeUp = upOk & (b < a);
                V best = takeUp ? b : a;
                V chosen = takeUp & up;
                const V takeDiag = diagOk & (c < best);
                best = takeDiag ? c : best;
                chosen = takeDiag ? diag : chosen;
                V cost = zero;
                if (!last) {
                    const V over = Lx[u] - g.hi[k * U + u], under = g.lo[k * U + u] - Lx[u];
                    cost = over > under ? over : under;
                    cost = cost > zero ? cost : zero;
                }
                sAbove[u] = best + cost;
                tAbove[u] = chosen;
                s[i * U + u] = sAbove[u];
                t[i * U + u] = chosen;
                tb[i * U + u] = Pack(chosen);
            }
        }
        std::swap(sp, s);
        std::swap(tp, t);
    }
    // The last column's sums are where back-tracking starts.
    if (sp != g.sumA) std::memcpy(g.sumA, sp, sizeof(V) * size_t(st) * U);
}

[[gnu::target("avx2")]] void Programme1(const Rows& r, const Group& g) { Programme<1>(r, g); }
[[gnu::target("avx2")]] void Programme2(const Rows& r, const Group& g) { Programme<2>(r, g); }

}  // namespace

bool LanesAvailable() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}

void SearchRowsLanes(const Rows& r, int y0, int y1) {
    if (y1 <= y0) return;
    thread_local GroupWork work;
    const size_t W = size_t(r.W), st = size_t(r.D + 3), U = kMaxVectors;
    const Group g{work.lo.get(W * U),       work.hi.get(W * U),       work.f1.get(W * U),
                  work.f2.get(W * U),       work.left.get(W * U),     work.sums[0].get(st * U),
                  work.sums[1].get(st * U), work.steps[0].get(st * U), work.steps[1].get(st * U),
                  work.table.get(W * st * U)};
    // Two vectors while more than one is left to fill, then one.
    for (int y = y0; y < y1;) {
        const int count = std::min(kLanes, y1 - y), vectors = count > kWidth ? 2 : 1;
        Gather(r, y, count, vectors * kWidth, g, vectors);
        (vectors == 2 ? Programme2 : Programme1)(r, g);
        for (int lane = 0; lane < count; ++lane) {
            const size_t v = size_t(vectors), u = size_t(lane / kWidth), e = size_t(lane % kWidth);
            BackTrack(
                r.W, r.D, [&](int i) { return g.sumA[size_t(i) * v + u][e]; },
                [&](int i, int x) { return g.table[(size_t(x) * st + size_t(i)) * v + u][e]; },
                r.out + size_t(y + lane) * size_t(r.stride));
        }
        y += count;
    }
}

#else

bool LanesAvailable() { return false; }
void SearchRowsLanes(const Rows&, int, int) {}

#endif

}  // namespace stereo_bt
