// The validator's shape-text generator.
#include "host/validator/text_generator.h"

namespace tarnhost {

std::string ShapeTextGenerator::number() {
    static const char* const odd[] = {"1e39", "-1e39", "1d300", "-2D-400", "3.4e38", "1e-45",
                                      "99999999999999999999999999", ".", "-", "+.5", "1e", "0x1p3",
                                      "inf", "nan", "  7", "1.2.3", "5d", "-0", "1E+38"};
    const uint64_t r = rng_();
    if (r % 7 == 0) return odd[(r >> 8) % (sizeof odd / sizeof odd[0])];
    std::uniform_real_distribution<double> volts(-6.0, 6.0);
    char buf[32];
    const int decimals = static_cast<int>((r >> 20) % 3);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, volts(rng_));
    return buf;
}

std::string ShapeTextGenerator::node() { return "(" + number() + "," + number() + ")"; }

std::string ShapeTextGenerator::next() {
    const uint64_t r = rng_() % 100;
    std::string t;
    if (r < 40) {
        kind_ = "valid";
        for (int i = 0; i < 25; ++i) t += node();
    } else if (r < 55) {
        kind_ = "truncated";
        for (int i = 0; i < 25; ++i) t += node();
        t.resize(rng_() % (t.size() + 1));
    } else if (r < 65) {
        kind_ = "nested";
        for (int i = 0; i < 30; ++i) t += (rng_() % 3 == 0) ? "((" + node() + ")" : node();
    } else if (r < 75) {
        kind_ = "too many or too few nodes";
        for (int i = static_cast<int>(rng_() % 40); i > 0; --i) t += node();
    } else if (r < 85) {
        kind_ = "control bytes";
        for (int i = 0; i < 25; ++i) {
            t += node();
            if (rng_() % 4 == 0) t += static_cast<char>(1 + rng_() % 31);
        }
    } else if (r < 99) {
        kind_ = "junk";
        for (int i = static_cast<int>(rng_() % 400); i > 0; --i) t += static_cast<char>(1 + rng_() % 255);
    } else {
        kind_ = "100 KB of junk";
        for (int i = 0; i < 100 * 1024; ++i) t += "(,)0123456789.-+eEdD x"[rng_() % 22];
    }
    return t;
}

}  // namespace tarnhost
