// The program's command-line options. They configure the platform layer
// only (display backend, camera source); the framework and the application
// keep their fixed defaults.
#pragma once

#include <string>

#include "platform/system.h"

struct ProgramOptions {
    plat::BackendKind backend = plat::BackendKind::Auto;
    std::string cameras = "auto";  // auto | v4l2 | demo | files
    std::string leftFile, rightFile;  // cameras == "files"
};

enum class OptionsResult { Run, Help, Error };

// On Error, `message` holds one line for stderr.
OptionsResult ParseOptions(int argc, char** argv, ProgramOptions* out, std::string* message);
const char* OptionsHelp();
ProgramOptions& programOptions();
