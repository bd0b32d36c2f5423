// TestHost: recorded calls and tarn-host's answers, for the native tests.
#include "test_host.h"

namespace tarntest {

namespace {
std::vector<TestHost*>& hosts() {
    static std::vector<TestHost*> list;
    return list;
}
}  // namespace

TestHost::TestHost() {
    // A free slot first: a fuzz run makes a host for every input.
    for (size_t i = 0; i < hosts().size(); ++i) {
        if (hosts()[i] != nullptr) continue;
        hosts()[i] = this;
        slot_ = static_cast<int32_t>(i + 1);
        return;
    }
    hosts().push_back(this);
    slot_ = static_cast<int32_t>(hosts().size());
}

TestHost::~TestHost() { hosts()[slot_ - 1] = nullptr; }

HostWord TARN_CDECL TestHost::callback(void* record, int32_t opcode, HostWord index, int32_t value,
                                       void* ptr, float opt) {
    // The two records keep the host's value at different offsets; the magic tells them apart.
    const bool gui = static_cast<const GuiRecord*>(record)->magic == GUI_RECORD_MAGIC;
    const int32_t slot = gui ? static_cast<const GuiRecord*>(record)->hostData
                             : static_cast<const ModuleRecord*>(record)->hostData;
    if (slot < 1 || slot > static_cast<int32_t>(hosts().size()) || hosts()[slot - 1] == nullptr) return 0;
    TestHost& host = *hosts()[slot - 1];
    const HostCall c{opcode, index, value, ptr, opt, gui};
    host.calls.push_back(c);
    if (host.during) host.during(c, record);
    return host.answer(c, record);
}

int TestHost::count(int32_t opcode) const {
    int n = 0;
    for (const HostCall& c : calls) n += c.opcode == opcode;
    return n;
}

std::vector<int32_t> TestHost::opcodes() const {
    std::vector<int32_t> ops;
    for (const HostCall& c : calls) ops.push_back(c.opcode);
    return ops;
}

HostWord TestHost::answer(const HostCall& c, void* record) {
    if (c.gui) {
        switch (c.opcode) {
        case GUI_HOST_REDRAW: ++redraws; return 0;
        case GUI_HOST_GET_PIN_TEXT: return nullText ? 0 : reinterpret_cast<HostWord>(text.c_str());
        case GUI_HOST_SET_PIN_TEXT: {
            const std::string sent = c.ptr != nullptr ? static_cast<const char*>(c.ptr) : "<null>";
            written.push_back(sent);
            if (!keepsText) text = sent;
            if (echo) {
                auto* r = static_cast<GuiRecord*>(record);
                r->dispatcher(r, GUI_PIN_CHANGED, c.index, 0, nullptr, 0);
            }
            return 0;
        }
        case GUI_HOST_CAPTURE_MOUSE: captured = true; return 0;
        case GUI_HOST_RELEASE_MOUSE: captured = false; return 0;
        case GUI_HOST_HAS_CAPTURE: return captured ? 1 : 0;
        case GUI_HOST_GET_PARENT: return parentOf(c.index);
        case GUI_HOST_GET_WINDOW: return windowOf(c.index);
        case GUI_HOST_TO_SCREEN: {
            auto* point = static_cast<int32_t*>(c.ptr);
            point[0] += screenX;
            point[1] += screenY;
            return 0;
        }
        default: return 0;
        }
    }
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
