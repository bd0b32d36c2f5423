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
    // Around one call into the module: the chosen environment in, with status flags of the
    // host's own raised, and the host's own environment back out.
    class Call {
    public:
        explicit Call(const char* what);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        friend class Callback;
        friend class HostFpPolicy;
        // Whether `s` is what the call must find in callbacks and leave behind.
        bool holds(const FpState& s) const;
        FpState own_;
        FpState in_;
        bool hostCodeRan_ = false;
        uint32_t raisedFlags_ = 0;  // the MXCSR flags the host raised, before or during the call
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

    // [main] Code of the host's that runs while a call into the module is under way, but not as
    // its callback (a timer the host's thread runs from a popup menu's message loop, `what`): it
    // must find the environment the call was made in, and the status flags it raises there are
    // the host's, which the call must then give back raised.
    void hostCodeInsideCall(const char* what);

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
    unsigned calls_ = 0;
    std::string problem_;
    long long traps_ = 0;
    std::string firstTrap_;
};

}  // namespace tarnhost
