// The command line the plug-in test hosts share: what to render and how, as tarn-host render
// takes it (volts for inputs, names or values for choices, the shape text), plus notes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
};

// Reads options from args[from...]; false with a message in error for a bad one.
bool parseOptions(const std::vector<std::string>& args, size_t from, Options& o, std::string& error);

// Raw little-endian float32 files.
bool readFloats(const std::string& path, std::vector<float>& out, std::string& error);
bool writeFloats(const std::string& path, const std::vector<float>& samples, std::string& error);

// A stream held at its last value past its end; empty: the constant.
float streamAt(const std::vector<float>& stream, int64_t frame, float constant);

// Volts as the modular host reads them: the decimal text, divided by ten in double.
bool signalFromText(const std::string& text, float& signal);

// The watch of a preloaded counting library, if there is one: calls counted between begin and
// end, reported as "watch: ..." lines.
void watchBegin();
void watchEnd();
bool watchReport(bool print);  // true when no counted call happened

// With TARN_HOSTILE_FP=1 in the environment, the floating-point modes some audio hosts set
// (flush-to-zero, denormals-are-zero, and here also rounding toward zero and 24-bit x87
// precision) for the plug-in's process calls; the host's own modes again after them.
class HostFloatingPoint {
public:
    HostFloatingPoint();
    ~HostFloatingPoint();

private:
    bool hostile_;
    uint32_t mxcsr_ = 0;
    uint16_t x87_ = 0;
};

int usage(const char* text);

}  // namespace plugtest
