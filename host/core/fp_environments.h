// Floating-point environments a host may run its threads in, by name, and the host's side of
// putting one in force around its calls into a module and checking what comes back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnhost {

// The control words of both units.
struct FpControl {
    uint32_t mxcsr;
    uint16_t x87Control;
};

// Control and status words of both units, as read at one moment.
struct FpState {
    uint32_t mxcsr;
    uint16_t x87Control;
    uint16_t x87Status;
    bool operator==(const FpState& o) const {
        return mxcsr == o.mxcsr && x87Control == o.x87Control && x87Status == o.x87Status;
    }
    bool operator!=(const FpState& o) const { return !(*this == o); }
    std::string describe() const;
};

struct FpEnvironment {
    const char* name;
    const char* what;
    FpControl control;
};

// "default" first: every exception masked, round to nearest, no flush-to-zero, 64-bit x87.
const std::vector<FpEnvironment>& fpEnvironments();
const FpEnvironment* findFpEnvironment(const std::string& name);
constexpr const char* kDefaultFpEnvironment = "default";

FpState readFpState();
// Clears both units' status flags, then sets both control words.
void setFpControl(const FpControl& control);
// Puts a state back exactly, status flags included.
void restoreFpState(const FpState& state);

#if defined(_WIN32)
// True for the exception codes Windows raises when an exception of either unit traps.
bool isFloatingPointTrap(uint32_t code);
#endif

// The host's environment for its calls into a module, the "default" one unless chosen. While a
// call is under way, the state the host put in force is what a callback must find and what the
// call must leave behind; the first call that broke either is kept as a problem.
class HostFpPolicy {
public:
    static HostFpPolicy& instance();
    // [main] From now on every call into a module runs in `environment`.
    void choose(const FpEnvironment& environment);
    const FpEnvironment& chosen() const { return *chosen_; }
    bool isDefault() const;

    class Callback;
    // Around one call into the module: the chosen environment in, the host's own back out.
    class Call {
    public:
        explicit Call(const char* what);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        friend class Callback;
        FpState own_;
        FpState in_;
        const char* what_;
        Call* outer_;
    };
    // Around one callback from the module: the state found must be the one the innermost call
    // put in; the callback's body runs in the host's own environment, and the state found is
    // put back exactly on the way out.
    class Callback {
    public:
        // `name` gives the opcode's name, made only for a message.
        Callback(int32_t opcode, std::string (*name)(int32_t));
        ~Callback();
        Callback(const Callback&) = delete;
        Callback& operator=(const Callback&) = delete;

    private:
        FpState found_;
        bool inside_;
    };

    // The first broken promise ("" while none), and floating-point traps seen in module code.
    const std::string& problem() const { return problem_; }
    long long traps() const { return traps_; }
    const std::string& firstTrap() const { return firstTrap_; }
    // [main] Forgets the problem and the traps seen so far.
    void reset();
    void noteTrap(const std::string& where);

private:
    HostFpPolicy();
    void note(const std::string& problem);

    const FpEnvironment* chosen_;
    Call* innermost_ = nullptr;
    std::string problem_;
    long long traps_ = 0;
    std::string firstTrap_;
};

}  // namespace tarnhost
