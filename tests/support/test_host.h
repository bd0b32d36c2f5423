// The one host of the native tests, both sides of the callback: it records every call, answers
// it as tarn-host would, and lets a test act from inside any call (`during`).
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
    bool gui;  // from a GuiRecord
};

class TestHost {
public:
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // The callback to hand to makeModule or a constructor; hostData() names this host.
    static HostWord TARN_CDECL callback(void* record, int32_t opcode, HostWord index, int32_t value,
                                        void* ptr, float opt);
    int32_t hostData() const { return slot_; }

    std::vector<HostCall> calls;
    int count(int32_t opcode) const;
    std::vector<int32_t> opcodes() const;
    // Runs inside every call before its answer: a test may call the object back from here.
    std::function<void(const HostCall&, void* record)> during;

    // The signal side's answers.
    int32_t pinCount = 0;
    int32_t clock = 0;
    int32_t blockStart = 0;
    int32_t handle = 0x1234abcd;
    std::map<int32_t, std::vector<float>> buffers;  // HOST_GET_PIN_BUFFER, made on demand
    std::map<std::string, std::vector<float>> shared;
    std::vector<std::string> sharedNames;

    // The panel side's answers. The pin text lives here; a write replaces it (unless the host
    // keeps handing back the old one) and is reported back from inside the write, as
    // tarn-host does, when `echo` is set.
    std::string text;
    bool nullText = false;      // GUI_HOST_GET_PIN_TEXT answers a null address
    bool keepsText = false;     // a write does not change what GUI_HOST_GET_PIN_TEXT answers
    bool echo = false;
    std::vector<std::string> written;
    bool captured = false;
    int redraws = 0;
    std::function<HostWord(HostWord)> parentOf = [](HostWord) -> HostWord { return 0; };
    std::function<HostWord(HostWord)> windowOf = [](HostWord) -> HostWord { return 0; };
    int32_t screenX = 1000, screenY = 500;  // GUI_HOST_TO_SCREEN adds these

private:
    HostWord answer(const HostCall& c, void* record);
    int32_t slot_;
};

}  // namespace tarntest
