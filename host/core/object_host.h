// What the signal and panel hosts share: one registration with the host's single callback, the
// object's creation through its library, the trace, and closes from inside the object's calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "frame/host_interface.h"
#include "host/core/module_library.h"

namespace tarnhost {

class ObjectHost {
public:
    virtual ~ObjectHost();
    ObjectHost(const ObjectHost&) = delete;
    ObjectHost& operator=(const ObjectHost&) = delete;

    // [main] The host answers the object's first call with `opcode` by closing the object from
    // inside that call, its creation included; the object is the host's no more, and any call
    // it still makes is counted.
    void closeInside(std::optional<int32_t> opcode) { closeOn_ = opcode; }
    bool closedInside() const { return closedInside_; }
    int callsAfterClose() const { return callsAfterClose_; }
    // The opcodes the object has called the host with, in the order of their first use.
    const std::vector<int32_t>& opcodesUsed() const { return opcodesUsed_; }

protected:
    // Registers with the host callback; `trace`, when not null, takes one line per call.
    ObjectHost(ModuleLibrary& library, std::FILE* trace);

    // Makes the object of `kind` through the library and returns its record; null when the host
    // closed it from inside its creation. Throws Error when the library makes none, with
    // `whenNull` at the end of the message.
    void* makeObject(int32_t kind, const std::string& whenNull);
    int32_t hostData() const { return hostData_; }
    // Texts for the trace are made only when there is one: the module waits for every answer.
    bool tracing() const { return trace_ != nullptr; }
    void traceLine(const std::string& line) const;

private:
    // The one callback every object is handed; it finds the host of a call by the record's
    // hostData. Nothing thrown may cross into the module's code.
    static HostWord TARN_CDECL route(void* record, int32_t opcode, HostWord index, int32_t value,
                                     void* ptr, float opt) noexcept;
    HostWord receive(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr, float opt);
    // The side's answer to one call from its object.
    virtual HostWord answer(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                            float opt) = 0;
    // Closes the object from inside its call with `opcode`; `record` is the one the call named.
    virtual void closeFromInside(void* record, int32_t opcode) = 0;

    ModuleLibrary& library_;
    std::FILE* trace_;
    int32_t hostData_;
    std::optional<int32_t> closeOn_;  // the host call inside which the host closes the object
    bool closedInside_ = false;
    int callsAfterClose_ = 0;
    std::vector<int32_t> opcodesUsed_;
};

}  // namespace tarnhost
