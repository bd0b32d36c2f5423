// The modules' own floating-point environment: entered at every call from a host, left on the
// way back, with the host's environment given back exactly.
//
// The modules' environment: every x87 and SSE exception masked, round to nearest, no
// flush-to-zero, no denormals-are-zero, x87 precision 64 bits. A host may run with anything
// else: exceptions unmasked (a NaN compare would trap), another rounding mode (table indices
// would move), flush-to-zero (samples would change), 24 or 53 bits of x87 precision (the table
// build carries extended precision). So the modules compute in their own environment, and the
// host gets its own back, control and status words of both units, when the call returns.
//
// When the host already runs in the modules' environment, entering costs a read of both control
// words and a compare, and leaving a write of MXCSR (its status flags back as they were); only a
// host with another environment pays for the whole swap. The x87 status word, slow to read on
// some processors, is kept by the full scope (every entry but the process functions) and, on
// the process path, by the code that uses x87 instructions there (see X87StatusKeeper). Header
// only, no operating system: the signal cores, the frame and every front-end share it.
#pragma once

#include <cstdint>
#include <cstring>

namespace tarn {

// x87 control word: all six exception masks, precision 64 bits, rounding to nearest.
constexpr uint16_t kModuleX87Control = 0x037F;
// The x87 control bits that matter: masks, precision, rounding (not the reserved bits).
constexpr uint16_t kX87ControlBits = 0x0F3F;
// MXCSR: all six exception masks, rounding to nearest, no flush-to-zero, no denormals-are-zero.
constexpr uint32_t kModuleMxcsr = 0x1F80;
// Everything of MXCSR but its six status flags.
constexpr uint32_t kMxcsrControlBits = 0xFFC0;

// What a host had in force when it called in.
struct HostFpEnv {
    uint32_t mxcsr;
    uint16_t x87Control;
    uint16_t x87Status;
    bool swapped;            // the host's environment differed: it was saved whole
    bool keepsX87Status;     // the x87 status word was read and is given back
    unsigned char x87[28];   // the whole x87 environment, when swapped
};

// Whether to read and give back the x87 status word on the fast path.
enum class X87Status { Kept, LeftToTheCode };

namespace fpenv_detail {

#if defined(__i386__) || defined(__x86_64__)
// Out of line, so that the x87 register stack is empty here (the calling convention asks it)
// and the saved tag word stays true.
[[gnu::noinline]] inline void swapIn(HostFpEnv& host) {
    __asm__ volatile("fnstenv %0" : "=m"(*reinterpret_cast<unsigned char(*)[28]>(host.x87)));
    const uint16_t control = kModuleX87Control;
    const uint32_t mxcsr = kModuleMxcsr;
    // fnclex first: a host's pending unmasked x87 exception must not fire inside the module.
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(control));
    __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr));
}

[[gnu::noinline]] inline void swapOut(const HostFpEnv& host) {
    __asm__ volatile("ldmxcsr %0" : : "m"(host.mxcsr));
    __asm__ volatile("fldenv %0" : : "m"(*reinterpret_cast<const unsigned char(*)[28]>(host.x87)));
}

// The x87 status word can only be written as part of the whole environment.
[[gnu::noinline]] inline void restoreX87Status(uint16_t status) {
    unsigned char env[28];
    __asm__ volatile("fnstenv %0" : "=m"(env));
    std::memcpy(env + 4, &status, sizeof status);
    __asm__ volatile("fldenv %0" : : "m"(env));
}

inline uint16_t readX87Status() {
    uint16_t status;
    __asm__ volatile("fnstsw %0" : "=m"(status));
    return status;
}
#endif

}  // namespace fpenv_detail

// Saves the host's environment and puts the modules' in force.
inline void enterModuleFpEnv(HostFpEnv& host, X87Status status = X87Status::Kept) {
#if defined(__i386__) || defined(__x86_64__)
    __asm__ volatile("stmxcsr %0\n\tfnstcw %1" : "=m"(host.mxcsr), "=m"(host.x87Control));
    host.swapped = (host.mxcsr & kMxcsrControlBits) != kModuleMxcsr ||
                   (host.x87Control & kX87ControlBits) != (kModuleX87Control & kX87ControlBits);
    host.keepsX87Status = status == X87Status::Kept;
    if (host.swapped) fpenv_detail::swapIn(host);
    else if (host.keepsX87Status) host.x87Status = fpenv_detail::readX87Status();
#else
    (void)status;
    host.swapped = false;
#endif
}

// Gives the host back exactly the environment enterModuleFpEnv saved, status flags included.
inline void leaveModuleFpEnv(const HostFpEnv& host) {
#if defined(__i386__) || defined(__x86_64__)
    if (host.swapped) {
        fpenv_detail::swapOut(host);
        return;
    }
    // Cheaper than reading MXCSR to see whether a status flag was raised.
    __asm__ volatile("ldmxcsr %0" : : "m"(host.mxcsr));
    if (host.keepsX87Status && fpenv_detail::readX87Status() != host.x87Status)
        fpenv_detail::restoreX87Status(host.x87Status);
#else
    (void)host;
#endif
}

// The modules' environment for the life of the scope.
class ModuleFpScope {
public:
    explicit ModuleFpScope(X87Status status = X87Status::Kept) { enterModuleFpEnv(host_, status); }
    ~ModuleFpScope() { leaveModuleFpEnv(host_); }
    ModuleFpScope(const ModuleFpScope&) = delete;
    ModuleFpScope& operator=(const ModuleFpScope&) = delete;
    HostFpEnv& host() { return host_; }

private:
    HostFpEnv host_;
};

// Runs `call` (a call into host code) in the host's environment, from inside a scope that
// saved it; the host may change its environment there, and keeps the change.
template <class Call>
auto inHostFpEnv(HostFpEnv& host, Call call) -> decltype(call()) {
    leaveModuleFpEnv(host);
    struct Back {
        HostFpEnv& host;
        ~Back() { enterModuleFpEnv(host, host.keepsX87Status ? X87Status::Kept : X87Status::LeftToTheCode); }
    } back{host};
    return call();
}

// The calls from a host into one object on one thread (a plug-in's window) that may nest and may
// call the host from inside: the modules' environment from the outermost entry, or the outermost
// inside a call to the host, until it returns; a call to the host (inHostEnv) in the host's
// environment, whose changes there the host keeps. The object may be destroyed inside one of its
// entries (a host closing a window from its own code run in a popup menu's loop): the entries
// under way then only give the host its environment back.
class NestedFpEntries {
public:
    class Entry {
    public:
        explicit Entry(NestedFpEntries& entries) {
            if (entries.top_ != nullptr && !entries.top_->out_) return;  // inside an entry already
            owner_ = true;
            entries_ = &entries;
            next_ = entries.top_;
            entries.top_ = this;
            enterModuleFpEnv(host_);
        }
        ~Entry() {
            if (!owner_) return;
            if (entries_ != nullptr) entries_->top_ = next_;
            leaveModuleFpEnv(host_);
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

    private:
        friend class NestedFpEntries;

        bool owner_ = false;                  // entered the modules' environment
        NestedFpEntries* entries_ = nullptr;  // while the object lives
        Entry* next_ = nullptr;               // the entry under way before this one
        HostFpEnv host_{};
        bool out_ = false;                    // calling the host
    };

    NestedFpEntries() = default;
    ~NestedFpEntries() {
        for (Entry* e = top_; e != nullptr; e = e->next_) e->entries_ = nullptr;
    }
    NestedFpEntries(const NestedFpEntries&) = delete;
    NestedFpEntries& operator=(const NestedFpEntries&) = delete;

    // Runs `call` (the host's code, or a system call that runs it) in the host's environment
    // when inside an entry. The object may be gone when it returns.
    template <class Call>
    auto inHostEnv(Call call) -> decltype(call()) {
        Entry* entry = top_;
        if (entry == nullptr || entry->out_) return call();
        entry->out_ = true;
        struct Back {
            Entry* entry;
            ~Back() { entry->out_ = false; }
        } back{entry};
        return inHostFpEnv(entry->host_, call);
    }

private:
    Entry* top_ = nullptr;  // the innermost entry under way that entered the modules' environment
};

// Around x87 code on a path whose scope leaves the x87 status word to the code: the status
// flags that code raises are taken back. Costs a read of the status word each way.
class X87StatusKeeper {
public:
#if defined(__i386__) || defined(__x86_64__)
    X87StatusKeeper() : status_(fpenv_detail::readX87Status()) {}
    ~X87StatusKeeper() {
        if (fpenv_detail::readX87Status() != status_) fpenv_detail::restoreX87Status(status_);
    }
#endif
    X87StatusKeeper(const X87StatusKeeper&) = delete;
    X87StatusKeeper& operator=(const X87StatusKeeper&) = delete;

private:
    [[maybe_unused]] uint16_t status_ = 0;
};

}  // namespace tarn
