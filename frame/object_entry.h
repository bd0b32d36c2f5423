// The rule for every call from the host into a module object, on both sides of the frame.
//
// A call runs in the modules' floating-point environment; while the object calls the host
// back, the host's environment is in force again. Calls nest: the host may call the object from
// inside one of the object's own calls to it (a pin change reported from inside a pin write, a
// close from inside anything). A close that arrives while the object is inside one of its own
// calls takes effect when the outermost call from the host returns; from the moment it arrives
// the object makes no further call to the host and runs nothing more the host asks of it.
#pragma once

#include <cstdint>

#include "common/fp_env.h"
#include "host_interface.h"

namespace tarn {

// Per object: where its calls from the host stand.
struct EntryState {
    HostFpEnv* hostEnv = nullptr;  // saved by the innermost call from the host; null outside
    int32_t depth = 0;             // calls from the host under way
    bool closing = false;          // the host closed the object; it goes when depth is 0

    // [main or audio: the thread of the call under way] Runs `call` in the host's environment,
    // whose changes there the host keeps: a callback, or a system call that runs the host's code,
    // as a popup menu's message loop does.
    template <class Call>
    auto inHostEnv(Call call) -> decltype(call()) {
        if (hostEnv == nullptr) return call();  // not inside a call from the host
        return inHostFpEnv(*hostEnv, call);
    }
    // [main or audio: the thread of the call under way] Calls the host (`call` is the callback) in
    // the host's environment; 0 once closing.
    template <class Call>
    HostWord callHost(Call call) {
        if (closing) return 0;
        return inHostEnv(call);
    }
};

// One call from the host into an object, on the thread of the entry it guards ([main] or
// [audio]): counts the depth for the length of the call (on every
// path out, exceptions included), and destroys a closed object when the outermost call ends.
// `Object` has `entryState()` and `finishClose()` (its close work, then delete this).
template <class Object>
class ObjectEntry {
public:
    // [main or audio: the entry's]
    ObjectEntry(Object* object, HostFpEnv& hostEnv) noexcept
        : object_(object), outerEnv_(object->entryState().hostEnv) {
        EntryState& s = object_->entryState();
        s.hostEnv = &hostEnv;
        ++s.depth;
    }
    // [main or audio: the entry's] The outermost call's end finishes a close.
    ~ObjectEntry() {
        EntryState& s = object_->entryState();
        s.hostEnv = outerEnv_;
        if (--s.depth == 0 && s.closing) {
            try {
                object_->finishClose();
            } catch (...) {
            }
        }
    }
    ObjectEntry(const ObjectEntry&) = delete;
    ObjectEntry& operator=(const ObjectEntry&) = delete;

    // [main or audio: the entry's] The host closed the object earlier: nothing of this call runs.
    bool closing() const { return object_->entryState().closing; }

private:
    Object* object_;
    HostFpEnv* outerEnv_;
};

}  // namespace tarn
