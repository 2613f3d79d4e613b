// The still-image codec service (GraphicsMagick): started once before any
// image file is read or written, shut down at the end.
#pragma once

namespace plat {
// Idempotent; `programPath` helps the library find its modules (may be null).
bool startCodecService(const char* programPath);
void stopCodecService();
bool codecServiceRunning();
}  // namespace plat
