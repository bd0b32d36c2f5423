// Random shape texts for the validator, from the text's own grammar outward: valid texts,
// truncated ones, nested brackets, huge numbers, d/D exponents, junk and control bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace tarnhost {

class ShapeTextGenerator {
public:
    explicit ShapeTextGenerator(uint64_t seed) : rng_(seed) {}
    std::string next();
    // The kind of the last text, for a failure message.
    const std::string& describe() const { return kind_; }

private:
    std::string number();
    std::string node();
    std::mt19937_64 rng_;
    std::string kind_;
};

}  // namespace tarnhost
