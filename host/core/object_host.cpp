// The registry of hosts by hostData, the callback that routes through it, and the shared part of
// every call from an object.
#include "host/core/object_host.h"

#include <algorithm>

#include "host/core/fp_environments.h"
#include "host/core/opcode_names.h"
#include "host/io/error.h"

namespace tarnhost {

namespace {

// Every host ever registered, by hostData - 1; a host that is gone leaves null. Numbers are never
// reused, so a late call from an object whose host is gone finds nobody.
std::vector<ObjectHost*>& registry() {
    static std::vector<ObjectHost*> hosts;
    return hosts;
}

}  // namespace

ObjectHost::ObjectHost(ModuleLibrary& library, std::FILE* trace) : library_(library), trace_(trace) {
    registry().push_back(this);
    hostData_ = static_cast<int32_t>(registry().size());
}

ObjectHost::~ObjectHost() { registry()[hostData_ - 1] = nullptr; }

void* ObjectHost::makeObject(int32_t kind, const std::string& whenNull) {
    traceLine("makeModule index=0 kind=" + std::to_string(kind));
    void* record = library_.makeModule(0, kind, &route, hostData_);
    if (closedInside_) return nullptr;  // closed from inside its creation: the object is gone
    if (record == nullptr)
        throw Error(library_.path + ": makeModule(0, " + std::to_string(kind) + ") returned null" + whenNull);
    return record;
}

void ObjectHost::traceLine(const std::string& line) const {
    if (trace_ == nullptr) return;
    std::fputs(line.c_str(), trace_);
    std::fputc('\n', trace_);
}

HostWord TARN_CDECL ObjectHost::route(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                                      float opt) noexcept {
    if (record == nullptr) return 0;
    // The two records keep the host's value at different offsets; the magic tells them apart.
    const bool gui = static_cast<const GuiRecord*>(record)->magic == GUI_RECORD_MAGIC;
    const HostFpPolicy::Callback environment(opcode, gui ? &guiHostOpName : &hostOpName);
    const int32_t hostData = gui ? static_cast<const GuiRecord*>(record)->hostData
                                 : static_cast<const ModuleRecord*>(record)->hostData;
    if (hostData < 1 || hostData > static_cast<int32_t>(registry().size())) return 0;
    ObjectHost* host = registry()[hostData - 1];
    return host == nullptr ? 0 : host->receive(record, opcode, index, value, ptr, opt);
}

HostWord ObjectHost::receive(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    if (closedInside_) {
        ++callsAfterClose_;
        return 0;
    }
    if (std::find(opcodesUsed_.begin(), opcodesUsed_.end(), opcode) == opcodesUsed_.end())
        opcodesUsed_.push_back(opcode);
    if (opcode != closeOn_) return answer(record, opcode, index, value, ptr, opt);
    closedInside_ = true;
    closeFromInside(record, opcode);
    return 0;
}

}  // namespace tarnhost
