#include "image/draw.h"

#include <utility>

#include "image/image_table.h"

int drawingColour = 0xFFFFFF;

namespace {

// The line walk shared by the opaque and inverting forms; `plot` writes one pixel.
template <class Plot>
void WalkLine(int x0, int y0, int x1, int y1, Plot plot) {
    penX = x1;
    penY = y1;
    if (x0 == x1) {
        if (y0 > y1) std::swap(y0, y1);
        for (int y = y0; y <= y1; ++y) plot(x0, y);
        return;
    }
    if (y0 == y1) {
        if (x0 > x1) std::swap(x0, x1);
        for (int x = x0; x <= x1; ++x) plot(x, y0);
        return;
    }
    if (x0 > x1) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const int dx = x1 - x0;
    int sy, dy;
    if (y1 > y0) sy = 1, dy = y1 - y0;
    else sy = -1, dy = y0 - y1;
    int x = x0, y = y0;
    if (dx >= dy) {
        int e = (dx + 1) / 2;
        plot(x, y);
        while (x != x1) {
            e -= dy;
            ++x;
            if (e <= 0) e += dx, y += sy;
            plot(x, y);
        }
    } else {
        int e = (dy + 1) / 2;
        plot(x, y);
        while (y != y1) {
            e -= dx;
            y += sy;
            if (e <= 0) e += dy, ++x;
            plot(x, y);
        }
    }
}

auto Opaque(int colour) {
    return [colour](int x, int y) { PutPixelQuiet(x, y, colour); };
}
auto Inverting() {
    return [](int x, int y) { InvertPixelQuiet(x, y); };
}

void Order(int& x0, int& y0, int& x1, int& y1) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
}

// The circle outline walk; `plot` moves the pen.
template <class Plot>
void WalkCircle(int cx, int cy, int r, Plot plot) {
    const int L = 5 * r / 7;
    int i = 0, X = r, d = r, t = 0;
    do {
        plot(cx - i, cy + X);
        plot(cx + i, cy - X);
        if (i != 0 && i != X) {
            plot(cx + i, cy + X);
            plot(cx - i, cy - X);
            plot(cx + X, cy - i);
            plot(cx - X, cy + i);
        }
        plot(cx + X, cy + i);
        plot(cx - X, cy - i);
        d -= t + 1;
        if (d <= 0) d += 2 * X - 2, --X;
        t += 2;
        ++i;
    } while (!(i > L || i > X));
}

template <class Plot>
void WalkDisc(int cx, int cy, int r, Plot plot) {
    auto row = [&](int y, int xa, int xb) { WalkLine(xa, y, xb, y, plot); };
    const int L = 5 * r / 7;
    int i = 0, X = r, d = r, t = 0;
    bool capped = false;
    do {
        capped = false;
        if (X != i) {
            row(cy + i, cx - X, cx + X);
            if (i != 0) row(cy - i, cx - X, cx + X);
        }
        d -= t + 1;
        if (d <= 0) {
            row(cy + X, cx - i, cx + i);
            row(cy - X, cx - i, cx + i);
            d += 2 * X - 2;
            --X;
            capped = true;
        }
        t += 2;
        ++i;
    } while (!(i > L || i > X));
    if (!capped) {
        const int last = i - 1;
        row(cy + X, cx - last, cx + last);
        row(cy - X, cx - last, cx + last);
    }
}

}  // namespace

void ORV_DrawLine(int x0, int y0, int x1, int y1, int colour) { WalkLine(x0, y0, x1, y1, Opaque(colour)); }
void ORV_DrawLineXor(int x0, int y0, int x1, int y1) { WalkLine(x0, y0, x1, y1, Inverting()); }

void ORV_DrawBox(int x0, int y0, int x1, int y1) {
    const int c = drawingColour;
    ORV_DrawLine(x0, y0, x1, y0, c);
    ORV_DrawLine(x1, y0, x1, y1, c);
    ORV_DrawLine(x1, y1, x0, y1, c);
    ORV_DrawLine(x0, y1, x0, y0, c);
}

void ORV_DrawBoxXor(int x0, int y0, int x1, int y1) {
    Order(x0, y0, x1, y1);
    for (int x = x0; x <= x1; ++x) InvertPixelQuiet(x, y0);
    if (y1 != y0)
        for (int x = x0; x <= x1; ++x) InvertPixelQuiet(x, y1);
    if (y1 - y0 > 1) {
        for (int y = y0 + 1; y <= y1 - 1; ++y) InvertPixelQuiet(x0, y);
        for (int y = y0 + 1; y <= y1 - 1; ++y) InvertPixelQuiet(x1, y);
    }
}

void ORV_FillBox(int x0, int y0, int x1, int y1, int border, int fill) {
    Order(x0, y0, x1, y1);
    ORV_DrawLine(x0, y0, x1, y0, border);
    ORV_DrawLine(x1, y0, x1, y1, border);
    ORV_DrawLine(x1, y1, x0, y1, border);
    ORV_DrawLine(x0, y1, x0, y0, border);
    if (x1 - x0 >= 2 && y1 - y0 >= 2)
        for (int y = y0 + 1; y <= y1 - 1; ++y) ORV_DrawLine(x0 + 1, y, x1 - 1, y, fill);
}

void ORV_FillBoxXor(int x0, int y0, int x1, int y1) {
    Order(x0, y0, x1, y1);
    for (int y = y0; y <= y1; ++y) ORV_DrawLineXor(x0, y, x1, y);
}

void ORV_DrawCircle(int cx, int cy, int r, int colour) {
    WalkCircle(cx, cy, r, [colour](int x, int y) { ORV_PutPixel(x, y, colour); });
}

void ORV_DrawCircleXor(int cx, int cy, int r) {
    WalkCircle(cx, cy, r, [](int x, int y) { ORV_InvertPixel(x, y); });
}

void ORV_FillCircle(int cx, int cy, int r) {
    WalkDisc(cx, cy, r, Opaque(drawingColour));
    ORV_DrawCircle(cx, cy, r, drawingColour);
}

void ORV_FillCircleXor(int cx, int cy, int r) { WalkDisc(cx, cy, r, Inverting()); }

void ORV_Paint(int x, int y) {
    if (unsigned(x) >= currentView.width || unsigned(y) >= currentView.height) return;
    const int target = ProbePixel(x, y);
    // An 8-bit image stores the colour's low byte: compare with what would be
    // written, or a fill of index 255 with 0xFFFFFF would never end.
    const int colour = currentView.bits == 8 ? (drawingColour & 0xFF) : drawingColour;
    if (target == colour) return;
    // Outside the image never equals target, even a 32-bit pixel 0xFFFFFFFF.
    auto is = [target](int px, int py) {
        return unsigned(px) < currentView.width && unsigned(py) < currentView.height &&
               ProbePixel(px, py) == target;
    };
    static thread_local int seedX[kFloodSeeds], seedY[kFloodSeeds];
    int seeds = 0;
    for (;;) {
        while (is(x - 1, y)) --x;
        bool upOpen = true, downOpen = true;
        const int start = x;
        int last = x;
        for (; is(x, y); ++x) {
            last = x;
            const bool above = is(x, y - 1);
            if (upOpen && above && seeds < kFloodSeeds) {
                seedX[seeds] = x, seedY[seeds] = y - 1, ++seeds;
                upOpen = false;
            }
            if (!upOpen && !above) upOpen = true;
            const bool below = is(x, y + 1);
            if (downOpen && below && seeds < kFloodSeeds) {
                seedX[seeds] = x, seedY[seeds] = y + 1, ++seeds;
                downOpen = false;
            }
            if (!downOpen && !below) downOpen = true;
        }
        ORV_DrawLine(start, y, last, y, drawingColour);
        bool found = false;
        while (seeds > 0) {
            --seeds;
            if (is(seedX[seeds], seedY[seeds])) {
                x = seedX[seeds], y = seedY[seeds];
                found = true;
                break;
            }
        }
        if (!found) return;
    }
}
