// Four image windows with test patterns (32-bit and 8-bit, zoom 100 and 50)
// on the display, for the X11 test to look at. X or Esc on the main window ends it.
#include <cstdio>

#include "frame/frame.h"
#include "image/test_pattern.h"
#include "platform/system.h"
#include "windows/image_window.h"

namespace {
void Setup() {
    ORV_CreateImage(0, "rgb32", 0, 0, 320, 240, 100);
    TestPatternRgb();
    ORV_DrawImage(0);
    ORV_CreateImage(1, "rgb32", 340, 0, 320, 240, 50);
    TestPatternRgb();
    ORV_DrawImage(1);
    ORV_CreateImage8(2, "grey8", 0, 300, 320, 240, 100);
    TestPatternGrey();
    ORV_DrawImage(2);
    ORV_CreateImage8(3, "grey8", 340, 300, 320, 240, 50);
    TestPatternGrey();
    ORV_DrawImage(3);
}
}  // namespace

int main() {
    std::string err;
    if (!plat::initialize(plat::BackendKind::X11, &err)) {
        std::fprintf(stderr, "image_demo: %s\n", err.c_str());
        return 1;
    }
    InstallImageWindows();
    SetApplication(Setup, nullptr);
    const int rc = WinMain();
    plat::shutdown();
    return rc;
}
