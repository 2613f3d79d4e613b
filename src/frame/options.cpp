#include "frame/options.h"

#include <cstring>

ProgramOptions& programOptions() {
    static ProgramOptions o;
    return o;
}

const char* OptionsHelp() {
    return "usage: lenti3d [--backend=x11|headless] [--cameras=auto|v4l2|demo|files:LEFT,RIGHT]\n"
           "\n"
           "  --backend=x11       show the windows on the X display named by DISPLAY\n"
           "  --backend=headless  run without a display (virtual 1280 x 1024 screen)\n"
           "                      default: x11 when DISPLAY is set, else headless\n"
           "  --cameras=auto      V4L2 cameras when one is present, else the demo rig (default)\n"
           "  --cameras=v4l2      the V4L2 cameras /dev/video*\n"
           "  --cameras=demo      the built-in demo stereo rig\n"
           "  --cameras=files:LEFT,RIGHT  two image files as the left and right camera\n"
           "  --help              this text\n";
}

OptionsResult ParseOptions(int argc, char** argv, ProgramOptions* out, std::string* message) {
    ProgramOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") return OptionsResult::Help;
        if (a == "--backend=x11") {
            o.backend = plat::BackendKind::X11;
        } else if (a == "--backend=headless") {
            o.backend = plat::BackendKind::Headless;
        } else if (a == "--cameras=auto" || a == "--cameras=v4l2" || a == "--cameras=demo") {
            o.cameras = a.substr(std::strlen("--cameras="));
        } else if (a.rfind("--cameras=files:", 0) == 0) {
            const std::string list = a.substr(std::strlen("--cameras=files:"));
            const size_t comma = list.find(',');
            if (comma == std::string::npos || comma == 0 || comma + 1 >= list.size()) {
                *message = "lenti3d: --cameras=files: needs two files, as files:LEFT,RIGHT";
                return OptionsResult::Error;
            }
            o.cameras = "files";
            o.leftFile = list.substr(0, comma);
            o.rightFile = list.substr(comma + 1);
        } else {
            *message = "lenti3d: unknown option '" + a + "' (see lenti3d --help)";
            return OptionsResult::Error;
        }
    }
    *out = o;
    return OptionsResult::Run;
}
