// Strict number parsing and locale-free formatting for the host's command line and output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnhost {

// The whole text must be a decimal number (optional sign, digits, ".", exponent); nothing when
// it is not one.
std::optional<double> parseDouble(const std::string& text);
std::optional<long long> parseInt(const std::string& text);
// Shortest text that reads back as the same float.
std::string formatFloat(float v);
std::string hex(uint64_t v);

}  // namespace tarnhost
