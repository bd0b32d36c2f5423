// Writing a painted panel (32-bit BGRX pixels, top row first) as a PNG file.
#pragma once

#include <cstdint>
#include <string>

namespace tarnhost {

// Throws Error when the file cannot be written.
void writePng(const std::string& path, const uint32_t* bgrx, int width, int height);

}  // namespace tarnhost
