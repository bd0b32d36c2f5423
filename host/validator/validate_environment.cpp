// The validator's batteries for what a host may do around a module's code: run its threads in
// any floating-point environment (fpenv.*), close an object from inside any call the object
// makes to it (reentry.*), run out of memory (load.out-of-memory.*), and take the mouse back
// after a popup menu (panel.capture-after-menu).
#include <windows.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>

#include "common/pin_values.h"
#include "host/core/fp_environments.h"
#include "host/core/import_watch.h"
#include "host/core/menu_driver.h"
#include "host/core/opcode_names.h"
#include "host/io/error.h"
#include "host/io/number_text.h"
#include "host/validator/validate_probe.h"
#include "host/validator/validator.h"

namespace tarnhost {

namespace {

// What one run of the floating-point battery gave: every output frame, every text the panel
// wrote back, and a hash of every painted panel.
struct BatteryOutput {
    std::vector<float> samples;
    std::vector<std::string> texts;
    std::vector<uint64_t> paints;
};

uint64_t pixelHash(const std::vector<uint32_t>& pixels) {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t p : pixels) h = (h ^ p) * 1099511628211ull;
    return h;
}

// Texts that overflow, underflow or say nothing, then random ones of the module's grammar.
std::vector<std::string> batteryTexts(Validator& v, const TextGrammar& grammar) {
    std::vector<std::string> texts = grammar.edgeTexts;
    RandomTexts random(grammar, v.seed());
    for (int i = 0; i < v.scaled(20); ++i) texts.push_back(random.next());
    return texts;
}

// A press that may open a popup menu: dismissed, so that the run never waits for a person.
void pressDismissing(GuiHost& gui, int x, int y) {
    MenuDriver menu;
    menu.start({});
    gui.press(x, y);
    menu.finish();
}

// A rate low enough that a high pitch steps past a whole cycle per sample.
constexpr float kLowRate = 4000.0f;

// The signal object at one rate: every input held at every special value, every choice, every
// text, then random events.
void signalBattery(Validator& v, float rate, const std::vector<std::string>& texts, BatteryOutput& out) {
    Probe p = makeProbe(v, rate, 64);
    auto block = [&] {
        p.run(0, 64);
        if (const float* o = p.host->output()) out.samples.insert(out.samples.end(), o, o + 64);
    };
    for (int i = 0; i < p.host->pinCount(); ++i) {
        const PinProperties& pin = p.host->pin(i);
        if (pin.direction != DIR_IN) continue;
        if (pin.datatype == DT_AUDIO) {
            const float before = p.audio[i];
            for (float value : kSpecialValues) {
                p.setAudio(i, value);
                block();
                block();
            }
            p.setAudio(i, before);
        } else if (pin.datatype == DT_ENUM) {
            const int16_t before = p.choices[i];
            for (const auto& choice : tarn::parseChoiceList(pin.enumList != nullptr ? pin.enumList : "")) {
                p.setChoice(i, static_cast<int16_t>(choice.second));
                block();
            }
            p.setChoice(i, before);
        } else if (pin.datatype == DT_TEXT) {
            for (const std::string& t : texts) {
                p.host->setText(i, t);
                block();
            }
        }
    }
    std::mt19937_64 r(v.seed());
    for (int b = 0; b < 20; ++b) {
        const uint64_t x = r();
        p.host->event(x % 3 == 0 ? EV_DATA : EV_PIN_STATUS, static_cast<intptr_t>((x >> 8) % (p.host->pinCount() + 2)),
                      static_cast<int32_t>((x >> 16) % 3));
        block();
    }
}

// The panel reading the texts and painting, a drag, and menu commands walked at random, each walk
// in an instance of its own.
void panelBattery(Validator& v, const std::vector<std::string>& texts, BatteryOutput& out) {
    const std::string& dragged = v.specifics().text.edgeTexts.back();
    auto paint = [&](Instance& in) {
        in.gui->paint();
        out.paints.push_back(pixelHash(in.gui->pixels()));
    };
    {
        Instance in(v);
        for (const std::string& t : texts) {
            in.pinChange(t);
            paint(in);
        }
        in.pinChange(dragged);
        pressDismissing(*in.gui, in.gui->width() / 2, in.gui->height() / 2);
        in.gui->move(in.gui->width() / 2, in.gui->height() / 5);
        in.gui->move(in.gui->width() / 4, in.gui->height() * 9 / 10);
        in.gui->release();
        out.texts.push_back(in.text());
        paint(in);
    }
    for (uint64_t walk : {v.seed(), v.seed() + 1}) {
        Instance in(v);
        in.pinChange(dragged);
        MenuDriver menu;
        menu.startRandom(walk);
        in.gui->press(5, 5);
        menu.finish();
        in.gui->release();
        out.texts.push_back(in.text());
        paint(in);
    }
}

// The C library generator's state on a thread that has not drawn yet.
constexpr unsigned kFreshGeneratorSeed = 1;

// Deterministic for a seed. The signal side runs at the usual rate and at a low one, where a
// high pitch takes other paths (a phase that wraps past a whole cycle per sample). Choices and
// menu commands that draw from the C library's generator draw the same numbers in every run:
// its state is the thread's, and moves on with every run, so each run starts it afresh.
BatteryOutput runBattery(Validator& v) {
    BatteryOutput out;
    seedImportedRand(v.library().handle(), kFreshGeneratorSeed);
    const std::vector<std::string> texts = batteryTexts(v, v.specifics().text);
    signalBattery(v, 44100.0f, texts, out);
    signalBattery(v, kLowRate, {}, out);
    if (hasPanel(v)) panelBattery(v, texts, out);
    return out;
}

// Where a run differs from the default environment's, or "".
std::string firstDifference(const BatteryOutput& a, const BatteryOutput& reference) {
    if (a.samples.size() != reference.samples.size())
        return "it wrote " + std::to_string(a.samples.size()) + " frames, in the default environment " +
               std::to_string(reference.samples.size());
    for (size_t k = 0; k < a.samples.size(); ++k) {
        if (std::memcmp(&a.samples[k], &reference.samples[k], 4) != 0)
            return "frame " + std::to_string(k) + " is " + formatFloat(a.samples[k]) + ", in the default environment " +
                   formatFloat(reference.samples[k]);
    }
    if (a.texts != reference.texts) return "the panel wrote another text than in the default environment";
    if (a.paints != reference.paints) return "the panel painted other pixels than in the default environment";
    return "";
}

Verdict inEnvironment(Validator& v, const FpEnvironment& environment, const BatteryOutput* reference,
                      BatteryOutput* ran = nullptr) {
    HostFpPolicy& policy = HostFpPolicy::instance();
    policy.reset();
    policy.choose(environment);
    BatteryOutput got;
    try {
        got = runBattery(v);
    } catch (...) {
        policy.choose(*findFpEnvironment(kDefaultFpEnvironment));
        throw;
    }
    policy.choose(*findFpEnvironment(kDefaultFpEnvironment));
    if (ran != nullptr) *ran = got;
    if (policy.traps() > 0)
        return Verdict::fail(std::to_string(policy.traps()) + " floating-point traps in the module, the first: " +
                             policy.firstTrap());
    if (!policy.problem().empty()) return Verdict::fail(policy.problem());
    if (reference == nullptr) return Verdict::pass();
    const std::string difference = firstDifference(got, *reference);
    if (!difference.empty()) return Verdict::fail(difference);
    return Verdict::pass();
}

void floatingPointEnvironments(Validator& v) {
    // The default environment's run is judged, and is the reference of every other (run on its
    // own when a filter left the default check out).
    std::optional<BatteryOutput> reference;
    v.check("fpenv.default", [&] {
        BatteryOutput ran;
        const Verdict verdict = inEnvironment(v, fpEnvironments().front(), nullptr, &ran);
        reference = std::move(ran);
        return verdict;
    });
    for (const FpEnvironment& e : fpEnvironments()) {
        if (std::strcmp(e.name, kDefaultFpEnvironment) == 0) continue;
        v.check(std::string("fpenv.") + e.name, [&] {
            if (!reference) reference = runBattery(v);
            return inEnvironment(v, e, &*reference);
        });
    }
}

// --- closes from inside the object's own calls ---

struct CloseOutcome {
    bool closed = false;
    int callsAfter = 0;
    int buffersTouchedAfter = 0;
};

// A signal object through a life that makes every call it makes: creation, pins, open, every
// input changed, blocks, the gate closed (silence, then sleep) and a text. The host closes it
// from inside the first call with `opcode` (none: never) and calls it no more.
CloseOutcome signalLife(Validator& v, std::optional<int32_t> opcode, std::vector<int32_t>* used = nullptr) {
    SignalHost host(v.library(), nullptr);
    host.closeInside(opcode);
    host.create();
    host.setSampleRate(44100.0f);
    host.setBlockSize(64);
    host.queryPins();
    host.open();
    std::vector<float> out;
    host.render(128, out);
    const std::vector<GatedInput>& gated = v.specifics().gated;
    const int gatePin = gated.empty() ? -1 : host.findPin(gated.front().pin);
    if (gatePin >= 0) {
        host.setAudio(gatePin, 0.0f);
        host.render(256, out);
    }
    const int text = host.textPin();
    if (text >= 0) host.setText(text, v.specifics().text.first);
    host.render(64, out);
    if (used != nullptr) *used = host.opcodesUsed();
    return {host.closedInside(), host.callsAfterClose(), host.buffersTouchedAfterClose()};
}

// The panel of an instance through creation, opening, a paint, a drag, a release that writes
// its text, and a press in its menu strip (a menu that opens is dismissed).
CloseOutcome panelLife(Validator& v, SignalHost& signal, HWND window, std::optional<int32_t> opcode, std::vector<int32_t>* used = nullptr) {
    GuiHost gui(v.library(), signal, nullptr);
    gui.closeInside(opcode);
    gui.create();
    if (gui.isOpen()) {
        gui.adoptWindow(window);
        gui.open();
        gui.paint();
        pressDismissing(gui, gui.width() / 2, gui.height() / 2);
        gui.move(gui.width() / 2, gui.height() / 5);
        gui.release();
        if (gui.isOpen()) {
            pressDismissing(gui, 5, 5);
            gui.release();
        }
    }
    if (used != nullptr) *used = gui.opcodesUsed();
    return {gui.closedInside(), gui.callsAfterClose()};
}

Verdict judgeClose(Validator& v, const std::function<CloseOutcome()>& life) {
    const CloseOutcome once = life();
    if (!once.closed) return Verdict::fail("the object made no such call this time");
    if (once.callsAfter > 0)
        return Verdict::fail(std::to_string(once.callsAfter) + " calls to the host after the host closed it");
    if (once.buffersTouchedAfter > 0)
        return Verdict::fail("it read or wrote " + std::to_string(once.buffersTouchedAfter) +
                             " of the host's buffers after the host closed it");
    // Freed once: nothing of many lives in a row stays allocated.
    return cyclesLeaveNothing(v, [&] { life(); });
}

void closesInsideCalls(Validator& v) {
    std::vector<int32_t> used;
    signalLife(v, std::nullopt, &used);
    for (int32_t opcode : used) {
        v.check("reentry.signal." + hostOpName(opcode), [&] {
            return judgeClose(v, [&] { return signalLife(v, opcode); });
        });
    }
    if (!hasPanel(v)) return;
    Instance in(v);
    panelLife(v, in.signal, in.gui->window(), std::nullopt, &used);
    for (int32_t opcode : used) {
        v.check("reentry.panel." + guiHostOpName(opcode), [&] {
            return judgeClose(v, [&] { return panelLife(v, in.signal, in.gui->window(), opcode); });
        });
    }
}

// --- allocations refused, as when memory runs out ---

// Runs `life` with the n-th allocation it asks of the module's heap refused, for every n up to
// what a life asks for. The module may give up what it was doing (makeModule answers null, an
// operation does nothing), but nothing it allocated may stay allocated once its objects are
// closed. Every n runs twice and only the second is judged: a module's first exception on a
// thread allocates what the C++ runtime keeps for that thread.
Verdict outOfMemory(Validator& v, const std::function<void()>& life) {
    watchImports(v.library().handle());
    auto lifeMadeOrNot = [&] {
        try {
            life();
        } catch (const Error&) {
            // makeModule answered null: the right answer when memory runs out
        }
    };
    lifeMadeOrNot();
    long long asks = 0;
    {
        HeapLedger ledger;
        lifeMadeOrNot();
        asks = ledger.asked();
    }
    if (asks == 0) return Verdict::note("a life allocates nothing through the watched imports");
    for (int judged = 0; judged < 2; ++judged) {
        for (long long n = 1; n <= asks; ++n) {
            HeapLedger ledger;
            ledger.refuseAllocation(n);
            lifeMadeOrNot();
            if (judged == 1 && ledger.liveBlocks() > 0)
                return Verdict::fail("with allocation " + std::to_string(n) + " of " + std::to_string(asks) +
                                     " refused, " + std::to_string(ledger.liveBlocks()) + " blocks (" +
                                     std::to_string(ledger.liveBytes()) + " bytes) stayed allocated after its objects were closed");
        }
    }
    return Verdict::note(std::to_string(asks) + " allocations a life, each refused in turn");
}

void allocationsRefused(Validator& v) {
    v.check("load.out-of-memory.signal", [&] { return outOfMemory(v, [&] { signalLife(v, std::nullopt); }); });
    if (!hasPanel(v)) return;
    v.check("load.out-of-memory.gui", [&] {
        Instance in(v);
        return outOfMemory(v, [&] { panelLife(v, in.signal, in.gui->window(), std::nullopt); });
    });
}

// A popup menu takes the press and its release: when the press returns, the button is up and no
// mouse-up will come. A panel that holds the capture then keeps the host's mouse, and with it a
// move would drag.
Verdict captureAfterMenu(Validator& v) {
    if (!hasPanel(v)) return Verdict::skip("the module has no panel (makeModule kind 2 is null)");
    Instance in(v);
    int menus = 0;
    for (int round = 0; round < 4; ++round) {
        MenuDriver menu;
        const bool choose = round % 2 == 1;
        if (choose) menu.startRandom(v.rng()());
        else menu.start({});
        in.gui->press(5, 5);
        if (menu.finish() == MenuDriver::Outcome::NO_MENU) {
            in.gui->release();
            continue;
        }
        ++menus;
        const std::string after = choose ? "a chosen item" : "a dismissed menu";
        if (in.gui->captured()) return Verdict::fail("it holds the mouse capture after " + after + ", with the button up");
        in.gui->paint();
        const uint64_t before = pixelHash(in.gui->pixels());
        in.gui->move(in.gui->width() / 2, in.gui->height() / 5);
        in.gui->move(in.gui->width() / 3, in.gui->height() * 4 / 5);
        in.gui->paint();
        if (pixelHash(in.gui->pixels()) != before) return Verdict::fail("a mouse move after " + after + " changed the panel");
    }
    if (menus == 0) return Verdict::skip("a press at (5, 5) opened no menu");
    return Verdict::pass();
}

}  // namespace

void validateEnvironment(Validator& v) {
    floatingPointEnvironments(v);
    closesInsideCalls(v);
    allocationsRefused(v);
    v.check("panel.capture-after-menu", [&] { return captureAfterMenu(v); });
}

}  // namespace tarnhost
