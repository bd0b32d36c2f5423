// Strict number parsing and locale-free formatting for the host's command line and output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnhost {

// The whole text must be a decimal number (optional sign, digits, ".", exponent); nothing when
// it is not one.
std::optional<double> parseDouble(const std::string& text);
std::optional<long long> parseInt(const std::string& text);
// Shortest text that reads back as the same float.
std::string formatFloat(float v);
std::string hex(uint64_t v);
// The choices of an enum list "name=value,name=value", in order; malformed items are left out.
std::vector<std::pair<std::string, long long>> parseEnumList(const std::string& list);

}  // namespace tarnhost
