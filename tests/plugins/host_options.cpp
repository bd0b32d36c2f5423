// Options, raw float files and the counting watch of the plug-in test hosts.
#include "host_options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "common/pin_values.h"
#include "plugin_library.h"

namespace plugtest {

namespace {

bool parseWhole(const std::string& s, long long& v) {
    char* end = nullptr;
    v = std::strtoll(s.c_str(), &end, 10);
    return !s.empty() && *end == '\0';
}

bool split(const std::string& s, char at, std::pair<std::string, std::string>& out) {
    const size_t i = s.find(at);
    if (i == std::string::npos || i == 0) return false;
    out = {s.substr(0, i), s.substr(i + 1)};
    return true;
}

// FRAME:NOTE:VELOCITY (velocity 0 releases) or FRAME:bend:VALUE (0 ... 16383).
bool parseEvent(const std::string& s, NoteEvent& e) {
    std::pair<std::string, std::string> a, b;
    long long frame = 0, value = 0;
    if (!split(s, ':', a) || !split(a.second, ':', b) || !parseWhole(a.first, frame) || frame < 0 ||
        !parseWhole(b.second, value)) {
        return false;
    }
    e.frame = frame;
    if (b.first == "bend") {
        if (value < 0 || value > 16383) return false;
        e.bytes[0] = 0xE0;
        e.bytes[1] = value & 0x7F;
        e.bytes[2] = (value >> 7) & 0x7F;
        return true;
    }
    long long note = 0;
    if (!parseWhole(b.first, note) || note < 0 || note > 127 || value < 0 || value > 127) return false;
    e.bytes[0] = value > 0 ? 0x90 : 0x80;
    e.bytes[1] = static_cast<uint8_t>(note);
    e.bytes[2] = static_cast<uint8_t>(value);
    return true;
}

}  // namespace

bool parseOptions(const std::vector<std::string>& args, size_t from, Options& o, std::string& error) {
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--watch") {
            o.watch = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = a + (a.rfind("--", 0) == 0 ? " needs a value" : ": unknown option");
            return false;
        }
        const std::string v = args[++i];
        long long n = 0;
        std::pair<std::string, std::string> kv;
        NoteEvent e{};
        if (a == "--out") {
            o.out = v;
        } else if (a == "--frames" && parseWhole(v, n) && n >= 0 && n < (1LL << 31)) {
            o.frames = n;
        } else if (a == "--block" && parseWhole(v, n) && n >= 1 && n <= (1 << 20)) {
            o.block = static_cast<int>(n);
        } else if (a == "--rate" && std::strtod(v.c_str(), nullptr) > 0) {
            o.rate = std::strtod(v.c_str(), nullptr);
        } else if (a == "--preset") {
            o.preset = v;
        } else if (a == "--shape") {
            o.hasShape = true;
            o.shape = v;
        } else if ((a == "--set" || a == "--input" || a == "--input-frames") && split(v, '=', kv)) {
            (a == "--set" ? o.sets : a == "--input" ? o.inputs : o.frameInputs).push_back(kv);
        } else if (a == "--fp-env" || a == "--fp-env-calls") {
            o.fp.name = v;
            o.fp.perCall = a == "--fp-env-calls";
            o.fp.named = true;
        } else if (a == "--note" && parseEvent(v, e)) {
            o.events.push_back(e);
        } else {
            error = "bad option: " + a + " " + v;
            return false;
        }
    }
    std::stable_sort(o.events.begin(), o.events.end(),
                     [](const NoteEvent& x, const NoteEvent& y) { return x.frame < y.frame; });
    return true;
}

bool readFloats(const std::string& path, std::vector<float>& out, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot read " + path;
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    out.resize(bytes.size() / sizeof(float));
    std::copy(bytes.begin(), bytes.begin() + out.size() * sizeof(float), reinterpret_cast<char*>(out.data()));
    return true;
}

bool writeFloats(const std::string& path, const std::vector<float>& samples, std::string& error) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(samples.size() * sizeof(float)));
    if (!f) error = "cannot write " + path;
    return static_cast<bool>(f);
}

float streamAt(const std::vector<float>& stream, int64_t frame, float constant) {
    if (stream.empty()) return constant;
    return frame < static_cast<int64_t>(stream.size()) ? stream[frame] : stream.back();
}

bool numberFromText(const std::string& text, double& value) {
    const HostWork arithmetic;
    const char* first = text.c_str();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto read = std::from_chars(first, last, value);
    return first != last && read.ec == std::errc() && read.ptr == last;
}

bool signalFromText(const std::string& text, float& signal) {
    double volts = 0.0;
    if (!numberFromText(text, volts)) return false;
    const HostWork arithmetic;
    signal = tarn::signalFromWrittenVolts(volts);
    return true;
}

namespace {
using WatchFn = void (*)();
using CountsFn = int (*)(char*, int);
template <class F>
F watchFunction(const char* name) {
    return reinterpret_cast<F>(programSymbol(name));
}
}  // namespace

void watchBegin() {
    static const WatchFn begin = watchFunction<WatchFn>("tarn_watch_begin");
    if (begin != nullptr) begin();
}

void watchEnd() {
    static const WatchFn end = watchFunction<WatchFn>("tarn_watch_end");
    if (end != nullptr) end();
}

bool watchReport(bool print) {
    const CountsFn counts = watchFunction<CountsFn>("tarn_watch_counts");
    if (counts == nullptr) {
        if (print) std::printf("watch: no counting library preloaded\n");
        return true;
    }
    char text[512];
    const int calls = counts(text, sizeof text);
    if (print) std::printf("watch: in process calls: %s\n", text);
    return calls == 0;
}

bool parseBenchOptions(const std::vector<std::string>& args, size_t from, BenchOptions& o, std::string& error) {
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        const std::string v = args[++i];
        long long n = 0;
        std::pair<std::string, std::string> kv;
        if (a == "--frames" && parseWhole(v, n) && n >= 1 && n <= (1 << 16)) {
            o.frames.push_back(static_cast<int>(n));
        } else if (a == "--label") {
            o.label = v;
        } else if (a == "--set" && split(v, '=', kv)) {
            o.sets.push_back(kv);
        } else {
            error = "bad option: " + a + " " + v;
            return false;
        }
    }
    if (o.frames.empty()) o.frames = {64, 1024};
    return true;
}

void printBenchFigure(const std::string& label, const std::string& row, int frames, double ns) {
    std::printf("plugin/%s/%s%s/%d\t%.1f\n", label.c_str(), row.c_str(), benchRowSuffix(), frames, ns);
    std::fflush(stdout);
}

int usage(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    return 2;
}

}  // namespace plugtest
