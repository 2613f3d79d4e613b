// Writes a Surface as an RGB PNG file (screenshots of the virtual screen).
#pragma once

#include <string>

namespace plat {
class Surface;
// Returns false when the file cannot be written. Writes to a temporary
// name beside the target and renames, so a failed write leaves no stub.
bool writePng(const Surface& s, const std::string& path);
}  // namespace plat
