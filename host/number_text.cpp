// Number text through <charconv>: the same on every C library, whatever the locale.
#include "number_text.h"

#include <charconv>
#include <cmath>

namespace tarnhost {

bool parseDouble(const std::string& text, double& out) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return false;
    auto r = std::from_chars(b, e, out, std::chars_format::general);
    return r.ec == std::errc() && r.ptr == e && std::isfinite(out);
}

bool parseInt(const std::string& text, long long& out) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    if (b == e) return false;
    auto r = std::from_chars(b, e, out);
    return r.ec == std::errc() && r.ptr == e;
}

std::string formatFloat(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string hex32(uint32_t v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    return "0x" + std::string(buf, r.ptr);
}

}  // namespace tarnhost
