// Number text through <charconv>: the same on every C library, whatever the locale.
#include "host/io/number_text.h"

#include <charconv>
#include <cmath>

namespace tarnhost {

std::optional<double> parseDouble(const std::string& text) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return std::nullopt;
    double out = 0.0;
    auto r = std::from_chars(b, e, out, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != e || !std::isfinite(out)) return std::nullopt;
    return out;
}

std::optional<long long> parseInt(const std::string& text) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return std::nullopt;
    long long out = 0;
    auto r = std::from_chars(b, e, out);
    if (r.ec != std::errc() || r.ptr != e) return std::nullopt;
    return out;
}

std::string formatFloat(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string hex(uint64_t v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    return "0x" + std::string(buf, r.ptr);
}

}  // namespace tarnhost
