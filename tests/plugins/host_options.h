// The command line the plug-in test hosts share: what to render and how, as tarn-host render
// takes it (volts for inputs, names or values for choices, the shape text), plus notes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/pin_values.h"
#include "fp_host.h"
#include "plugin_library.h"

namespace plugtest {

struct NoteEvent {
    int64_t frame;
    uint8_t bytes[3];
};

struct Options {
    std::string out;
    int64_t frames = 44100;
    double rate = 44100.0;
    int block = 1024;
    std::vector<std::pair<std::string, std::string>> sets;    // NAME=VALUE
    std::vector<std::pair<std::string, std::string>> inputs;  // NAME=FILE.f32
    // Streams onto parameters: --input changes the parameter at block starts, where the module
    // reads Pitch and Level; --input-frames at every frame where it changes (Sync), the host
    // splitting its process call there.
    std::vector<std::pair<std::string, std::string>> frameInputs;
    bool hasShape = false;
    std::string shape;
    std::string preset;  // a preset of the plug-in's own, by its label
    std::vector<NoteEvent> events;  // in frame order
    bool watch = false;
    FpChoice fp;  // --fp-env NAME (the plug-in's life) or --fp-env-calls NAME (around each call)
};

// Reads options from args[from...]; false with a message in error for a bad one.
bool parseOptions(const std::vector<std::string>& args, size_t from, Options& o, std::string& error);

// Raw little-endian float32 files.
bool readFloats(const std::string& path, std::vector<float>& out, std::string& error);
bool writeFloats(const std::string& path, const std::vector<float>& samples, std::string& error);

// A stream held at its last value past its end; empty: the constant.
float streamAt(const std::vector<float>& stream, int64_t frame, float constant);

// A decimal number, whatever the C library's locale; false for any other text.
bool numberFromText(const std::string& text, double& value);

// Volts as the modular host reads them (common/pin_values.h) to signal units.
bool signalFromText(const std::string& text, float& signal);

// The watch of a preloaded counting library, if there is one: calls counted between begin and
// end, reported as "watch: ..." lines.
void watchBegin();
void watchEnd();
bool watchReport(bool print);  // true when no counted call happened

// A stream onto one of a plug-in's parameters (index into the host's own list), in signal units.
struct ParameterStream {
    int parameter;
    std::vector<float> samples;
    bool everyFrame;  // changes at every frame where it changes, else at block starts
};

// One process call as a parameter-driven host makes it: its frames, the parameters that change
// at its start (in volts), and the notes inside it (frames relative to its start).
struct Call {
    int64_t from = 0;
    int count = 0;
    std::vector<std::pair<int, double>> changes;
    std::vector<NoteEvent> notes;
};

// The calls for the options' blocks: each block split where a per-frame stream changes.
template <class OnCall>
void planCalls(const Options& o, const std::vector<ParameterStream>& streams, OnCall onCall);

int usage(const char* text);

// The benchmarks' command line: the block sizes to time (--frames N, each once) and per plug-in a
// label for the table (--label TEXT) and its settings (--set NAME=VALUE).
struct BenchOptions {
    std::vector<int> frames;
    std::string label;
    std::vector<std::pair<std::string, std::string>> sets;
};
bool parseBenchOptions(const std::vector<std::string>& args, size_t from, BenchOptions& o, std::string& error);

// The best of five repetitions of `call`, each long enough to read the clock (benchClockNs) well,
// in ns per call; the loop around the call is all it adds.
template <class Call>
double bestNsPerCall(Call call);

// One figure of the benchmark table, one line: "plugin/LABEL/ROW/FRAMES<TAB>NS" (ROW with the
// system's suffix, benchRowSuffix).
void printBenchFigure(const std::string& label, const std::string& row, int frames, double ns);

// The bench command of a host for `format`: for each block size, time(frames, settings, label,
// error) sets the plug-in up and gives its figure in ns (the label, when none was given, is the
// plug-in's name), or a negative number with a message in error.
template <class Time>
int runBench(const std::vector<std::string>& args, const char* format, Time time) {
    BenchOptions b;
    std::string error;
    if (args.size() < 2 || !parseBenchOptions(args, 2, b, error)) return usage(error.empty() ? "bench: no plug-in" : error.c_str());
    for (const int frames : b.frames) {
        std::string label = b.label;
        const double ns = time(frames, b.sets, label, error);
        if (ns < 0) return usage(error.c_str());
        printBenchFigure(label, format, frames, ns);
    }
    return 0;
}

template <class OnCall>
void planCalls(const Options& o, const std::vector<ParameterStream>& streams, OnCall onCall) {
    size_t next = 0;
    std::vector<float> last(streams.size(), 0.0f);
    std::vector<bool> sent(streams.size(), false);
    for (int64_t block = 0; block < o.frames; block += o.block) {
        const int64_t end = std::min<int64_t>(block + o.block, o.frames);
        for (int64_t from = block; from < end;) {
            int64_t to = end;
            for (const ParameterStream& s : streams) {
                if (!s.everyFrame) continue;
                for (int64_t f = from + 1; f < to; ++f) {
                    if (streamAt(s.samples, f, 0) != streamAt(s.samples, f - 1, 0)) {
                        to = f;
                        break;
                    }
                }
            }
            Call call;
            call.from = from;
            call.count = static_cast<int>(to - from);
            {
                const HostWork volts;
                for (size_t k = 0; k < streams.size(); ++k) {
                    if (!streams[k].everyFrame && from != block) continue;
                    const float v = streamAt(streams[k].samples, from, 0);
                    if (!sent[k] || v != last[k]) call.changes.push_back({streams[k].parameter, tarn::voltsFromSignal(v)});
                    last[k] = v;
                    sent[k] = true;
                }
            }
            for (; next < o.events.size() && o.events[next].frame < to; ++next) {
                NoteEvent e = o.events[next];
                e.frame = std::max<int64_t>(e.frame - from, 0);
                call.notes.push_back(e);
            }
            onCall(call);
            from = to;
        }
    }
}

template <class Call>
double bestNsPerCall(Call call) {
    constexpr double kRepetitionNs = 1e8;
    constexpr int kRepetitions = 5;
    long long calls = 1;
    for (const double start = benchClockNs(); benchClockNs() - start < kRepetitionNs / 10; calls *= 2) {
        for (long long k = 0; k < calls; ++k) call();
    }
    calls *= 10;
    double best = 1e300;
    for (int r = 0; r < kRepetitions; ++r) {
        const double start = benchClockNs();
        for (long long k = 0; k < calls; ++k) call();
        best = std::min(best, (benchClockNs() - start) / static_cast<double>(calls));
    }
    return best;
}

}  // namespace plugtest
