// The named floating-point environments and the host's side of calling a module in one.
#include "host/core/fp_environments.h"

#include <cstring>

#include "host/io/number_text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace tarnhost {

namespace {

constexpr uint32_t kMxcsrDefault = 0x1F80;
constexpr uint16_t kX87Default = 0x037F;
// MXCSR: masks of invalid, denormal, divide-by-zero, overflow, underflow; rounding; FZ; DAZ.
constexpr uint32_t kMxcsrInvalid = 0x0080, kMxcsrDenormal = 0x0100, kMxcsrDivide = 0x0200,
                   kMxcsrOverflow = 0x0400, kMxcsrUnderflow = 0x0800;
constexpr uint32_t kMxcsrDown = 0x2000, kMxcsrUp = 0x4000, kMxcsrZero = 0x6000;
constexpr uint32_t kMxcsrFtz = 0x8000, kMxcsrDaz = 0x0040;
// x87 control word: the same five masks in its low bits; rounding; precision.
constexpr uint16_t kX87FiveMasks = 0x001F;
constexpr uint16_t kX87Down = 0x0400, kX87Up = 0x0800, kX87Zero = 0x0C00;
constexpr uint16_t kX87Precision = 0x0300, kX87Precision24 = 0x0000, kX87Precision53 = 0x0200;

}  // namespace

const std::vector<FpEnvironment>& fpEnvironments() {
    const uint32_t m = kMxcsrDefault;
    const uint16_t x = kX87Default;
    static const std::vector<FpEnvironment> list = {
        {"default", "every exception masked, round to nearest, no flush-to-zero, 64-bit x87", {m, x}},
        {"sse-invalid", "SSE invalid-operation exception unmasked", {m & ~kMxcsrInvalid, x}},
        {"sse-divide", "SSE divide-by-zero exception unmasked", {m & ~kMxcsrDivide, x}},
        {"sse-overflow", "SSE overflow exception unmasked", {m & ~kMxcsrOverflow, x}},
        {"sse-underflow", "SSE underflow exception unmasked", {m & ~kMxcsrUnderflow, x}},
        {"sse-denormal", "SSE denormal-operand exception unmasked", {m & ~kMxcsrDenormal, x}},
        {"sse-all",
         "SSE invalid, denormal, divide-by-zero, overflow and underflow exceptions unmasked",
         {m & ~(kMxcsrInvalid | kMxcsrDenormal | kMxcsrDivide | kMxcsrOverflow | kMxcsrUnderflow), x}},
        {"x87-all", "x87 invalid, denormal, divide-by-zero, overflow and underflow exceptions unmasked",
         {m, static_cast<uint16_t>(x & ~kX87FiveMasks)}},
        {"round-down", "rounding down in both units", {m | kMxcsrDown, static_cast<uint16_t>(x | kX87Down)}},
        {"round-up", "rounding up in both units", {m | kMxcsrUp, static_cast<uint16_t>(x | kX87Up)}},
        {"round-zero", "rounding toward zero in both units", {m | kMxcsrZero, static_cast<uint16_t>(x | kX87Zero)}},
        {"ftz-daz", "SSE flush-to-zero and denormals-are-zero", {m | kMxcsrFtz | kMxcsrDaz, x}},
        {"x87-24bit", "x87 precision 24 bits", {m, static_cast<uint16_t>((x & ~kX87Precision) | kX87Precision24)}},
        {"x87-53bit", "x87 precision 53 bits", {m, static_cast<uint16_t>((x & ~kX87Precision) | kX87Precision53)}},
    };
    return list;
}

const FpEnvironment* findFpEnvironment(const std::string& name) {
    for (const FpEnvironment& e : fpEnvironments())
        if (name == e.name) return &e;
    return nullptr;
}

std::string FpState::describe() const {
    return "MXCSR " + hex(mxcsr) + ", x87 control " + hex(x87Control) + ", x87 status " + hex(x87Status);
}

#if defined(__i386__) || defined(__x86_64__)
FpState readFpState() {
    FpState s;
    __asm__ volatile("stmxcsr %0\n\tfnstcw %1\n\tfnstsw %2" : "=m"(s.mxcsr), "=m"(s.x87Control), "=m"(s.x87Status));
    return s;
}

void setFpControl(const FpControl& c) {
    const uint32_t mxcsr = c.mxcsr & ~0x3Fu;
    __asm__ volatile("fnclex\n\tfldcw %0" : : "m"(c.x87Control));
    __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr));
}

// Out of line: the x87 register stack is empty at a call.
[[gnu::noinline]] void restoreFpState(const FpState& s) {
    unsigned char env[28];
    __asm__ volatile("fnstenv %0" : "=m"(env));
    std::memcpy(env, &s.x87Control, 2);
    std::memcpy(env + 4, &s.x87Status, 2);
    __asm__ volatile("fldenv %0" : : "m"(env));
    __asm__ volatile("ldmxcsr %0" : : "m"(s.mxcsr));
}
#else
FpState readFpState() { return {kMxcsrDefault, kX87Default, 0}; }
void setFpControl(const FpControl&) {}
void restoreFpState(const FpState&) {}
#endif

#if defined(_WIN32)
bool isFloatingPointTrap(uint32_t code) {
    switch (code) {
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case 0xC00002B4:  // STATUS_FLOAT_MULTIPLE_FAULTS
    case 0xC00002B5:  // STATUS_FLOAT_MULTIPLE_TRAPS
        return true;
    default:
        return false;
    }
}
#endif

namespace {

#if defined(_WIN32)
// A trap in module code is counted; the faulting thread goes on with every exception masked and
// the flags cleared, so the rest of the run can still be judged.
LONG CALLBACK trapHandler(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (!isFloatingPointTrap(code)) return EXCEPTION_CONTINUE_SEARCH;
    CONTEXT* c = info->ContextRecord;
#if defined(_WIN64)
    c->MxCsr = (c->MxCsr | 0x1F80) & ~0x3Fu;
    c->FltSave.MxCsr = c->MxCsr;
    c->FltSave.ControlWord |= 0x3F;
    c->FltSave.StatusWord &= ~0x80FF;
#else
    c->FloatSave.ControlWord |= 0x3F;
    c->FloatSave.StatusWord &= ~0x80FF;
    DWORD mxcsr;
    std::memcpy(&mxcsr, c->ExtendedRegisters + 24, 4);
    mxcsr = (mxcsr | 0x1F80) & ~0x3Fu;
    std::memcpy(c->ExtendedRegisters + 24, &mxcsr, 4);
    // The FXSAVE image holds the x87 words too; they are the ones restored.
    uint16_t fcw, fsw;
    std::memcpy(&fcw, c->ExtendedRegisters, 2);
    std::memcpy(&fsw, c->ExtendedRegisters + 2, 2);
    fcw |= 0x3F;
    fsw &= ~0x80FF;
    std::memcpy(c->ExtendedRegisters, &fcw, 2);
    std::memcpy(c->ExtendedRegisters + 2, &fsw, 2);
#endif
    HostFpPolicy::instance().noteTrap("exception " + hex(static_cast<uint32_t>(code)) + " at " +
                                      hex(reinterpret_cast<uintptr_t>(info->ExceptionRecord->ExceptionAddress)));
    return EXCEPTION_CONTINUE_EXECUTION;
}
#endif

}  // namespace

HostFpPolicy& HostFpPolicy::instance() {
    static HostFpPolicy policy;
    return policy;
}

HostFpPolicy::HostFpPolicy() : chosen_(&fpEnvironments().front()) {}

void HostFpPolicy::choose(const FpEnvironment& environment) {
    chosen_ = &environment;
#if defined(_WIN32)
    static PVOID handler = nullptr;
    if (handler == nullptr && !isDefault()) handler = AddVectoredExceptionHandler(1, &trapHandler);
#endif
}

bool HostFpPolicy::isDefault() const { return std::strcmp(chosen_->name, kDefaultFpEnvironment) == 0; }

void HostFpPolicy::reset() {
    problem_.clear();
    traps_ = 0;
    firstTrap_.clear();
}

void HostFpPolicy::note(const std::string& problem) {
    if (problem_.empty()) problem_ = problem;
}

void HostFpPolicy::noteTrap(const std::string& where) {
    if (traps_++ == 0) firstTrap_ = where;
}

namespace {

// Sticky status flags the host has raised before a call, which the call must give back as they
// were, neither cleared nor joined by its own. The two patterns take turns, so that every flag is
// seen set and clear; on the x87 only flags whose exceptions are masked are raised, as a set
// unmasked one would trap at the host's next x87 instruction.
constexpr uint32_t kHostFlagPatterns[2] = {0x15, 0x2A};
constexpr uint32_t kStatusFlags = 0x3F;

void raiseHostFlags(uint32_t pattern) {
    FpState s = readFpState();
    s.mxcsr |= pattern;
    s.x87Status = static_cast<uint16_t>(s.x87Status | (pattern & s.x87Control & kStatusFlags));
    restoreFpState(s);
}

}  // namespace

HostFpPolicy::Call::Call(const char* what)
    : own_(readFpState()), what_(what), outer_(instance().innermost_) {
    HostFpPolicy& p = instance();
    setFpControl(p.chosen_->control);
    raiseHostFlags(kHostFlagPatterns[p.calls_++ % 2]);
    in_ = readFpState();
    raisedFlags_ = in_.mxcsr & kStatusFlags;
    p.innermost_ = this;
}

// Once code of the host's ran inside the call, so may have the system's (a popup menu's message
// loop and drawing), which raises status flags of its own, and on x86-64 does not keep the x87
// status word nor flags raised in a callback: the controls must be the host's, and the MXCSR
// flags the host raised, before the call and in its code during it, still set.
bool HostFpPolicy::Call::holds(const FpState& s) const {
    if (!hostCodeRan_) return s == in_;
    return (s.mxcsr & ~kStatusFlags) == (in_.mxcsr & ~kStatusFlags) && s.x87Control == in_.x87Control &&
           (s.mxcsr & raisedFlags_) == raisedFlags_;
}

HostFpPolicy::Call::~Call() {
    HostFpPolicy& p = instance();
    const FpState out = readFpState();
    if (!holds(out))
        p.note(std::string(what_) + " left the host's floating-point environment changed: " + in_.describe() +
               (hostCodeRan_ ? " with the flags the host's code raised during it, " : " before, ") + out.describe() +
               " after");
    p.innermost_ = outer_;
    restoreFpState(own_);
}

void HostFpPolicy::hostCodeInsideCall(const char* what) {
    if (innermost_ == nullptr) return;
    Call& call = *innermost_;
    const FpState found = readFpState();
    call.hostCodeRan_ = true;
    if (!call.holds(found)) {
        note(std::string("the host's ") + what + " during " + call.what_ +
             " ran in another floating-point environment than the host's own: " + found.describe() + " instead of " +
             call.in_.describe());
        return;
    }
#if defined(__i386__)
    // The host's code raises the flags it had not raised yet. On x86-64 the system gives a
    // callback's caller back the MXCSR it had, whatever the callback did: a change there is no
    // one's to keep.
    FpState changed = found;
    changed.mxcsr |= kStatusFlags;
    restoreFpState(changed);
    call.in_ = changed;
    call.raisedFlags_ = kStatusFlags;
#endif
}

HostFpPolicy::Callback::Callback(int32_t opcode, std::string (*name)(int32_t))
    : found_(readFpState()), inside_(instance().innermost_ != nullptr) {
    HostFpPolicy& p = instance();
    if (!inside_) return;
    if (!p.innermost_->holds(found_))
        p.note("the host's " + name(opcode) + " ran in another floating-point environment than the host's own: " +
               found_.describe() + " instead of " + p.innermost_->in_.describe());
    restoreFpState(p.innermost_->own_);
}

HostFpPolicy::Callback::~Callback() {
    if (inside_) restoreFpState(found_);
}

}  // namespace tarnhost
