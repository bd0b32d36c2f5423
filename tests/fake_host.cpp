// FakeHost: a recording host callback for the native tests.
#include "fake_host.h"

#include <cstring>

namespace tarntest {

namespace {
std::vector<FakeHost*>& hosts() {
    static std::vector<FakeHost*> list;
    return list;
}
}  // namespace

FakeHost::FakeHost() {
    hosts().push_back(this);
    slot_ = static_cast<int32_t>(hosts().size());
}

FakeHost::~FakeHost() { hosts()[slot_ - 1] = nullptr; }

HostWord TARN_CDECL FakeHost::callback(void* record, int32_t opcode, HostWord index,
                                       int32_t value, void* ptr, float opt) {
    const ModuleRecord* r = static_cast<const ModuleRecord*>(record);
    FakeHost* host = hosts()[r->hostData - 1];
    HostCall c{opcode, index, value, ptr, opt};
    host->calls.push_back(c);
    if (host->during) host->during(c, record);
    return host->answer(c);
}

int FakeHost::count(int32_t opcode) const {
    int n = 0;
    for (const HostCall& c : calls) n += c.opcode == opcode;
    return n;
}

HostWord FakeHost::answer(const HostCall& c) {
    switch (c.opcode) {
    case HOST_GET_PIN_COUNT: return pinCount;
    case HOST_GET_SAMPLE_CLOCK: return clock;
    case HOST_GET_BLOCK_START: return blockStart;
    case HOST_GET_HANDLE: return handle;
    case HOST_GET_PIN_BUFFER: {
        std::vector<float>& b = buffers[static_cast<int32_t>(c.index)];
        if (b.empty()) b.assign(16, 0.0f);
        return reinterpret_cast<HostWord>(b.data());
    }
    case HOST_ALLOCATE_SHARED: {
        const std::string name(static_cast<const char*>(c.ptr));
        sharedNames.push_back(name);
        std::vector<float>& block = shared[name];
        if (block.empty()) block.assign(c.value, c.opt);
        if (c.index != 0) *reinterpret_cast<float**>(c.index) = block.data();
        return 1;
    }
    default: return 0;
    }
}

}  // namespace tarntest
