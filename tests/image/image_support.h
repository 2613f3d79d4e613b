// A headless platform with the image windows installed, for one test.
#pragma once

#include "frame/frame.h"
#include "image/image_table.h"
#include "image/text_draw.h"
#include "support/headless.h"
#include "windows/image_window.h"

class ImageTest : public testing_support::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        frame() = FrameState{};
        InstallImageWindows();
        plat::registerClass("orv_iw", ImageWindowProc, plat::kClassOwnDc, 0);
        InitImageTable();
        InitTextDrawing();
    }
    void TearDown() override {
        for (int n = 0; n < kImageSlots; ++n) ORV_DestroyImage(n);
        SetSnapSources({});
        frameHooks() = FrameHooks{};
        HeadlessTest::TearDown();
    }
    // Pixels of the current image that differ from `background`.
    static std::vector<std::pair<int, int>> lit(int background = 0) {
        std::vector<std::pair<int, int>> v;
        for (unsigned y = 0; y < currentView.height; ++y)
            for (unsigned x = 0; x < currentView.width; ++x)
                if (ORV_GetPixel(int(x), int(y)) != background) v.emplace_back(int(x), int(y));
        return v;
    }
};
