// Writing rendered samples as 32-bit float WAV or raw float32, and reading raw float32 input.
#pragma once

#include <string>
#include <vector>

namespace tarnhost {

// Writes mono samples: a 32-bit float WAV when path ends in ".wav", otherwise raw
// little-endian float32. Throws Error when the file cannot be written.
void writeSamples(const std::string& path, const std::vector<float>& samples, double rate);

// Reads a raw little-endian float32 file; throws InputError when it cannot be read.
std::vector<float> readRawFloats(const std::string& path);

bool endsWith(const std::string& s, const std::string& suffix);

}  // namespace tarnhost
