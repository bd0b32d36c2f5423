// A host for native tests: answers the signal-side callback, records every call, owns buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "frame/host_interface.h"

namespace tarntest {

struct HostCall {
    int32_t opcode;
    HostWord index;
    int32_t value;
    void* ptr;
    float opt;
};

class FakeHost {
public:
    FakeHost();
    ~FakeHost();

    // The callback to hand to makeModule; the host data is this host's slot.
    static HostWord TARN_CDECL callback(void* record, int32_t opcode, HostWord index,
                                        int32_t value, void* ptr, float opt);
    int32_t hostData() const { return slot_; }

    int count(int32_t opcode) const;
    std::vector<HostCall> calls;
    // Runs inside every call, before the answer: a test may call the module back from here.
    std::function<void(const HostCall&, void* record)> during;

    int32_t pinCount = 0;
    int32_t clock = 0;
    int32_t blockStart = 0;
    int32_t handle = 0x1234abcd;
    std::map<int32_t, std::vector<float>> buffers;  // HOST_GET_PIN_BUFFER answers
    std::map<std::string, std::vector<float>> shared;
    std::vector<std::string> sharedNames;

private:
    HostWord answer(const HostCall& c);
    int32_t slot_;
};

}  // namespace tarntest
