// libFuzzer target for the image file loader: any bytes, as a file, loaded
// into a 32-bit and an 8-bit image. Build with `make fuzz`.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "files/image_file.h"
#include "frame/frame.h"
#include "image/image_table.h"
#include "platform/system.h"
#include "windows/image_window.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string err;
    plat::initialize(plat::BackendKind::Headless, &err);
    plat::registerClass("orv_iw", ImageWindowProc, plat::kClassOwnDc, 0);
    InitImageTable();
    ORV_CreateImage(0, "fuzz32", 0, 0, 64, 48, 100);
    ORV_CreateImage8(1, "fuzz8", 0, 0, 33, 17, 100);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/orv_fuzz_" + std::to_string(getpid());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    for (int n : {0, 1}) {
        ORV_SelectImage(n);
        LoadImageFile(path.c_str(), int(size % 7) - 3, 0);
    }
    return 0;
}
