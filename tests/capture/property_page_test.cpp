// The camera property page on the headless screen: rows for the supported
// properties, the slider and the Auto box change the device at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "capture/capture.h"
#include "platform/controls.h"
#include "support/headless.h"

using testing_support::waitUntil;

class PropertyPage : public testing_support::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        cap::SetCaptureDriver(cap::MakeDemoDriver());
        ASSERT_EQ(ORV_OpenCameras(15.0), 0);
    }
    void TearDown() override {
        ORV_CloseCameras();
        cap::SetCaptureDriver(nullptr);
        HeadlessTest::TearDown();
    }
};

TEST_F(PropertyPage, SliderAndAutoApplyAtOnce) {
    EXPECT_EQ(ORV_ShowCameraPropertyPage(2), 1);
    std::atomic<int> result{-1};
    std::thread t([&] {
        result = ORV_ShowCameraPropertyPage(1);
        plat::endThread();
    });
    ASSERT_TRUE(waitUntil([] { return plat::findWindow("orv_campage").id != 0; }));
    const plat::Window page = plat::findWindow("orv_campage");
    // The OK button comes last.
    ASSERT_TRUE(waitUntil([&] {
        for (plat::Window c : plat::childrenOf(page))
            if (plat::className(c) == plat::kButtonClass) return true;
        return false;
    }));
    EXPECT_EQ(plat::windowText(page), "Video Capture 1");
    // Rows: brightness, contrast, saturation, sharpness, white balance, gain, exposure, focus.
    std::vector<plat::Window> sliders, boxes;
    for (plat::Window c : plat::childrenOf(page)) {
        if (plat::className(c) == plat::kSliderClass) sliders.push_back(c);
        if (plat::className(c) == plat::kCheckboxClass) boxes.push_back(c);
    }
    EXPECT_EQ(sliders.size(), 8u);
    EXPECT_EQ(boxes.size(), 3u);  // white balance, exposure, focus
    plat::headless::screenshot(::testing::TempDir() + "property_page.png");

    // Exposure is the seventh row: click its slider's right end.
    const plat::Window exposure = sliders[6];
    const plat::Rect r = plat::clientRect(exposure);
    const plat::Point end = plat::clientToScreen(exposure, {r.right - 2, r.height() / 2});
    plat::headless::click(end);
    ASSERT_TRUE(waitUntil([] { return ORV_GetCameraProperty(1, 14, nullptr) == 100.0; }));
    int isAuto = -1;
    ORV_GetCameraProperty(1, 14, &isAuto);
    EXPECT_EQ(isAuto, 0);
    const plat::Rect br = plat::clientRect(boxes[1]);
    plat::headless::click(plat::clientToScreen(boxes[1], {5, br.height() / 2}));
    ASSERT_TRUE(waitUntil([&] {
        ORV_GetCameraProperty(1, 14, &isAuto);
        return isAuto == 1;
    }));
    plat::postMessage(page, plat::Msg::Close);
    ASSERT_TRUE(waitUntil([&] { return result.load() == 0; }));
    t.join();
    EXPECT_FALSE(plat::isWindow(page));
}
