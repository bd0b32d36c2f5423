// Fuzz target: a sequence of host calls on one signal object, decoded from the input bytes:
// rates, block sizes, open, process calls anywhere in the buffers, pin events with any target,
// unknown opcodes and event types, input values including non-finite ones, and (for Contour4)
// shape texts. The object must never write outside the frames it was asked for, never write
// its inputs, and never produce a non-finite sample from finite inputs.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/host_interface.h"

#if defined(TARN_FUZZ_CONTOUR4)
#include "contour4/contour4_module.h"
using Module = tarn::Contour4Module;
#else
#include "lfo/lfo_module.h"
using Module = tarn::LfoModule;
#endif

namespace {

constexpr int kFrames = 512;
constexpr int kGuard = 16;
constexpr uint32_t kMark = 0x7fc0dead;  // a NaN that no arithmetic produces

struct Reader {
    const uint8_t* p;
    size_t n;
    uint8_t byte() { return n ? (--n, *p++) : 0; }
    uint32_t word() { return byte() | byte() << 8 | byte() << 16 | uint32_t(byte()) << 24; }
    float value() {
        static const float table[] = {0.0f, 1.0f, -1.0f, 0.5f, 10.0f, -10.0f, 1e30f, -1e30f,
                                      INFINITY, -INFINITY, NAN, 1.17549435e-38f, -1.17549435e-38f,
                                      0.004f, 0.006f, 0.94f};
        const uint8_t b = byte();
        if (b < 16) return table[b];
        float f;
        uint32_t w = word();
        std::memcpy(&f, &w, 4);
        return f;
    }
};

struct Host {
    std::vector<std::vector<float>> buffers;
    std::vector<PinProperties> pins;
    std::string text;
    int16_t choice = 0;
    int32_t clock = 0;
    static Host* current;
    static HostWord TARN_CDECL callback(void*, int32_t op, HostWord, int32_t, void*, float) {
        Host& h = *current;
        switch (op) {
        case HOST_GET_PIN_COUNT: return static_cast<HostWord>(h.pins.size());
        case HOST_GET_SAMPLE_CLOCK: return h.clock;
        case HOST_GET_BLOCK_START: return 0;
        default: return 0;
        }
    }
    float* frames(size_t pin) { return buffers[pin].data() + kGuard; }
};
Host* Host::current = nullptr;

bool saneText(const std::string& text) {
#if defined(TARN_FUZZ_CONTOUR4)
    tarn::Node nodes[tarn::kNodeCount];
    for (tarn::Node& n : nodes) n = tarn::Node{0.0f, 0.0f};
    tarn::parseShapeText(nodes, text.c_str());
    for (const tarn::Node& n : nodes)
        if (!(std::fabs(n.x) < 1e4f && std::fabs(n.y) < 1e4f)) return false;
#else
    (void)text;
#endif
    return true;
}

bool isMark(float f) {
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return w == kMark;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    Host host;
    Host::current = &host;
    auto* module = new Module(&Host::callback, 1);
    ModuleRecord* rec = &module->record();
    for (int32_t i = 0; i < 8; ++i) {
        PinProperties p{};
        if (rec->dispatcher(rec, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0) == 0) break;
        host.pins.push_back(p);
    }
    host.buffers.assign(host.pins.size(), std::vector<float>(kFrames + 2 * kGuard, 0.0f));
    auto bind = [&] {
        for (size_t i = 0; i < host.pins.size(); ++i) {
            void* v = host.pins[i].variable;
            if (host.pins[i].datatype == DT_AUDIO) *static_cast<float**>(v) = host.frames(i);
            if (host.pins[i].datatype == DT_ENUM) *static_cast<int16_t*>(v) = host.choice;
            if (host.pins[i].datatype == DT_TEXT) *static_cast<const char**>(v) = host.text.c_str();
        }
    };
    bind();
    bool opened = false;
    while (in.n > 0) {
        switch (in.byte() % 9) {
        case 0: rec->dispatcher(rec, MOD_SET_SAMPLE_RATE, 0, 0, nullptr, in.value()); break;
        case 1: rec->dispatcher(rec, MOD_SET_BLOCK_SIZE, 0, static_cast<int32_t>(in.word() % 5000), nullptr, 0); break;
        case 2:
            rec->dispatcher(rec, MOD_OPEN, 0, 0, nullptr, 0);
            opened = true;
            break;
        case 3: {  // a process call somewhere in the buffers
            const int first = in.byte() % kFrames;
            const int count = in.word() % (kFrames - first + 1);
            size_t out = 0;
            for (size_t i = 0; i < host.pins.size(); ++i)
                if (host.pins[i].direction == DIR_OUT) out = i;
            std::vector<float> inputsBefore;
            for (size_t i = 0; i < host.pins.size(); ++i)
                if (i != out) inputsBefore.insert(inputsBefore.end(), host.buffers[i].begin(), host.buffers[i].end());
            float mark;
            std::memcpy(&mark, &kMark, 4);
            host.buffers[out].assign(kFrames + 2 * kGuard, mark);
            host.clock = first;
            rec->process(rec->object, first, count);
            const float* b = host.buffers[out].data();
            // Finite inputs of a sane size give finite output; a curve of 1e30 V played at a
            // level of 1e30 may overflow, and nothing clamps either.
            bool finiteInputs = saneText(host.text);
            for (float f : inputsBefore) finiteInputs = finiteInputs && std::fabs(f) <= 1e6f;
            for (int k = 0; k < kFrames + 2 * kGuard; ++k) {
                const bool inside = k >= kGuard + first && k < kGuard + first + count;
                if (!inside && !isMark(b[k])) std::abort();  // written outside the call
                if (inside && opened && finiteInputs && !isMark(b[k]) && !std::isfinite(b[k])) std::abort();
            }
            std::vector<float> inputsAfter;
            for (size_t i = 0; i < host.pins.size(); ++i)
                if (i != out) inputsAfter.insert(inputsAfter.end(), host.buffers[i].begin(), host.buffers[i].end());
            if (std::memcmp(inputsBefore.data(), inputsAfter.data(), inputsBefore.size() * 4) != 0) std::abort();
            break;
        }
        case 4: {  // an event, with any type and target
            ModuleEvent ev{};
            const uint8_t kind = in.byte();
            ev.type = kind < 200 ? EV_PIN_STATUS : (kind < 230 ? EV_DATA : static_cast<int32_t>(in.word() % 100));
            if (ev.type == EV_CALL) ev.type = 3;  // a code address from the host is not fuzzed
            ev.value = static_cast<int32_t>(in.byte() % 3);
            ev.target = reinterpret_cast<void*>(static_cast<intptr_t>(static_cast<int8_t>(in.byte())));
            rec->event(rec->object, &ev);
            break;
        }
        case 5: {  // an audio input held at a value
            const size_t pin = in.byte() % host.pins.size();
            const float v = in.value();
            if (host.pins[pin].direction == DIR_IN && host.pins[pin].datatype == DT_AUDIO)
                for (int k = 0; k < kFrames; ++k) host.frames(pin)[k] = v;
            break;
        }
        case 6:
            host.choice = static_cast<int16_t>(in.word());
            bind();
            break;
        case 7: {  // a new text, as the panel would send it
            const size_t len = in.byte();
            host.text.assign(reinterpret_cast<const char*>(in.p), std::min(len, in.n));
            in.p += std::min(len, in.n);
            in.n -= std::min(len, in.n);
            host.text = host.text.c_str();
            bind();
            break;
        }
        case 8: rec->dispatcher(rec, static_cast<int32_t>(in.byte()) + 4, in.byte(), 0, nullptr, 0); break;
        }
    }
    rec->dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0);
    return 0;
}
