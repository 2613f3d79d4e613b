// lenti3d-render: the lenticular pipeline on still pictures, for prints and
// for testing a screen without cameras.
#include <algorithm>
#include <chrono>
#include <memory>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/depth.h"
#include "app/pipeline.h"
#include "app/two_cores.h"
#include "files/image_file.h"
#include "frame/frame.h"
#include "image/colour.h"
#include "image/draw.h"
#include "image/image_table.h"
#include "platform/codec_service.h"
#include "platform/png_write.h"
#include "platform/surface.h"
#include "platform/system.h"
#include "windows/image_window.h"

namespace {

const char* kUsage =
    "usage: lenti3d-render (--left L --right R | --image I --depth D) [options] -o OUT\n"
    "\n"
    "Turns a stereo pair (or a picture and its disparity) into the interlaced\n"
    "image for a slanted lenticular screen.\n"
    "\n"
    "  --left L, --right R   the stereo pair (any format the codecs read; scaled to 320 x 240)\n"
    "  --image I, --depth D  a picture and its disparity as grey (0..255, larger = nearer)\n"
    "  --width N             output width in pixels (default 800)\n"
    "  --height N            output height in pixels (default 480)\n"
    "  --pitch P             lens pitch in sub-pixel columns (default 17.357)\n"
    "  --views N             number of views, odd, at least 3 (default 9)\n"
    "  --shift N             shift step between views (default 80)\n"
    "  --interlacer stable|bata  (default stable)\n"
    "  --swap                exchange left and right\n"
    "  --depth-out F         also write the disparity image (\"depth\")\n"
    "  --views-out F         also write the views side by side (\"display\")\n"
    "  --work-out F          also write the resampled views (\"lenti-work\")\n"
    "  --bench N             run the whole pass N times and print median milliseconds per stage\n"
    "  --bands               compute the output in bands of rows, as outputs above 1920 x 1240\n"
    "                        always are (up to 16384 x 16384, PNG only)\n"
    "  -o OUT                the output; the format follows the extension (.png .bmp .jpg .gif .tif)\n"
    "  --help                this text\n";

int Fail(const std::string& msg) {
    std::fprintf(stderr, "lenti3d-render: %s\n", msg.c_str());
    return 2;
}

bool ParseInt(const char* s, int* out) {
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!*s || *end || v < -1000000 || v > 1000000) return false;
    *out = int(v);
    return true;
}

bool ParseDouble(const char* s, double* out) {
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (!*s || *end || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

int FormatOf(const std::string& path) {
    std::string ext = path.substr(path.find_last_of('.') == std::string::npos ? path.size() : path.find_last_of('.'));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".bmp") return kFormatBmp;
    if (ext == ".jpg" || ext == ".jpeg") return kFormatJpeg;
    if (ext == ".gif") return kFormatGif;
    if (ext == ".png") return kFormatPng;
    if (ext == ".tif" || ext == ".tiff") return kFormatTiff;
    return -1;
}

// A picture scaled to 320 x 240 as top-down B, G, R bytes.
bool LoadBgr(const std::string& path, std::vector<uint8_t>* bgr, std::string* error) {
    bool scaled = false;
    if (!plat::loadScaledBgr(path, 320, 240, bgr, &scaled, error)) return false;
    if (scaled) std::fprintf(stderr, "lenti3d-render: %s scaled to 320x240\n", path.c_str());
    return true;
}

bool Save(int slot, const std::string& path, std::string* error) {
    const int format = FormatOf(path);
    if (format < 0) {
        *error = "unknown output format for " + path + " (use .png, .bmp, .jpg, .gif or .tif)";
        return false;
    }
    ORV_SelectImage(slot);
    if (SaveImageFile(imageTable[slot].width, imageTable[slot].height, format, path.c_str()) != 0) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    std::string left, right, image, depthIn, out, depthOut, viewsOut, workOut, interlacer = "stable";
    int W = 800, H = 480, views = 9, shift = 80, bench = 0;
    double P = 17.357;
    bool swap = false, bands = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string* s) {
            if (i + 1 >= argc) return false;
            *s = argv[++i];
            return true;
        };
        auto number = [&](int* n) { return i + 1 < argc && ParseInt(argv[++i], n); };
        if (a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--left") {
            if (!value(&left)) return Fail("--left needs a file");
        } else if (a == "--right") {
            if (!value(&right)) return Fail("--right needs a file");
        } else if (a == "--image") {
            if (!value(&image)) return Fail("--image needs a file");
        } else if (a == "--depth") {
            if (!value(&depthIn)) return Fail("--depth needs a file");
        } else if (a == "-o") {
            if (!value(&out)) return Fail("-o needs a file");
        } else if (a == "--depth-out") {
            if (!value(&depthOut)) return Fail("--depth-out needs a file");
        } else if (a == "--views-out") {
            if (!value(&viewsOut)) return Fail("--views-out needs a file");
        } else if (a == "--work-out") {
            if (!value(&workOut)) return Fail("--work-out needs a file");
        } else if (a == "--interlacer") {
            if (!value(&interlacer) || (interlacer != "stable" && interlacer != "bata"))
                return Fail("--interlacer is stable or bata");
        } else if (a == "--width") {
            if (!number(&W) || W < 1) return Fail("--width needs a whole number of at least 1");
        } else if (a == "--height") {
            if (!number(&H) || H < 1) return Fail("--height needs a whole number of at least 1");
        } else if (a == "--views") {
            if (!number(&views) || views < 3 || views % 2 == 0) return Fail("--views needs an odd number of at least 3");
        } else if (a == "--shift") {
            if (!number(&shift) || shift < 0) return Fail("--shift needs a whole number of at least 0");
        } else if (a == "--bench") {
            if (!number(&bench) || bench < 1) return Fail("--bench needs a whole number of at least 1");
        } else if (a == "--pitch") {
            if (i + 1 >= argc || !ParseDouble(argv[++i], &P)) return Fail("--pitch needs a number");
        } else if (a == "--swap") {
            swap = true;
        } else if (a == "--bands") {
            bands = true;
        } else {
            return Fail("unknown option '" + a + "' (see --help)");
        }
    }
    const bool pair = !left.empty() || !right.empty();
    if (pair == (!image.empty() || !depthIn.empty())) return Fail("give --left and --right, or --image and --depth");
    if (pair && (left.empty() || right.empty())) return Fail("a stereo pair needs both --left and --right");
    if (!pair && (image.empty() || depthIn.empty())) return Fail("--image needs --depth");
    if (out.empty()) return Fail("no output file (-o OUT)");
    for (const std::string& f : {out, depthOut, viewsOut, workOut})
        if (!f.empty() && FormatOf(f) < 0) return Fail("unknown output format for " + f + " (use .png, .bmp, .jpg, .gif or .tif)");
    if (W > kMaxPrintSize || H > kMaxPrintSize) return Fail("the output is at most 16384 x 16384");
    if (W > kMaxOutWidth || H > kMaxOutHeight) bands = true;
    if (bands) {
        // The whole work image would not fit (3 W x views x H pixels): the
        // output is made in bands of rows and written as it is, as PNG.
        if (!workOut.empty())
            return Fail("--work-out is not available for outputs made in bands (above 1920 x 1240): the work image "
                        "would take " + std::to_string((3.0 * W * views * H * 4) / 1e9).substr(0, 5) + " GB");
        if (FormatOf(out) != kFormatPng) return Fail("outputs made in bands are written as PNG (-o ....png)");
    }

    std::string err;
    plat::initialize(plat::BackendKind::Headless, &err);
    plat::startCodecService(argv[0]);
    plat::registerClass("orv_iw", ImageWindowProc, plat::kClassOwnDc, 0);
    InitImageTable();

    std::vector<uint8_t> a, b;
    if (!LoadBgr(pair ? left : image, &a, &err) || !LoadBgr(pair ? right : depthIn, &b, &err)) return Fail(err);
    if (swap) std::swap(a, b);

    out_width = W;
    out_height = H;
    pitch = P;
    view_num = views;
    shift_max = shift;
    bata_mode = interlacer == "bata";
    slot_width = 320;
    x_scale = double(slot_width) / (3.0 * W);
    y_scale = 240.0 / H;
    // Every output starts black, as the live images do.
    std::unique_ptr<plat::Surface> banded;
    if (ORV_CreateImageFL(kSlotBasepic, "basepic", 0, 0, 320, 240, 100) ||
        ORV_CreateImageFL(kSlotDepth, "depth", 0, 0, 320, 240, 100) ||
        ORV_CreateImageFL(kSlotDisplay, "display", 0, 0, 320 * views, 240, 10) ||
        (!bands && (ORV_CreateImageFL(kSlotWork, "lenti-work", 0, 0, 3 * W * views, H, 1) ||
                    ORV_CreateImageFL(kSlotOutput, "lenti-display", 0, 0, W, H, 10))) ||
        (bands && !(banded = plat::Surface::create(W, H, 32))))
        return Fail("not enough memory for a " + std::to_string(W) + " x " + std::to_string(H) + " output");
    // The work rows of one band: about 64 MB whatever the output size.
    const size_t workRowWords = size_t(3) * size_t(W) * size_t(views);
    const int bandBlocks = std::max(1, int((64u << 20) / (workRowWords * 4)));
    std::vector<uint32_t> band(bands ? workRowWords * size_t(bandBlocks) : 0);

    DepthImages depth;
    if (pair && !CreateDepthImages(&depth)) return Fail("the depth images cannot be made");
    std::vector<double> tDepth, tViews, tResample, tInterlace, tTotal;
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point a0, Clock::time_point b0) {
        return std::chrono::duration<double, std::milli>(b0 - a0).count();
    };
    for (int run = 0; run < std::max(1, bench); ++run) {
        const auto t0 = Clock::now();
        uint32_t* base = reinterpret_cast<uint32_t*>(imageTable[kSlotBasepic].bitmap->data());
        uint32_t* disp = reinterpret_cast<uint32_t*>(imageTable[kSlotDepth].bitmap->data());
        if (pair) {
            ComputeDepth(&depth, a.data(), b.data());
            BgrToPixels(a.data(), base);
            GreyToPixels(disp, ImageBytes(depth.disparity));
        } else {
            BgrToPixels(a.data(), base);
            BgrToPixels(b.data(), disp);  // the disparity is the largest channel, as the views read it
        }
        const auto t1 = Clock::now();
        SynthesiseViews();
        const auto t2 = Clock::now();
        auto t3 = t2;
        if (!bands) {
            ResampleViews();
            t3 = Clock::now();
            if (bata_mode) InterlaceBata();
            else InterlaceStable();
        } else {
            PrepareInterlacers();
            Pixels32 px{reinterpret_cast<uint32_t*>(banded->data()), W, H};
            double resampleMs = 0;
            for (int r0 = 0; r0 < H / 3; r0 += bandBlocks) {
                const int r1 = std::min(H / 3, r0 + bandBlocks);
                const auto b0 = Clock::now();
                SplitOverTwoCores(r1 - r0, 4, [&](int a0, int a1) {
                    for (int r = r0 + a0; r < r0 + a1; ++r)
                        ResampleWorkRow(r, band.data() + size_t(r - r0) * workRowWords);
                });
                resampleMs += ms(b0, Clock::now());
                const WorkRowFn row = [&](int r) { return band.data() + size_t(r - r0) * workRowWords; };
                SplitOverTwoCores(r1 - r0, 4, [&](int a0, int a1) {
                    if (bata_mode) InterlaceBataRows(row, int(workRowWords), px, r0 + a0, r0 + a1);
                    else InterlaceStableRows(row, int(workRowWords), px, r0 + a0, r0 + a1);
                });
            }
            t3 = t2 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(resampleMs));
        }
        const auto t4 = Clock::now();
        tDepth.push_back(ms(t0, t1));
        tViews.push_back(ms(t1, t2));
        tResample.push_back(ms(t2, t3));
        tInterlace.push_back(ms(t3, t4));
        tTotal.push_back(ms(t0, t4));
    }
    if (bench > 0)
        std::printf("median ms over %d passes: depth %.2f  views %.2f  resample %.2f  interlace %.2f  whole %.2f\n",
                    bench, Median(tDepth), Median(tViews), Median(tResample), Median(tInterlace), Median(tTotal));
    ReleaseDepthImages(&depth);
    if ((!depthOut.empty() && !Save(kSlotDepth, depthOut, &err)) ||
        (!viewsOut.empty() && !Save(kSlotDisplay, viewsOut, &err)) ||
        (!workOut.empty() && !Save(kSlotWork, workOut, &err)))
        return Fail(err);
    // PNG outputs are written row by row by our own writer: no second copy
    // of a large output in the codec library.
    const plat::Surface* result = bands ? banded.get() : imageTable[kSlotOutput].bitmap.get();
    if (FormatOf(out) == kFormatPng) {
        if (!plat::writePng(*result, out)) return Fail("cannot write " + out);
    } else if (!Save(kSlotOutput, out, &err)) {
        return Fail(err);
    }
    for (int n = 0; n < kImageSlots; ++n) ORV_DestroyImage(n);
    plat::shutdown();
    return 0;
}
