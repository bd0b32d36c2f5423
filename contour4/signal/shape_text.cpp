// Shape text parsing and writing without the C library's locale or printf.
#include "shape_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tarn {

const char* const kDefaultShapeText =
    "(-5.0,-5.0)(-4.58,-4.58)(-4.16,-4.16)(-3.75,-3.75)(-3.33,-3.33)(-2.92,-2.92)"
    "(-2.50,-2.50)(-2.08,-2.08)(-1.67,-1.67)(-1.25,-1.25)(-0.84,-0.84)(-0.42,-0.42)"
    "(0.00,0.00)(0.40,0.40)(0.82,0.82)(1.24,1.24)(1.65,1.65)(2.07,2.07)(2.48,2.48)"
    "(2.90,2.90)(3.32,3.32)(3.73,3.73)(4.15,4.15)(4.56,4.56)(4.98,4.98)";

std::string defaultShapeText() { return kDefaultShapeText; }

namespace {

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Enough significant digits to round any decimal to double correctly; the rest only matter as
// a sticky "something non-zero follows".
constexpr int kMaxDigits = 780;
constexpr long kExponentCap = 1000000;

}  // namespace

float parseShapeNumber(const char* s, size_t n) {
    size_t i = 0;
    while (i < n && isBlank(s[i])) ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

    // Significant digits as "0.DDDD" times 10^exponent.
    char digits[kMaxDigits + 1];
    int kept = 0;
    bool sticky = false;
    bool anyDigit = false;
    long exponent = 0;
    bool seenPoint = false;
    for (; i < n; ++i) {
        const char c = s[i];
        if (c == '.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (!isDigit(c)) break;
        anyDigit = true;
        if (c == '0' && kept == 0) {
            if (seenPoint) --exponent;  // leading zeros after the point scale down
            continue;
        }
        if (!seenPoint) ++exponent;
        if (kept < kMaxDigits) digits[kept++] = c;
        else if (c != '0') sticky = true;
    }
    if (!anyDigit) return 0.0f;

    if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (s[j] == '+' || s[j] == '-')) expNegative = s[j++] == '-';
        if (j < n && isDigit(s[j])) {
            long e = 0;
            for (; j < n && isDigit(s[j]); ++j) {
                if (e < kExponentCap) e = e * 10 + (s[j] - '0');
            }
            exponent += expNegative ? -e : e;
        }
    }
    if (kept == 0) return negative ? -0.0f : 0.0f;

    char text[kMaxDigits + 40];
    size_t len = 0;
    text[len++] = '0';
    text[len++] = '.';
    std::memcpy(text + len, digits, kept);
    len += kept;
    if (sticky) text[len++] = '1';
    text[len++] = 'e';
    auto r = std::to_chars(text + len, text + sizeof text, exponent);
    len = r.ptr - text;

    double value = 0.0;
    const auto parsed = std::from_chars(text, text + len, value, std::chars_format::scientific);
    if (parsed.ec == std::errc::result_out_of_range) {
        value = exponent > 0 ? __builtin_huge_val() : 0.0;
    }
    const float f = static_cast<float>(value);
    return negative ? -f : f;
}

void parseShapeText(Node* nodes, const char* text) {
    if (text == nullptr || *text == '\0') text = kDefaultShapeText;
    const char* rest = text;
    size_t restLen = std::strlen(text);
    for (int i = 0; i < kNodeCount; ++i) {
        auto find = [&](char ch) -> long {
            const void* at = std::memchr(rest, ch, restLen);
            return at == nullptr ? -1 : static_cast<const char*>(at) - rest;
        };
        const long p = find('(');
        const long c = find(',');
        const long e = find(')');
        if (e < 1) return;
        const auto field = [&](long start, long length) {
            const size_t from = static_cast<size_t>(start);
            const size_t len = length < 0 ? restLen - from : static_cast<size_t>(length);
            return parseShapeNumber(rest + from, len);
        };
        const float x = field(p + 1, c - p - 1);
        const float y = field(c + 1, e - c - 1);
        nodes[i].x = (x + 5.0f) * 10.0f;
        nodes[i].y = (5.0f - y) * 10.0f;
        rest += e + 1;
        restLen -= static_cast<size_t>(e) + 1;
        if (restLen == 0) return;
    }
}

namespace {

// A node beyond the float range (a foreign text can give one) is written as the largest float,
// which reads back to the same node: "inf" or "nan" would not be numbers of the text at all.
void appendVolts(std::string& out, double v) {
    if (std::isnan(v)) v = 0.0;
    if (std::isinf(v)) v = v > 0 ? FLT_MAX : -FLT_MAX;
    char buf[400];  // the widest double in fixed notation with one decimal fits
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 1);
    out.append(buf, r.ptr);
}

}  // namespace

std::string formatShapeText(const Node* nodes) {
    std::string out;
    out.reserve(300);
    for (int i = 0; i < kNodeCount; ++i) {
        out += '(';
        appendVolts(out, static_cast<double>(nodes[i].x) * 0.1 - 5.0);
        out += ',';
        appendVolts(out, 5.0 - static_cast<double>(nodes[i].y) * 0.1);
        out += ')';
    }
    return out;
}

}  // namespace tarn
