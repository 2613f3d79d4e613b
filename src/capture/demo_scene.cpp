#include "capture/demo_scene.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace cap {

namespace {

struct Object {
    int disparity;
    double cx, cy;  // centre in the cyclopean view
    int halfW, halfH;
    bool disc;
    int r, g, b;  // base colour
};

// The scene at time t, far to near.
std::vector<Object> Scene(double t) {
    return {
        {18, 160 + 90 * std::sin(t * 0.5), 70, 55, 40, false, 200, 120, 60},
        {34, 110 + 60 * std::cos(t * 0.7), 150 + 20 * std::sin(t * 1.3), 38, 38, true, 60, 170, 220},
        {55, 215 + 35 * std::sin(t * 0.9 + 1.0), 170, 30, 45, false, 230, 220, 80},
        {80, 160 + 110 * std::sin(t * 0.35 + 2.0), 105 + 60 * std::sin(t * 0.6), 22, 22, true, 240, 80, 160},
    };
}

constexpr int kWallDisparity = 4;

inline uint32_t Hash(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// Texture with coarse and fine detail, so every object can be matched.
inline int Texture(int u, int v, int seed) {
    const int coarse = int(Hash(u >> 3, v >> 3, seed) & 63);
    const int fine = int(Hash(u, v, seed + 7) & 63);
    const int stripe = ((u + v) / 5) % 2 ? 20 : 0;
    return 80 + coarse + fine / 2 + stripe;  // 80..227
}

// Which object (or -1 for the wall) a left-view pixel shows, and its u.
int Hit(const std::vector<Object>& sc, int eye, int x, int y, int* u, int* v) {
    for (int k = int(sc.size()) - 1; k >= 0; --k) {
        const Object& o = sc[size_t(k)];
        const double shift = eye == kLeftEye ? o.disparity / 2.0 : -o.disparity / 2.0;
        const double ox = o.cx + shift;
        const double dx = x - ox, dy = y - o.cy;
        bool in;
        if (o.disc) in = dx * dx + dy * dy <= double(o.halfW) * o.halfW;
        else in = std::fabs(dx) <= o.halfW && std::fabs(dy) <= o.halfH;
        if (in) {
            *u = int(std::floor(dx)) + 200;
            *v = int(std::floor(dy)) + 200;
            return k;
        }
    }
    const int shift = eye == kLeftEye ? kWallDisparity / 2 : -kWallDisparity / 2;
    *u = x - shift + 1000;
    *v = y;
    return -1;
}

}  // namespace

int DemoDisparityAt(double t, int x, int y) {
    const auto sc = Scene(t);
    int u, v;
    const int k = Hit(sc, kLeftEye, x, y, &u, &v);
    return k < 0 ? kWallDisparity : sc[size_t(k)].disparity;
}

void RenderDemoFrame(int eye, double t, const DemoSettings& s, uint8_t* out) {
    const auto sc = Scene(t);
    static thread_local std::vector<float> rgb;
    rgb.resize(size_t(kDemoWidth) * kDemoHeight * 3);
    // Exposure and gain scale the light, white balance tints it.
    const float light = float(std::pow(2.0, (s.exposure + 7) / 2.0) * (0.5 + s.gain / 128.0));
    const float kr = float(4600.0 / std::max(2000, s.whiteBalance)), kb = float(s.whiteBalance / 4600.0);
    const float contrast = s.contrast / 128.0f, bright = (s.brightness - 128) / 2.0f, sat = s.saturation / 128.0f;
    for (int y = 0; y < kDemoHeight; ++y)
        for (int x = 0; x < kDemoWidth; ++x) {
            int u, v;
            const int k = Hit(sc, eye, x, y, &u, &v);
            float r, g, b;
            if (k < 0) {
                const int tx = Texture(u, v, 1);
                r = tx * 0.55f, g = tx * 0.6f, b = tx * 0.7f;
            } else {
                const Object& o = sc[size_t(k)];
                const float tx = Texture(u, v, 10 + k) / 160.0f;
                r = o.r * tx, g = o.g * tx, b = o.b * tx;
            }
            const float grey = (r + g + b) / 3.0f;
            r = grey + (r - grey) * sat, g = grey + (g - grey) * sat, b = grey + (b - grey) * sat;
            float* p = &rgb[(size_t(y) * kDemoWidth + x) * 3];
            p[0] = ((r * light * kr) - 128) * contrast + 128 + bright;
            p[1] = ((g * light) - 128) * contrast + 128 + bright;
            p[2] = ((b * light * kb) - 128) * contrast + 128 + bright;
        }
    // Out of focus: a box blur growing with the distance from the sharp
    // setting, separable (rows, then columns) to stay cheap.
    const int radius = std::min(6, std::abs(s.focus - 128) / 24);
    if (radius > 0) {
        static thread_local std::vector<float> tmp;
        tmp.resize(rgb.size());
        const float norm = 1.0f / float(2 * radius + 1);
        for (int y = 0; y < kDemoHeight; ++y)
            for (int x = 0; x < kDemoWidth; ++x)
                for (int c = 0; c < 3; ++c) {
                    float sum = 0;
                    for (int i = -radius; i <= radius; ++i)
                        sum += rgb[(size_t(y) * kDemoWidth + size_t(std::clamp(x + i, 0, kDemoWidth - 1))) * 3 + size_t(c)];
                    tmp[(size_t(y) * kDemoWidth + x) * 3 + size_t(c)] = sum * norm;
                }
        for (int y = 0; y < kDemoHeight; ++y)
            for (int x = 0; x < kDemoWidth; ++x)
                for (int c = 0; c < 3; ++c) {
                    float sum = 0;
                    for (int j = -radius; j <= radius; ++j)
                        sum += tmp[(size_t(std::clamp(y + j, 0, kDemoHeight - 1)) * kDemoWidth + x) * 3 + size_t(c)];
                    rgb[(size_t(y) * kDemoWidth + x) * 3 + size_t(c)] = sum * norm;
                }
    }
    for (int y = 0; y < kDemoHeight; ++y) {
        uint8_t* row = out + size_t(kDemoHeight - 1 - y) * kDemoWidth * 3;  // bottom-up
        for (int x = 0; x < kDemoWidth; ++x)
            for (int c = 0; c < 3; ++c)  // B, G, R order in memory
                row[size_t(x) * 3 + size_t(2 - c)] =
                    uint8_t(std::clamp(rgb[(size_t(y) * kDemoWidth + x) * 3 + size_t(c)], 0.0f, 255.0f));
    }
}

}  // namespace cap
