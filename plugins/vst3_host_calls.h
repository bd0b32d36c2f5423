// The VST3 entry's floating-point environments (vst3_entry.cpp): which threads are inside a call
// into the plug-in, with the host's environment each found, and the host's objects that DPF is
// handed in their place, whose entries call the host in its own environment.
//
// A call from the host runs in the modules' environment from its outermost entry until it returns;
// a callback into the host from inside it (DPF reading the host's state stream or parameter
// queues, telling the component handler) runs in the environment that call found, whose changes
// there the host keeps, as the DLLs' frame does it. Which call a thread is in is kept in a small
// table of the plug-in's, not in a thread_local: a library's thread-local storage is allocated on
// a thread's first use of it, which may be on the host's audio thread.
#pragma once

#include <atomic>
#include <cstdint>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <pthread.h>
#endif

#include "common/fp_env.h"
#include "src/travesty/audio_processor.h"
#include "src/travesty/bstream.h"
#include "src/travesty/events.h"

namespace tarn {

// The threads inside a call into one plug-in.
class ThreadCalls {
public:
    struct Slot {
        std::atomic<uintptr_t> thread{0};  // 0: free
        HostFpEnv* hostEnv = nullptr;      // saved by the outermost call; null inside a callback
        bool choosingProgram = false;      // DPF is choosing a program on this thread
    };

    // [any] This thread's slot, or null when it is in no call.
    Slot* find() {
        const uintptr_t self = threadId();
        for (Slot& s : slots_) {
            if (s.thread.load(std::memory_order_relaxed) == self) return &s;
        }
        return nullptr;
    }
    // [any] A free slot for this thread; null when every one is taken, and then the callbacks of
    // this call run in the modules' environment.
    Slot* claim() {
        const uintptr_t self = threadId();
        for (Slot& s : slots_) {
            uintptr_t free = 0;
            if (s.thread.compare_exchange_strong(free, self, std::memory_order_acquire)) return &s;
        }
        return nullptr;
    }
    static void release(Slot* slot) { slot->thread.store(0, std::memory_order_release); }

private:
    // Threads a host calls one plug-in on at once: its main, audio and UI threads, and a few more.
    static constexpr int kSlots = 8;

    static uintptr_t threadId() {
#ifdef _WIN32
        return static_cast<uintptr_t>(GetCurrentThreadId()) + 1;  // never 0
#else
        return static_cast<uintptr_t>(pthread_self());
#endif
    }

    Slot slots_[kSlots];
};

// [any] One call from the host into the plug-in: the modules' environment from the outermost call
// on this thread (or the outermost inside a callback) until it returns, the host's given back.
class PluginCallScope {
public:
    explicit PluginCallScope(ThreadCalls& calls, X87Status status = X87Status::Kept) : slot_(calls.find()) {
        if (slot_ != nullptr && slot_->hostEnv != nullptr) return;  // inside a call already
        if (slot_ == nullptr) {
            slot_ = calls.claim();
            claimed_ = slot_ != nullptr;
        }
        enterModuleFpEnv(env_, status);
        entered_ = true;
        if (slot_ != nullptr) slot_->hostEnv = &env_;
    }
    ~PluginCallScope() {
        if (!entered_) return;
        if (slot_ != nullptr) slot_->hostEnv = nullptr;
        leaveModuleFpEnv(env_);
        if (claimed_) ThreadCalls::release(slot_);
    }
    PluginCallScope(const PluginCallScope&) = delete;
    PluginCallScope& operator=(const PluginCallScope&) = delete;

    ThreadCalls::Slot* slot() const { return slot_; }

private:
    ThreadCalls::Slot* slot_;
    HostFpEnv env_{};
    bool entered_ = false;
    bool claimed_ = false;
};

// [any] Runs `call`, host code, in the host's environment where this thread is inside a call into
// the plug-in; the host keeps what it changes there.
template <class Call>
auto callHost(ThreadCalls& calls, Call call) -> decltype(call()) {
    ThreadCalls::Slot* slot = calls.find();
    if (slot == nullptr || slot->hostEnv == nullptr) return call();
    HostFpEnv* env = slot->hostEnv;
    slot->hostEnv = nullptr;  // a call into the plug-in from inside the callback is outermost again
    struct Back {
        ThreadCalls::Slot* slot;
        HostFpEnv* env;
        ~Back() { slot->hostEnv = env; }
    } back{slot, env};
    return inHostFpEnv(*env, call);
}

// A host object handed to DPF in its place: the table first, as in every VST3 object, then the
// host's object, whose table has the same layout (Table: v3_funknown and the interface).
template <class Table>
struct HostProxy {
    const Table* table;
    void* host = nullptr;
    ThreadCalls* calls = nullptr;

    static HostProxy& of(void* self) { return *static_cast<HostProxy*>(self); }
    const Table& hostTable() const { return **static_cast<const Table* const*>(host); }
    template <class Interface>
    Interface** object() {
        return static_cast<Interface**>(static_cast<void*>(this));
    }
};

// A proxy's funknown: an interface query goes to the host's object (and answers with the host's
// own); the proxy is not counted, it lives as long as the call or the plug-in that made it.
template <class Table>
v3_funknown proxyUnknown() {
    return {[](void* self, const v3_tuid iid, void** obj) {
                HostProxy<Table>& p = HostProxy<Table>::of(self);
                return callHost(*p.calls, [&] { return p.hostTable().query_interface(p.host, iid, obj); });
            },
            [](void*) -> uint32_t { return 1; }, [](void*) -> uint32_t { return 1; }};
}

// The same entry of the host's object behind a proxy, in the host's environment.
#define TARN_HOST(T, part, entry, ...)                                                   \
    callHost(*HostProxy<T>::of(self).calls, [&] {                                        \
        HostProxy<T>& p = HostProxy<T>::of(self);                                        \
        return p.hostTable().part.entry(p.host, ##__VA_ARGS__);                          \
    })

struct StreamTable : v3_funknown {
    v3_bstream stream;
};

inline const StreamTable kStreamProxy = [] {
    using T = StreamTable;
    T t{};
    static_cast<v3_funknown&>(t) = proxyUnknown<T>();
    t.stream.read = [](void* self, void* buffer, int32_t n, int32_t* done) { return TARN_HOST(T, stream, read, buffer, n, done); };
    t.stream.write = [](void* self, void* buffer, int32_t n, int32_t* done) { return TARN_HOST(T, stream, write, buffer, n, done); };
    t.stream.seek = [](void* self, int64_t pos, int32_t mode, int64_t* result) {
        return TARN_HOST(T, stream, seek, pos, mode, result);
    };
    t.stream.tell = [](void* self, int64_t* pos) { return TARN_HOST(T, stream, tell, pos); };
    return t;
}();

// [main] The host's state stream for the length of one call.
class StreamProxy {
public:
    StreamProxy(v3_bstream** host, ThreadCalls& calls) : proxy_{&kStreamProxy, host, &calls} {}
    v3_bstream** object() { return proxy_.host != nullptr ? proxy_.object<v3_bstream>() : nullptr; }

private:
    HostProxy<StreamTable> proxy_;
};

inline const v3_param_value_queue_cpp kQueueProxy = [] {
    using T = v3_param_value_queue_cpp;
    T t{};
    static_cast<v3_funknown&>(t) = proxyUnknown<T>();
    t.queue.get_param_id = [](void* self) { return TARN_HOST(T, queue, get_param_id); };
    t.queue.get_point_count = [](void* self) { return TARN_HOST(T, queue, get_point_count); };
    t.queue.get_point = [](void* self, int32_t index, int32_t* offset, double* value) {
        return TARN_HOST(T, queue, get_point, index, offset, value);
    };
    t.queue.add_point = [](void* self, int32_t offset, double value, int32_t* index) {
        return TARN_HOST(T, queue, add_point, offset, value, index);
    };
    return t;
}();

// The host's parameter changes of a process call, and their queues as DPF asks for them. DPF uses
// a queue only until it asks for the next, so a few proxies in turn serve every queue.
struct ChangesProxy : HostProxy<v3_param_changes_cpp> {
    static constexpr uint32_t kQueues = 4;
    HostProxy<v3_param_value_queue_cpp> queues[kQueues];
    uint32_t next = 0;

    v3_param_value_queue** queue(v3_param_value_queue** host) {
        if (host == nullptr) return nullptr;
        HostProxy<v3_param_value_queue_cpp>& q = queues[next++ % kQueues];
        q = {&kQueueProxy, host, calls};
        return q.object<v3_param_value_queue>();
    }
    static ChangesProxy& of(void* self) { return *static_cast<ChangesProxy*>(self); }
};

inline const v3_param_changes_cpp kChangesProxy = [] {
    using T = v3_param_changes_cpp;
    T t{};
    static_cast<v3_funknown&>(t) = proxyUnknown<T>();
    t.changes.get_param_count = [](void* self) { return TARN_HOST(T, changes, get_param_count); };
    t.changes.get_param_data = [](void* self, int32_t index) {
        return ChangesProxy::of(self).queue(TARN_HOST(T, changes, get_param_data, index));
    };
    t.changes.add_param_data = [](void* self, v3_param_id* id, int32_t* index) {
        return ChangesProxy::of(self).queue(TARN_HOST(T, changes, add_param_data, id, index));
    };
    return t;
}();

inline const v3_event_list_cpp kEventsProxy = [] {
    using T = v3_event_list_cpp;
    T t{};
    static_cast<v3_funknown&>(t) = proxyUnknown<T>();
    t.list.get_event_count = [](void* self) { return TARN_HOST(T, list, get_event_count); };
    t.list.get_event = [](void* self, int32_t index, v3_event* event) { return TARN_HOST(T, list, get_event, index, event); };
    t.list.add_event = [](void* self, v3_event* event) { return TARN_HOST(T, list, add_event, event); };
    return t;
}();

#undef TARN_HOST

// [audio] The host's objects of a process call behind proxies, made once with the plug-in.
class ProcessProxies {
public:
    explicit ProcessProxies(ThreadCalls& calls) {
        for (ChangesProxy* c : {&inputParams_, &outputParams_}) {
            c->table = &kChangesProxy;
            c->calls = &calls;
        }
        for (HostProxy<v3_event_list_cpp>* e : {&inputEvents_, &outputEvents_}) *e = {&kEventsProxy, nullptr, &calls};
    }
    ProcessProxies(const ProcessProxies&) = delete;
    ProcessProxies& operator=(const ProcessProxies&) = delete;

    // The host's data with its parameter changes and event lists replaced by proxies.
    v3_process_data wrap(const v3_process_data& data) {
        v3_process_data ours = data;
        ours.input_params = proxy(inputParams_, data.input_params);
        ours.output_params = proxy(outputParams_, data.output_params);
        ours.input_events = proxy(inputEvents_, data.input_events);
        ours.output_events = proxy(outputEvents_, data.output_events);
        return ours;
    }

private:
    template <class Proxy, class Interface>
    static Interface** proxy(Proxy& p, Interface** host) {
        if (host == nullptr) return nullptr;
        p.host = host;
        return p.template object<Interface>();
    }

    ChangesProxy inputParams_;
    ChangesProxy outputParams_;
    HostProxy<v3_event_list_cpp> inputEvents_;
    HostProxy<v3_event_list_cpp> outputEvents_;
};

}  // namespace tarn
