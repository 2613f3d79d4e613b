// lenti3d-render from outside: errors, a run on a pair made by the demo
// rig, outputs of the asked size, nothing half-written on failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <string>

#include "capture/demo_scene.h"
#include "platform/png_write.h"
#include "platform/surface.h"

#ifndef RENDER_TOOL
#error RENDER_TOOL names the program
#endif

namespace {

struct RenderRun {
    int status;
    std::string err;
};

RenderRun Render(const std::string& args) {
    const std::string errFile = ::testing::TempDir() + "orv_render_err.txt";
    const int rc = std::system((std::string(RENDER_TOOL) + " " + args + " >/dev/null 2>" + errFile).c_str());
    RenderRun r{WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, {}};
    if (FILE* f = std::fopen(errFile.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, f)) r.err += buf;
        std::fclose(f);
    }
    return r;
}

bool Exists(const std::string& p) {
    struct stat st;
    return stat(p.c_str(), &st) == 0;
}

std::string DemoEye(int eye) {
    std::vector<uint8_t> bgr(230400);
    cap::RenderDemoFrame(eye, 3.0, cap::DemoSettings{}, bgr.data());
    auto s = plat::Surface::create(320, 240, 32);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const uint8_t* p = &bgr[size_t(239 - y) * 960 + size_t(x) * 3];
            s->row32(y)[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
    const std::string path = ::testing::TempDir() + (eye == cap::kLeftEye ? "orv_demo_l.png" : "orv_demo_r.png");
    plat::writePng(*s, path);
    return path;
}

}  // namespace

TEST(Render, RefusesBadInvocationsWithOneLine) {
    const std::string l = DemoEye(cap::kLeftEye);
    struct Case {
        std::string args;
    } cases[] = {
        {""},
        {"--left " + l + " -o /tmp/x.png"},
        {"--left " + l + " --right /nonexistent.png -o /tmp/x.png"},
        {"--left " + l + " --right " + l + " --views 4 -o /tmp/x.png"},
        {"--left " + l + " --right " + l + " --views 1 -o /tmp/x.png"},
        {"--left " + l + " --right " + l + " --width abc -o /tmp/x.png"},
        {"--left " + l + " --right " + l + " --interlacer wavy -o /tmp/x.png"},
        {"--left " + l + " --right " + l + " -o /tmp/x.xyz"},
        {"--left " + l + " --right " + l + " --image " + l + " -o /tmp/x.png"},
        {"--frobnicate"},
    };
    for (const auto& c : cases) {
        const RenderRun r = Render(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.args << ": " << r.err;
    }
    EXPECT_EQ(Render("--help").status, 0);
}

TEST(Render, ADemoPairBecomesALenticularImage) {
    const std::string l = DemoEye(cap::kLeftEye), r = DemoEye(cap::kRightEye);
    const std::string out = ::testing::TempDir() + "orv_render_out.png", depth = ::testing::TempDir() + "orv_render_depth.png";
    std::remove(out.c_str());
    const RenderRun run = Render("--left " + l + " --right " + r + " --width 400 --height 300 --depth-out " + depth + " -o " + out);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Exists(out));
    EXPECT_TRUE(Exists(depth));
    // An unwritable output: exit 2 and nothing at OUT.
    const std::string bad = "/nonexistent-dir/out.png";
    const RenderRun fail = Render("--left " + l + " --right " + r + " -o " + bad);
    EXPECT_EQ(fail.status, 2);
    EXPECT_FALSE(Exists(bad));
}

TEST(Render, ThePhotographPairWithBothInterlacers) {
    const std::string dir = std::string(ORV_TEST_DATA) + "/stereo_pair/";
    for (const char* which : {"stable", "bata"}) {
        const std::string out = ::testing::TempDir() + "orv_photo_" + which + ".png";
        const RenderRun r = Render("--left " + dir + "left.jpg --right " + dir + "right.jpg --interlacer " + which +
                                   " --views-out " + ::testing::TempDir() + "orv_photo_views.png -o " + out);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(Exists(out));
    }
}

TEST(Render, BandsGiveTheSameImageAndLargeOutputsRefuseTheWorkImage) {
    const std::string dir = std::string(ORV_TEST_DATA) + "/stereo_pair/";
    const std::string pair = "--left " + dir + "left.jpg --right " + dir + "right.jpg --width 500 --height 301 ";
    const std::string a = ::testing::TempDir() + "orv_whole.png", b = ::testing::TempDir() + "orv_bands.png";
    ASSERT_EQ(Render(pair + "-o " + a).status, 0);
    ASSERT_EQ(Render(pair + "--bands -o " + b).status, 0);
    auto slurp = [](const std::string& p) {
        std::FILE* f = std::fopen(p.c_str(), "rb");
        std::string s;
        char buf[65536];
        for (size_t n; f && (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
        if (f) std::fclose(f);
        return s;
    };
    EXPECT_FALSE(slurp(a).empty());
    EXPECT_EQ(slurp(a), slurp(b));  // the same pixels, written by the same PNG writer
    ASSERT_EQ(Render(pair + "--interlacer bata -o " + a).status, 0);
    ASSERT_EQ(Render(pair + "--interlacer bata --bands -o " + b).status, 0);
    EXPECT_EQ(slurp(a), slurp(b));
    const RenderRun big = Render("--left " + dir + "left.jpg --right " + dir + "right.jpg --width 4000 --height 4000 "
                                 "--work-out /tmp/w.png -o /tmp/x.png");
    EXPECT_EQ(big.status, 2);
    EXPECT_NE(big.err.find("--work-out"), std::string::npos);
    EXPECT_EQ(Render("--left " + dir + "left.jpg --right " + dir + "right.jpg --width 20000 -o /tmp/x.png").status, 2);
}
