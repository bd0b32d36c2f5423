// The harness of every module's host-call fuzz target: a sequence of host calls on one signal
// object, decoded from the input bytes: rates, block sizes, open, process calls anywhere in the
// buffers, pin events with any target, unknown opcodes and event types, input values including
// non-finite ones, and texts for a text pin. The object must never write outside the frames it
// was asked for, never write its inputs, and never produce a non-finite sample from finite
// inputs and a text the module calls sane.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/host_interface.h"
#include "host/core/guarded_buffers.h"
#include "test_host.h"

namespace tarnfuzz {

constexpr int kFrames = 512;
constexpr int kGuard = 16;

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

// The pins the host binds, by address, as tarn-host does.
struct Pins {
    std::vector<std::vector<float>> buffers;
    std::vector<PinProperties> props;
    std::string text;
    int16_t choice = 0;
    float* frames(size_t pin) { return buffers[pin].data() + kGuard; }
};


// Whether finite inputs with this text must give finite output.
using SaneText = bool (*)(const std::string& text);

template <class Module>
int runHostCalls(const uint8_t* data, size_t size, SaneText saneText) {
    Reader in{data, size};
    tarntest::TestHost testHost;
    Pins host;
    auto* module = new Module(&tarntest::TestHost::callback, testHost.hostData());
    ModuleRecord* rec = &module->record();
    for (int32_t i = 0; i < 8; ++i) {
        PinProperties p{};
        if (rec->dispatcher(rec, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0) == 0) break;
        host.props.push_back(p);
    }
    testHost.pinCount = static_cast<int32_t>(host.props.size());
    host.buffers.assign(host.props.size(), std::vector<float>(kFrames + 2 * kGuard, 0.0f));
    auto bind = [&] {
        for (size_t i = 0; i < host.props.size(); ++i) {
            void* v = host.props[i].variable;
            if (host.props[i].datatype == DT_AUDIO) *static_cast<float**>(v) = host.frames(i);
            if (host.props[i].datatype == DT_ENUM) *static_cast<int16_t*>(v) = host.choice;
            if (host.props[i].datatype == DT_TEXT) *static_cast<const char**>(v) = host.text.c_str();
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
            for (size_t i = 0; i < host.props.size(); ++i)
                if (host.props[i].direction == DIR_OUT) out = i;
            std::vector<float> inputsBefore;
            for (size_t i = 0; i < host.props.size(); ++i)
                if (i != out) inputsBefore.insert(inputsBefore.end(), host.buffers[i].begin(), host.buffers[i].end());
            tarnhost::markOutput(host.buffers[out]);
            testHost.clock = first;
            testHost.calls.clear();
            rec->process(rec->object, first, count);
            // Finite inputs of a sane size give finite output; a curve of 1e30 V played at a
            // level of 1e30 may overflow, and nothing clamps either.
            bool finiteInputs = saneText(host.text);
            for (float f : inputsBefore) finiteInputs = finiteInputs && std::fabs(f) <= 1e6f;
            const tarnhost::GuardedWrites w = tarnhost::judgeOutput(host.buffers[out], kGuard, first, count);
            if (w.outside) std::abort();
            if (opened && finiteInputs && w.nonFinite) std::abort();
            std::vector<float> inputsAfter;
            for (size_t i = 0; i < host.props.size(); ++i)
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
            const size_t pin = in.byte() % host.props.size();
            const float v = in.value();
            if (host.props[pin].direction == DIR_IN && host.props[pin].datatype == DT_AUDIO)
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

}  // namespace tarnfuzz
