// Pin values as users and hosts write them: volts to signal units and back, and choice lists.
// One conversion and one list reader for the host, the modules' glue and every front-end.
#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn {

constexpr double kVoltsPerSignalUnit = 10.0;

// Volts as a user writes them (a decimal number, read in double) to signal units: divided by
// ten in double and rounded to float once, so "8.3" is the float nearest 0.83.
constexpr float signalFromWrittenVolts(double volts) {
    return static_cast<float>(volts / kVoltsPerSignalUnit);
}

// Volts held in a float (a knob, a parameter) stand for the shortest decimal that reads back as
// that float: 8.3f is "8.3", and gives what the text "8.3" gives. (Widening the float instead
// would read 8.3f as 8.30000019...)
inline float signalFromVoltsSetting(float volts) {
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, volts);
    double decimal = 0.0;
    std::from_chars(text, written.ptr, decimal);
    return signalFromWrittenVolts(decimal);
}

// Signal units to volts, exactly (for showing a value).
constexpr double voltsFromSignal(float signal) {
    return static_cast<double>(signal) * kVoltsPerSignalUnit;
}

// The items of a choice list "name=value,name=value", in order. An item is split at its last
// "="; one without "=", or whose value is not a whole decimal number (an optional sign, then
// digits only), is left out.
inline std::vector<std::pair<std::string, long long>> parseChoiceList(std::string_view list) {
    std::vector<std::pair<std::string, long long>> choices;
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view item = list.substr(start, end - start);
        start = end + 1;
        const size_t eq = item.rfind('=');
        if (eq == std::string_view::npos) continue;
        std::string_view value = item.substr(eq + 1);
        if (!value.empty() && value.front() == '+') value.remove_prefix(1);
        long long number = 0;
        const auto read = std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || read.ec != std::errc() || read.ptr != value.data() + value.size()) continue;
        choices.emplace_back(std::string(item.substr(0, eq)), number);
    }
    return choices;
}

}  // namespace tarn
