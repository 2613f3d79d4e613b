// The still-image codec service (GraphicsMagick): started once before any
// image file is read or written, shut down at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {
// Idempotent; `programPath` helps the library find its modules (may be null).
bool startCodecService(const char* programPath);
void stopCodecService();
bool codecServiceRunning();

// Reads any picture the codecs know, scaled to width x height when it has
// another size (*scaled says so), as top-down B, G, R rows. False with a
// reason when the file cannot be read.
bool loadScaledBgr(const std::string& path, int width, int height, std::vector<uint8_t>* bgr,
                   bool* scaled, std::string* error);
}  // namespace plat
