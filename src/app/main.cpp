// lenti3d: live lenticular 3D from two cameras.
#include <cstdio>
#include <cstdlib>

#include "app/app.h"
#include "capture/capture.h"
#include "frame/frame.h"
#include "frame/options.h"
#include "platform/system.h"
#include "windows/image_window.h"

namespace {

// The camera source of --cameras; auto takes V4L2 cameras when one is there.
bool ChooseCameras(const ProgramOptions& opts) {
    std::string which = opts.cameras;
    if (which == "auto") {
        which = cap::V4l2CamerasPresent() ? "v4l2" : "demo";
        std::fprintf(stderr, "lenti3d: cameras: %s\n",
                     which == "v4l2" ? "V4L2 cameras" : "no V4L2 camera found, using the demo stereo rig");
    }
    if (which == "v4l2") {
        cap::SetCaptureDriver(cap::MakeV4l2Driver());
    } else if (which == "files") {
        std::string error;
        auto d = cap::MakeFilePairDriver(opts.leftFile, opts.rightFile, &error);
        if (!d) {
            std::fprintf(stderr, "lenti3d: %s\n", error.c_str());
            return false;
        }
        cap::SetCaptureDriver(std::move(d));
    } else {
        cap::SetCaptureDriver(cap::MakeDemoDriver());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions opts;
    std::string message;
    switch (ParseOptions(argc, argv, &opts, &message)) {
        case OptionsResult::Help:
            std::fputs(OptionsHelp(), stdout);
            return 0;
        case OptionsResult::Error:
            std::fprintf(stderr, "%s\n", message.c_str());
            return 2;
        case OptionsResult::Run:
            break;
    }
    programOptions() = opts;
    std::string error;
    if (!plat::initialize(opts.backend, &error)) {
        std::fprintf(stderr, "lenti3d: %s\n", error.c_str());
        std::fprintf(stderr, "lenti3d: set DISPLAY to a running X server (for example start one "
                             "with 'Xvfb :1 &' and use DISPLAY=:1), or use --backend=headless\n");
        return 1;
    }
    if (opts.backend == plat::BackendKind::Auto && !std::getenv("DISPLAY"))
        std::fprintf(stderr, "lenti3d: DISPLAY is not set; running headless (nothing is shown)\n");
    InstallImageWindows();
    if (!ChooseCameras(opts)) return 2;
    frameHooks().closeCameras = [] { ORV_CloseCameras(); };
    SetApplication(AppSetup, AppMain);
    const int rc = WinMain();
    plat::shutdown();
    return rc;
}
