// The validator's battery for the signal object: loading, lifecycle orders, rates, block
// sizes, inputs, events, shape texts, determinism and a denormal timing smoke test.
#include <windows.h>
#include <psapi.h>

#include <cfloat>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <sstream>

#include "common/pin_values.h"
#include "host/core/fp_environments.h"
#include "host/core/import_watch.h"
#include "host/core/signal_host.h"
#include "host/io/error.h"
#include "host/io/number_text.h"
#include "host/validator/validate_probe.h"
#include "host/validator/validator.h"

namespace tarnhost {

namespace {

HostWord TARN_CDECL silentHost(void*, int32_t, HostWord, int32_t, void*, float) { return 0; }

// Growth of the process's private memory over the cycles of a check that no module causes: the
// heap's and the system's own bookkeeping.
constexpr size_t kGrowthAllowed = 512 * 1024;

std::string floatText(float f) { return formatFloat(f); }

// The choices two instances are compared on: values from 0 up to this.
constexpr int16_t kChoicesCompared = 64;

}  // namespace


Verdict cyclesLeaveNothing(Validator& v, const std::function<void()>& cycle) {
    watchImports(v.library().handle());
    for (int i = 0; i < 10; ++i) cycle();  // what a module makes once, it makes here
    const size_t before = processPrivateBytes();
    const int cycles = v.scaled(100);
    HeapLedger ledger;
    for (int i = 0; i < cycles; ++i) cycle();
    if (ledger.liveBlocks() > 0)
        return Verdict::fail(std::to_string(ledger.liveBlocks()) + " blocks (" + std::to_string(ledger.liveBytes()) +
                             " bytes) it allocated in " + std::to_string(cycles) + " cycles were never freed");
    // What the ledger cannot see: memory from elsewhere than the watched imports.
    const size_t after = processPrivateBytes();
    if (before != 0 && after > before + kGrowthAllowed)
        return Verdict::fail("private memory grew by " + std::to_string((after - before) / 1024) + " KiB over " +
                             std::to_string(cycles) + " cycles");
    return Verdict::pass();
}

size_t processPrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        return 0;
    return pmc.PrivateUsage != 0 ? pmc.PrivateUsage : pmc.PagefileUsage;
}

namespace {

Verdict loadLibraryCycles(Validator& v) {
    for (int i = 0; i < v.scaled(10); ++i) {
        ModuleLibrary lib;
        try {
            lib.load(v.path());
        } catch (const Error& e) {
            return Verdict::fail("cycle " + std::to_string(i) + ": " + e.what());
        }
    }
    return Verdict::pass();
}

Verdict loadProperties(Validator& v) {
    constexpr uint8_t kFill = 0xA5;
    constexpr size_t kVersionAt = offsetof(ModuleProperties, sdkVersion);
    for (int32_t index = -2; index <= 3; ++index) {
        ModuleProperties props;
        std::memset(&props, kFill, sizeof props);
        const int32_t r = v.library().getModuleProperties(index, &props);
        const auto* bytes = reinterpret_cast<const uint8_t*>(&props);
        auto unwritten = [&](size_t at, size_t size) {
            return std::all_of(bytes + at, bytes + at + size, [](uint8_t b) { return b == kFill; });
        };
        const std::string at = "index " + std::to_string(index);
        if ((r == 1) != (index == 0)) return Verdict::fail(at + " answered " + std::to_string(r));
        if (unwritten(kVersionAt, sizeof props.sdkVersion)) return Verdict::fail(at + " left the interface version unwritten");
        for (size_t b = 0; b < kVersionAt && index != 0; ++b)
            if (bytes[b] != kFill) return Verdict::fail(at + " wrote the byte at offset " + std::to_string(b));
        if (index == 0 && (props.name == nullptr || unwritten(offsetof(ModuleProperties, name), sizeof props.name)))
            return Verdict::fail(at + " wrote no name");
    }
    return Verdict::pass();
}

Verdict loadMakeModule(Validator& v) {
    for (int32_t index = -2; index <= 3; ++index) {
        for (int32_t kind = -2; kind <= 3; ++kind) {
            void* r = v.library().makeModule(index, kind, &silentHost, 0);
            const std::string at = "index " + std::to_string(index) + " kind " + std::to_string(kind);
            if (index == 0 && kind == KIND_SIGNAL && r == nullptr) return Verdict::fail(at + " returned null");
            if (r == nullptr) continue;
            if (index != 0 || (kind != KIND_SIGNAL && kind != KIND_GUI)) return Verdict::fail(at + " made an object");
            if (kind == KIND_GUI) {
                auto* g = static_cast<GuiRecord*>(r);
                if (g->magic != GUI_RECORD_MAGIC) return Verdict::fail(at + " returned no GUI record");
                const HostFpPolicy::Call call("the panel's dispatcher");
                g->dispatcher(g, GUI_CLOSE, 0, 0, nullptr, 0);
            } else {
                auto* m = static_cast<ModuleRecord*>(r);
                const HostFpPolicy::Call call("the dispatcher");
                if (m->dispatcher(m, MOD_CLOSE, 0, 0, nullptr, 0) != 1) return Verdict::fail(at + ": MOD_CLOSE did not answer 1");
            }
        }
    }
    return Verdict::pass();
}

Verdict loadMemorySignal(Validator& v) {
    return cyclesLeaveNothing(v, [&] {
        Probe p = makeProbe(v, 44100.0f, 256);
        p.blocks(2, 256);
    });
}

void loading(Validator& v) {
    v.check("load.library-cycles", [&] { return loadLibraryCycles(v); });
    v.check("load.properties", [&] { return loadProperties(v); });
    v.check("load.make-module", [&] { return loadMakeModule(v); });
    v.check("load.memory.signal", [&] { return loadMemorySignal(v); });
}

Verdict lifecycleRateAndBlockBeforePins(Validator& v) { return Verdict::failIf(makeProbe(v, 48000.0f, 128).blocks(3, 128)); }

Verdict lifecycleRateAndBlockAfterPins(Validator& v) {
    return Verdict::failIf(makeProbe(v, 48000.0f, 128, true, true).blocks(3, 128));
}

Verdict lifecycleProcessBeforeOpen(Validator& v) {
    Probe p = makeProbe(v, 44100.0f, 64, false);
    const CallReport r = p.host->process(0, 64);
    if (r.written != 0 || r.outside) return Verdict::fail("the entry before open wrote: " + r.describe(0, 64));
    return Verdict::pass();
}

Verdict lifecycleCloseWithoutOpen(Validator& v) {
    SignalHost h(v.library(), nullptr, SignalHost::Buffers::Guarded);
    try {
        h.create();
    } catch (const Error& e) {
        return Verdict::fail(e.what());
    }
    h.close();
    return Verdict::pass();
}

Verdict lifecycleEventsBeforeFirstBlock(Validator& v) {
    Probe p = makeProbe(v, 44100.0f, 256);
    for (int i = 0; i < p.host->pinCount(); ++i) p.host->event(EV_PIN_STATUS, i, ST_ONE_OFF);
    p.host->event(EV_DATA, 0, 5);
    return Verdict::failIf(p.blocks(3, 256));
}

void lifecycle(Validator& v) {
    v.check("lifecycle.rate-and-block-before-pins", [&] { return lifecycleRateAndBlockBeforePins(v); });
    v.check("lifecycle.rate-and-block-after-pins", [&] { return lifecycleRateAndBlockAfterPins(v); });
    v.check("lifecycle.process-before-open", [&] { return lifecycleProcessBeforeOpen(v); });
    v.check("lifecycle.close-without-open", [&] { return lifecycleCloseWithoutOpen(v); });
    v.check("lifecycle.events-before-first-block", [&] { return lifecycleEventsBeforeFirstBlock(v); });
}

Verdict rateOf(Validator& v, double rate) { return Verdict::failIf(makeProbe(v, static_cast<float>(rate), 512).blocks(v.scaled(5), 512)); }

Verdict degenerateRate(Validator& v, float rate) { return Verdict::failIf(makeProbe(v, rate, 256).blocks(v.scaled(5), 256)); }

Verdict blocksOf(Validator& v, int size) {
    return Verdict::failIf(makeProbe(v, 44100.0f, size).blocks(v.scaled(5), size));
}

Verdict blocksRandomCalls(Validator& v) {
    const int block = 1024;
    Probe p = makeProbe(v, 44100.0f, block);
    for (int i = 0; i < v.scaled(200); ++i) {
        const int count = static_cast<int>(v.rng()() % (block + 1));
        const int first = static_cast<int>(v.rng()() % (block - count + 1));
        const std::string bad = p.run(first, count);
        if (!bad.empty()) return Verdict::fail("random call " + std::to_string(i) + ": " + bad);
    }
    return Verdict::pass();
}

void ratesAndBlocks(Validator& v) {
    const double rates[] = {8000, 11025, 22050, 44100, 48000, 88200, 96000, 192000, 384000, 1234.5678, 123456.78};
    for (double rate : rates) {
        std::ostringstream text;
        text.precision(10);
        text << rate;
        v.check("rates." + text.str(), [&] { return rateOf(v, rate); });
    }
    const float degenerate[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()};
    for (float rate : degenerate) {
        v.check("rates.degenerate." + floatText(rate), [&] { return degenerateRate(v, rate); });
    }
    const int sizes[] = {1, 2, 3, 7, 10, 17, 64, 256, 1024, 1536, 2027, 4096, 16384};
    for (int size : sizes) {
        v.check("blocks." + std::to_string(size), [&] { return blocksOf(v, size); });
    }
    v.check("blocks.random-calls", [&] { return blocksRandomCalls(v); });
}

Verdict inputHeld(Validator& v, int pin) {
    // At a low rate too, where a high pitch steps past a whole cycle per sample.
    for (float rate : {44100.0f, 8000.0f}) {
        for (float value : kSpecialValues) {
            Probe p = makeProbe(v, rate, 64);
            p.setAudio(pin, value);
            const std::string bad = p.blocks(2, 64);
            if (!bad.empty()) return Verdict::fail("held at " + floatText(value) + " at " + floatText(rate) + " Hz: " + bad);
        }
    }
    return Verdict::pass();
}

Verdict inputSwitched(Validator& v, int pin) {
    Probe p = makeProbe(v, 44100.0f, 64);
    for (int b = 0; b < v.scaled(40); ++b) {
        const float value = kSpecialValues[v.rng()() % (sizeof kSpecialValues / sizeof(float))];
        p.setAudio(pin, value, v.rng()() % 2 == 0);
        const std::string bad = p.run(0, 64);
        if (!bad.empty()) return Verdict::fail("block " + std::to_string(b) + " at " + floatText(value) + ": " + bad);
    }
    return Verdict::pass();
}

Verdict choiceOutsideTheList(Validator& v, int pin) {
    // Just past either end of the list, and the ends of the range.
    Probe probe = makeProbe(v, 44100.0f, 64, false);
    const PinProperties& props = probe.host->pin(pin);
    int lowest = 0, highest = 0;
    for (const auto& choice : tarn::parseChoiceList(props.enumList != nullptr ? props.enumList : "")) {
        lowest = std::min<int>(lowest, static_cast<int>(choice.second));
        highest = std::max<int>(highest, static_cast<int>(choice.second));
    }
    for (int value : {lowest - 1, highest + 1, -32768, 32767}) {
        const auto c = static_cast<int16_t>(std::clamp(value, -32768, 32767));
        if (choiceInList(props, c)) continue;
        Probe p = makeProbe(v, 44100.0f, 64);
        p.setChoice(pin, c);
        const std::string bad = p.blocks(2, 64);
        if (!bad.empty()) return Verdict::fail("choice " + std::to_string(c) + ": " + bad);
    }
    return Verdict::pass();
}

Verdict gateCrossing(Validator& v, int level, float gate) {
    Probe p = makeProbe(v, 44100.0f, 64);
    const float below = gate * 0.8f, above = gate * 1.2f;
    for (int b = 0; b < v.scaled(40); ++b) {
        p.setAudio(level, b % 4 < 2 ? below : above, true);
        const std::string bad = p.blocks(1 + b % 3, 64);
        if (!bad.empty()) return Verdict::fail("switch " + std::to_string(b) + ": " + bad);
        if (b % 4 >= 2 && p.host->sleeping()) return Verdict::fail("switch " + std::to_string(b) + ": asleep above the gate");
    }
    return Verdict::pass();
}

Verdict eventsPinStatus(Validator& v) {
    Probe p = makeProbe(v, 44100.0f, 64);
    for (int b = 0; b < v.scaled(20); ++b) {
        for (int i = 0; i < p.host->pinCount(); ++i)
            if (p.host->pin(i).direction == DIR_IN) p.host->notify(i);
        p.run(b % 7, 64 - b % 7);
    }
    return Verdict::failIf(p.host->pinStatusProblem());
}

Verdict eventsInsideBlocks(Validator& v) {
    Probe p = makeProbe(v, 44100.0f, 64);
    for (int b = 0; b < v.scaled(200); ++b) {
        const uint64_t r = v.rng()();
        const int split = 1 + static_cast<int>(r % 63);
        std::string bad = p.run(0, split, false);
        const int pin = static_cast<int>((r >> 8) % p.host->pinCount());
        if (p.host->pin(pin).direction == DIR_IN && p.host->pin(pin).datatype == DT_AUDIO)
            p.setAudio(pin, kSpecialValues[(r >> 16) % 3]);
        else if (p.host->pin(pin).direction == DIR_IN)
            p.host->notify(pin);
        if (bad.empty()) bad = p.run(split, 64 - split);
        if (!bad.empty()) return Verdict::fail("block " + std::to_string(b) + " split at " + std::to_string(split) + ": " + bad);
    }
    return Verdict::failIf(p.host->pinStatusProblem());
}

Verdict eventsRandom(Validator& v) {
    Probe p = makeProbe(v, 44100.0f, 128);
    const int pins = p.host->pinCount();
    for (int b = 0; b < v.scaled(60); ++b) {
        for (int e = static_cast<int>(v.rng()() % 4); e > 0; --e) {
            const uint64_t r = v.rng()();
            int32_t type = EV_PIN_STATUS;
            if (r % 5 == 3) type = EV_DATA;
            if (r % 5 == 4) type = static_cast<int32_t>(1 + (r >> 8) % 19);  // unknown types, never EV_CALL
            const intptr_t target = static_cast<intptr_t>((r >> 16) % (pins + 8)) - 4;
            p.host->event(type, target, static_cast<int32_t>((r >> 24) % 3));
        }
        const std::string bad = p.run(0, 128);
        if (!bad.empty()) return Verdict::fail("block " + std::to_string(b) + ": " + bad);
    }
    return Verdict::pass();
}

Verdict shapeRandomTexts(Validator& v, int text) {
    Probe p = makeProbe(v, 44100.0f, 64);
    RandomTexts gen = v.randomTexts();
    for (int i = 0; i < v.scaled(10000); ++i) {
        const std::string t = gen.next();
        p.host->setText(text, t);
        const std::string bad = p.run(0, 64);
        if (!bad.empty()) return Verdict::fail("text " + std::to_string(i) + " (" + gen.describe() + "): " + bad);
    }
    return Verdict::pass();
}

void inputs(Validator& v) {
    Probe shape = makeProbe(v, 44100.0f, 64);
    for (int pin = 0; pin < shape.host->pinCount(); ++pin) {
        const PinProperties& pp = shape.host->pin(pin);
        const std::string name = shape.host->pinName(pin);
        if (pp.direction != DIR_IN) continue;
        if (pp.datatype == DT_AUDIO) {
            v.check("inputs." + name + ".held", [&] { return inputHeld(v, pin); });
            v.check("inputs." + name + ".switched", [&] { return inputSwitched(v, pin); });
        }
        if (pp.datatype == DT_ENUM) {
            v.check("inputs." + name + ".outside-the-list", [&] { return choiceOutsideTheList(v, pin); });
        }
    }
    for (const GatedInput& gated : v.specifics().gated) {
        const int level = shape.host->findPin(gated.pin);
        v.check("inputs." + gated.pin + ".crossing-the-gate", [&] {
            if (level < 0 || shape.host->pin(level).direction != DIR_IN || shape.host->pin(level).datatype != DT_AUDIO)
                return Verdict::fail("the module has no audio input \"" + gated.pin + "\", which " + gated.at + " gates");
            return gateCrossing(v, level, gated.gate);
        });
    }
    v.check("events.pin-status", [&] { return eventsPinStatus(v); });
    // The host splits a block where an input changes: the event is stamped with a clock inside
    // the block, and a module that reads the input's value there must find it in the buffer.
    v.check("events.inside-blocks", [&] { return eventsInsideBlocks(v); });
    v.check("events.random", [&] { return eventsRandom(v); });
    const int text = shape.host->textPin();
    if (text >= 0) {
        v.check("shape.random-texts", [&] { return shapeRandomTexts(v, text); });
    }
}

// Renders blocks of one probe while copying the output.
std::vector<float> take(Probe& p, int blocks, int count) {
    std::vector<float> out;
    for (int b = 0; b < blocks; ++b) {
        p.run(0, count);
        out.insert(out.end(), p.host->output(), p.host->output() + count);
    }
    return out;
}

Verdict determinismTwoInstances(Validator& v) {
    Probe a = makeProbe(v, 44100.0f, 256), b = makeProbe(v, 44100.0f, 256);
    for (int pin = 0; pin < a.host->pinCount(); ++pin) {
        const PinProperties& pp = a.host->pin(pin);
        if (pp.datatype != DT_ENUM || pp.enumList == nullptr) continue;
        const auto choices = tarn::parseChoiceList(pp.enumList);
        for (int16_t c = 0; c < kChoicesCompared; ++c) {
            const auto choice = std::find_if(choices.begin(), choices.end(), [&](const auto& item) { return item.second == c; });
            if (choice == choices.end()) continue;
            // Choices drawn from the C library's generator share it between instances.
            if (v.specifics().drawsFromSharedGenerator(choice->first)) continue;
            a.setChoice(pin, c);
            b.setChoice(pin, c);
            const auto oa = take(a, 4, 256), ob = take(b, 4, 256);
            if (std::memcmp(oa.data(), ob.data(), oa.size() * 4) != 0)
                return Verdict::fail("choice " + std::to_string(c) + " of \"" + a.host->pinName(pin) + "\" differs");
        }
    }
    const int text = a.host->textPin();
    if (text >= 0) {
        a.host->setText(text, v.specifics().text.steady);
        b.host->setText(text, v.specifics().text.steady);
    }
    const auto oa = take(a, 8, 256), ob = take(b, 8, 256);
    if (std::memcmp(oa.data(), ob.data(), oa.size() * 4) != 0) return Verdict::fail("outputs differ");
    return Verdict::pass();
}

void determinism(Validator& v) {
    v.check("determinism.two-instances", [&] { return determinismTwoInstances(v); });
}

// A module must read a text pin through its variable at every event: the host frees a replaced
// text, after writing poison over it.
Verdict textReplaced(Validator& v) {
    Probe a = makeProbe(v, 44100.0f, 256), b = makeProbe(v, 44100.0f, 256);
    const int text = a.host->textPin();
    if (text < 0) return Verdict::skip("the module has no text input");
    const std::string& first = v.specifics().text.first;
    const std::string& second = v.specifics().text.second;
    // a is handed one text, then another; b has the second from the start and is told again.
    a.host->setText(text, first);
    b.host->setText(text, second);
    take(a, 2, 256);
    take(b, 2, 256);
    a.host->setText(text, second);
    b.host->notify(text);
    const auto oa = take(a, 4, 256), ob = take(b, 4, 256);
    if (std::memcmp(oa.data(), ob.data(), oa.size() * 4) != 0)
        return Verdict::fail("after its text was replaced it sounds unlike a module handed that text from the start");
    return Verdict::pass();
}

void replacedText(Validator& v) {
    v.check("text.replaced", [&] { return textReplaced(v); });
}

Verdict performanceDenormals(Validator& v) {
    auto time = [&](float value) {
        Probe p = makeProbe(v, 44100.0f, 1024);
        for (int i = 0; i < p.host->pinCount(); ++i)
            if (p.host->pin(i).datatype == DT_AUDIO && p.host->pin(i).direction == DIR_IN &&
                !v.specifics().gates(p.host->pinName(i)))
                p.setAudio(i, value);
        LARGE_INTEGER f, t0, t1;
        QueryPerformanceFrequency(&f);
        p.blocks(5, 1024);
        QueryPerformanceCounter(&t0);
        for (int b = 0; b < v.scaled(100); ++b) p.host->process(0, 1024);
        QueryPerformanceCounter(&t1);
        return static_cast<double>(t1.QuadPart - t0.QuadPart) / f.QuadPart;
    };
    const double normal = time(0.3f), denormal = time(FLT_MIN / 4);
    std::ostringstream s;
    s.precision(3);
    s << "denormal blocks cost " << (normal > 0 ? denormal / normal : 1.0) << "x normal ones";
    if (normal > 0 && denormal > 2 * normal) return Verdict::note("warning: " + s.str());
    return Verdict::note(s.str());
}

void denormals(Validator& v) {
    v.check("performance.denormals", [&] { return performanceDenormals(v); });
}

// Nothing on the audio path may allocate, lock, wait or write a file or the console: every
// process call and every pin event after open, a shape change included, is watched through the
// library's own imports.
Verdict realtimeAudioPath(Validator& v) {
    const int watched = watchImports(v.library().handle());
    resetWatchedCalls();
    Probe p = makeProbe(v, 44100.0f, 256);
    RandomTexts texts = v.randomTexts();
    for (int round = 0; round < v.scaled(20); ++round) {
        for (int i = 0; i < p.host->pinCount(); ++i) {
            const PinProperties& pin = p.host->pin(i);
            if (pin.direction != DIR_IN) continue;
            if (pin.datatype == DT_AUDIO) p.setAudio(i, round % 3 == 2 ? 0.0f : 0.1f * (round % 10));
            if (pin.datatype == DT_ENUM) p.setChoice(i, static_cast<int16_t>(round % 8));
            if (pin.datatype == DT_TEXT) p.host->setText(i, texts.next());
        }
        p.host->process(0, 256);
        p.host->process(13, 100);
    }
    std::string calls;
    for (const WatchedCalls& c : watchedCalls()) {
        if (!calls.empty()) calls += "; ";
        calls += c.function + " (" + callKindName(c.kind) + ") " + std::to_string(c.calls) + " times in " + c.where;
    }
    if (!calls.empty()) return Verdict::fail(calls);
    if (watched == 0) return Verdict::note("the library imports none of the watched functions");
    return Verdict::note(std::to_string(watched) + " watched imports, none called");
}

void realtime(Validator& v) {
    v.check("realtime.audio-path", [&] { return realtimeAudioPath(v); });
}

}  // namespace

void validateSignal(Validator& v) {
    loading(v);
    lifecycle(v);
    ratesAndBlocks(v);
    inputs(v);
    determinism(v);
    replacedText(v);
    denormals(v);
    realtime(v);
}

}  // namespace tarnhost
