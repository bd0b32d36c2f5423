// Number text through <charconv>: the same on every C library, whatever the locale.
#include "host/io/number_text.h"

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

std::vector<std::pair<std::string, long long>> parseEnumList(const std::string& list) {
    std::vector<std::pair<std::string, long long>> choices;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        const std::string item = list.substr(start, end - start);
        const size_t eq = item.rfind('=');
        long long value = 0;
        if (eq != std::string::npos && parseInt(item.substr(eq + 1), value)) {
            choices.emplace_back(item.substr(0, eq), value);
        }
        start = end + 1;
    }
    return choices;
}

std::string hex(uint64_t v) {
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
    return "0x" + std::string(buf, r.ptr);
}

}  // namespace tarnhost
