// 32-bit float WAV (format 3, with the fact chunk float WAVs carry) and raw float32 files.
#include "host/io/wav_file.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host/io/error.h"

namespace tarnhost {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

void putFloats(std::vector<uint8_t>& out, const std::vector<float>& samples) {
    for (float f : samples) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        put32(out, bits);
    }
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw Error("cannot write " + path);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) throw Error("cannot write " + path);
}

}  // namespace

bool endsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void writeSamples(const std::string& path, const std::vector<float>& samples, double rate) {
    std::vector<uint8_t> out;
    if (!endsWith(path, ".wav")) {
        putFloats(out, samples);
        writeBytes(path, out);
        return;
    }
    // The header holds a whole rate; odd rates are written to the nearest hertz.
    double rounded = std::floor(rate + 0.5);
    if (!(rounded >= 1.0)) rounded = 1.0;
    if (rounded > 4.0e9) rounded = 4.0e9;
    const uint32_t sampleRate = static_cast<uint32_t>(rounded);
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 4);
    putTag(out, "RIFF");
    put32(out, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 18);
    put16(out, 3);  // IEEE float
    put16(out, 1);  // mono
    put32(out, sampleRate);
    put32(out, sampleRate * 4);
    put16(out, 4);
    put16(out, 32);
    put16(out, 0);
    putTag(out, "fact");
    put32(out, 4);
    put32(out, static_cast<uint32_t>(samples.size()));
    putTag(out, "data");
    put32(out, dataBytes);
    putFloats(out, samples);
    writeBytes(path, out);
}

std::vector<float> readRawFloats(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) throw InputError("cannot read " + path);
    std::vector<float> samples;
    uint8_t b[4];
    while (std::fread(b, 1, 4, f) == 4) {
        const uint32_t bits = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
        float v;
        std::memcpy(&v, &bits, 4);
        samples.push_back(v);
    }
    std::fclose(f);
    return samples;
}

}  // namespace tarnhost
