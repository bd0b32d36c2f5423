// Writing rendered samples as 32-bit float WAV or raw float32, and reading raw float32 input.
#pragma once

#include <string>
#include <vector>

namespace tarnhost {

// Writes mono samples: a 32-bit float WAV when path ends in ".wav", otherwise raw
// little-endian float32. Returns false (and leaves a message in error) on failure.
bool writeSamples(const std::string& path, const std::vector<float>& samples, double rate,
                  std::string& error);

// Reads a raw little-endian float32 file.
bool readRawFloats(const std::string& path, std::vector<float>& samples, std::string& error);

bool endsWith(const std::string& s, const std::string& suffix);

}  // namespace tarnhost
