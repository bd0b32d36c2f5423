// Drives a signal object the way the host does: binds every declared pin by address, opens it,
// delivers pin events and runs process calls through the record.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "test_host.h"
#include "frame/host_interface.h"

namespace tarntest {

class ModuleHarness {
public:
    static constexpr int kFrames = 4096;

    ModuleHarness(ModuleRecord* record, TestHost& host) : rec(record), host(host) {
        for (int32_t i = 0;; ++i) {
            PinProperties p{};
            if (rec->dispatcher(rec, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0) == 0) break;
            props.push_back(p);
        }
        buffers.assign(props.size(), std::vector<float>(kFrames, 0.0f));
        choices.assign(props.size(), 0);
        texts.assign(props.size(), std::string());
        host.pinCount = static_cast<int32_t>(props.size());
        bind();
    }
    ~ModuleHarness() { close(); }

    void bind() {
        for (size_t i = 0; i < props.size(); ++i) {
            void* v = props[i].variable;
            if (v == nullptr) continue;
            if (props[i].datatype == DT_AUDIO) *static_cast<float**>(v) = buffers[i].data();
            if (props[i].datatype == DT_ENUM) *static_cast<int16_t*>(v) = choices[i];
            if (props[i].datatype == DT_TEXT) *static_cast<const char**>(v) = texts[i].c_str();
        }
    }
    HostWord dispatch(int32_t op, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return rec != nullptr ? rec->dispatcher(rec, op, index, value, ptr, opt) : 0;
    }
    // The host answers the first call with `opcode` by closing the object from inside it; from
    // then on the harness calls it no more, and counts any call the object still makes.
    void closeInside(int32_t opcode) {
        host.during = [this, opcode](const HostCall& c, void* record) {
            if (closedInside) ++callsAfterClose;
            else if (c.opcode == opcode) {
                closedInside = true;
                auto* r = static_cast<ModuleRecord*>(record);
                r->dispatcher(r, MOD_CLOSE, 0, 0, nullptr, 0);
                rec = nullptr;
            }
        };
    }
    bool closedInside = false;
    int callsAfterClose = 0;
    void open() { dispatch(MOD_OPEN); }
    void pinEvent(int32_t pin, int32_t status = ST_ONE_OFF) {
        if (rec == nullptr) return;
        ModuleEvent ev{};
        ev.type = EV_PIN_STATUS;
        ev.value = status;
        ev.target = reinterpret_cast<void*>(static_cast<intptr_t>(pin));
        rec->event(rec->object, &ev);
    }
    void fill(int32_t pin, float v) { buffers[pin].assign(kFrames, v); }
    void setText(int32_t pin, const std::string& t) {
        texts[pin] = t;
        bind();
        pinEvent(pin);
    }
    // One process call through the record's current entry; the host clock is at `first`.
    void process(int32_t first, int32_t count) {
        host.clock = host.blockStart + first;
        if (rec != nullptr) rec->process(rec->object, first, count);
    }
    void close() {
        if (rec != nullptr) dispatch(MOD_CLOSE);
        rec = nullptr;
    }

    ModuleRecord* rec;
    TestHost& host;
    std::vector<PinProperties> props;
    std::vector<std::vector<float>> buffers;
    std::vector<int16_t> choices;
    std::vector<std::string> texts;
};

}  // namespace tarntest
