// Contour4Module through its record: pins, band choice, increment, sync, level gate, sleep,
// and the host conditions it must survive (low and bad rates, overflowing texts, long idling).
#include <gtest/gtest.h>

#include <xmmintrin.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "host/core/fp_environments.h"
#include "host/validator/module_specifics.h"

#include "contour4/contour4_module.h"
#include "module_harness.h"

using tarn::Contour4Module;
using tarntest::TestHost;
using tarntest::ModuleHarness;

namespace {

constexpr int SHAPE = Contour4Module::PIN_SHAPE, PITCH = Contour4Module::PIN_PITCH,
              SYNC = Contour4Module::PIN_SYNC, LEVEL = Contour4Module::PIN_LEVEL,
              OUT = Contour4Module::PIN_OUTPUT;

struct Contour4 : ::testing::Test {
    TestHost host;
    Contour4Module* module = new Contour4Module(&TestHost::callback, host.hostData());
    ModuleHarness h{&module->record(), host};
    std::vector<float>& out = h.buffers[OUT];

    // Opens at a rate with the usual inputs, then delivers the host's first pin events.
    void start(float pitch = 0.5f, float level = 0.8f, float rate = 44100.0f,
               const char* shape = "") {
        h.dispatch(MOD_SET_SAMPLE_RATE, 0, 0, nullptr, rate);
        h.fill(PITCH, pitch);
        h.fill(LEVEL, level);
        h.fill(SYNC, 0.0f);
        h.texts[SHAPE] = shape;
        h.bind();
        h.open();
        for (int pin = 0; pin < 4; ++pin) h.pinEvent(pin);
    }
    float expectedSample(float phase, float level) {
        const tarn::WaveTable& t = module->table();
        const float position = tarn::kCyclePositionScale * phase;
        const int i = static_cast<int>(std::nearbyint(position));
        const float frac = position - static_cast<float>(i);
        const int row = module->bandIndex();
        return (t.valueRow(row)[i] + frac * t.slopeRow(row)[i]) * level;
    }
    bool allFinite(int from, int count) {
        for (int n = from; n < from + count; ++n)
            if (!std::isfinite(out[n])) return false;
        return true;
    }
};

TEST_F(Contour4, DeclaresItsFivePins) {
    ASSERT_EQ(h.props.size(), 5u);
    EXPECT_STREQ(h.props[SHAPE].name, "shape");
    EXPECT_EQ(h.props[SHAPE].datatype, DT_TEXT);
    EXPECT_EQ(h.props[SHAPE].flags, 0x8500);
    EXPECT_EQ(h.props[SHAPE].defaultValue, nullptr);
    const char* names[] = {"Pitch", "Sync", "Level", "Output"};
    const char* defaults[] = {"5", "0", "8", "0"};
    for (int i = 1; i < 5; ++i) {
        EXPECT_STREQ(h.props[i].name, names[i - 1]);
        EXPECT_STREQ(h.props[i].defaultValue, defaults[i - 1]);
        EXPECT_EQ(h.props[i].datatype, DT_AUDIO);
        EXPECT_EQ(h.props[i].direction, i == 4 ? DIR_OUT : DIR_IN);
    }
}

TEST_F(Contour4, OpenAsksForTheNamedCurveBlockFirst) {
    host.handle = 0x1a2b3c;
    start();
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls[0].opcode, HOST_GET_HANDLE);
    EXPECT_EQ(host.calls[1].opcode, HOST_ALLOCATE_SHARED);
    EXPECT_EQ(host.calls[1].value, 252);
    EXPECT_EQ(host.calls[1].opt, -1.0f);
    ASSERT_EQ(host.sharedNames.size(), 1u);
    EXPECT_EQ(host.sharedNames[0], "ZK wave shaper 1a2b3c curve");
}

TEST_F(Contour4, FiveVoltsPlays440HzInBandThreeFromPhaseIncrement) {
    start(0.5f);
    h.process(0, 64);
    EXPECT_EQ(module->bandIndex(), 3);
    EXPECT_NEAR(module->phaseIncrement(), 440.0 * 6.2831855 / 44100.0, 1e-7);
    // The first sample is at phase = increment, not at 0.
    EXPECT_EQ(out[0], expectedSample(module->phaseIncrement(), 0.8f));
}

TEST_F(Contour4, PitchZeroIsTheLowestBandAndTenVoltsIsClampedInACopy) {
    start(0.0f);
    h.process(0, 16);
    EXPECT_EQ(module->bandIndex(), 0);
    EXPECT_NEAR(module->phaseIncrement(), 13.75 * 6.2831855 / 44100.0, 1e-8);
    h.fill(PITCH, 1.0f);
    h.process(16, 16);
    EXPECT_EQ(module->bandIndex(), 9);
    EXPECT_NEAR(module->phaseIncrement(), 440.0 * std::pow(2.0, 4.4) * 6.2831855 / 44100.0, 1e-6);
    EXPECT_EQ(h.buffers[PITCH][16], 1.0f) << "the host's Pitch buffer is not written";
}

TEST_F(Contour4, BandBoundsIncludeTheirLowerEdge) {
    auto below = [](float v) { return std::nextafter(v, 0.0f); };
    const struct { float p; int band; } cases[] = {
        {below(0.4f), 0}, {0.4f, 1}, {below(0.45f), 1}, {0.45f, 2}, {0.5f, 3}, {0.55f, 4},
        {0.6f, 5}, {0.65f, 6}, {0.7f, 7}, {0.75f, 8}, {below(0.8f), 8}, {0.8f, 9}, {-3.0f, 0},
        {std::numeric_limits<float>::infinity(), 9}};
    for (const auto& c : cases) EXPECT_EQ(tarn::bandForPitch(c.p), c.band) << c.p;
}

TEST_F(Contour4, PitchIsReadAtTheBlockStartAndNanChangesNothing) {
    start(0.5f);
    h.process(0, 8);
    const float inc = module->phaseIncrement();
    h.buffers[PITCH][8] = std::numeric_limits<float>::quiet_NaN();
    h.process(8, 8);
    EXPECT_EQ(module->phaseIncrement(), inc);
    EXPECT_EQ(module->bandIndex(), 3);
    h.buffers[PITCH][17] = 0.9f;  // inside the block: not read
    h.process(16, 8);
    EXPECT_EQ(module->phaseIncrement(), inc);
}

TEST_F(Contour4, ARisingSyncThroughZeroRestartsTheCycle) {
    start(0.5f);
    h.buffers[SYNC][0] = -0.1f;
    h.buffers[SYNC][1] = 0.0f;
    h.process(0, 2);
    const int row = module->bandIndex();
    EXPECT_EQ(out[1], module->table().valueRow(row)[0] * 0.8f) << "position 0, frac 0";
    EXPECT_EQ(module->phase(), 0.0f);
}

TEST_F(Contour4, SyncThatDoesNotCrossFromBelowNeverRestarts) {
    for (float a : {0.0f, -1.0f}) {
        TestHost host2;
        auto* m = new Contour4Module(&TestHost::callback, host2.hostData());
        ModuleHarness h2(&m->record(), host2);
        h2.fill(PITCH, 0.5f);
        h2.fill(LEVEL, 0.8f);
        h2.fill(SYNC, a);
        if (a == 0.0f) h2.buffers[SYNC][1] = 0.3f;
        h2.bind();
        h2.open();
        h2.pinEvent(SHAPE);
        h2.process(0, 100);
        EXPECT_NEAR(m->phase(), 100 * m->phaseIncrement(), 1e-4) << "sync " << a;
    }
}

TEST_F(Contour4, LevelAtTheGateIsSilentAndSleepsAfterOneBlockSize) {
    h.dispatch(MOD_SET_BLOCK_SIZE, 0, 64);
    start(0.5f, 0.005f);
    EXPECT_FALSE(module->active());
    h.process(0, 32);
    for (int n = 0; n < 32; ++n) ASSERT_EQ(out[n], 0.0f);
    EXPECT_EQ(host.count(HOST_SLEEP), 0);
    h.process(32, 32);
    EXPECT_EQ(host.count(HOST_SLEEP), 1);
    h.process(64, 32);
    EXPECT_EQ(host.count(HOST_SLEEP), 2) << "sleep is asked again at every later block";
}

TEST_F(Contour4, LevelJustAboveTheGateSoundsAndReportsTheOutputRunning) {
    start(0.5f, 0.0051f);
    EXPECT_TRUE(module->active());
    int running = 0;
    for (const auto& c : host.calls) running += c.opcode == HOST_SET_PIN_STATUS && c.index == OUT && c.value == ST_RUN;
    EXPECT_GE(running, 1);
    h.process(0, 64);
    EXPECT_NE(out[10], 0.0f);
    EXPECT_EQ(host.count(HOST_SLEEP), 0);
}

TEST_F(Contour4, ALevelChangeInsideABlockTakesEffectAtTheNextBlock) {
    start(0.5f, 0.8f);
    h.buffers[LEVEL][5] = 0.4f;
    h.process(0, 10);
    EXPECT_EQ(out[7], expectedSample(8 * module->phaseIncrement(), 0.8f));
    h.fill(LEVEL, 0.4f);
    h.process(10, 10);
    EXPECT_NEAR(out[10], expectedSample(module->phase() - 9 * module->phaseIncrement(), 0.4f), 1e-5);
}

TEST_F(Contour4, ALevelEventStampedOutsideTheBlockReadsTheNearestEndOfTheBuffer) {
    h.dispatch(MOD_SET_BLOCK_SIZE, 0, 64);
    start(0.5f, 0.4f);
    h.buffers[LEVEL][0] = 0.0f;   // silent at the block's first frame
    h.buffers[LEVEL][63] = 0.8f;  // sounding at its last
    host.blockStart = 5000;
    for (const int32_t clock : {5000 + 64, 5000 + 100000000, INT32_MAX}) {
        host.clock = clock;
        h.pinEvent(LEVEL);
        EXPECT_TRUE(module->active()) << "clock " << clock << " reads the last frame";
    }
    for (const int32_t clock : {5000 - 1, 0, INT32_MIN}) {
        host.clock = clock;
        h.pinEvent(LEVEL);
        EXPECT_FALSE(module->active()) << "clock " << clock << " reads the first frame";
    }
}

TEST_F(Contour4, TheIdleCountdownStopsOnceDue) {
    h.dispatch(MOD_SET_BLOCK_SIZE, 0, 64);
    start(0.5f, 0.0f);
    for (int k = 0; k < 1000; ++k) h.process(0, 64);
    EXPECT_EQ(module->idleCountdown(), 0);
    EXPECT_EQ(host.count(HOST_SLEEP), 1000);
}

TEST_F(Contour4, AtLowRatesAHighPitchKeepsThePhaseInsideTheCycle) {
    start(1.0f, 0.8f, 8000.0f);
    h.process(0, 4096);
    EXPECT_GT(module->phaseIncrement(), 6.2831855f) << "9289 Hz at 8 kHz steps past 2 pi";
    EXPECT_GE(module->phase(), 0.0f);
    EXPECT_LT(module->phase(), 6.2831855f);
    EXPECT_TRUE(allFinite(0, 4096));
}

TEST_F(Contour4, BadSampleRatesNeverReadOutsideTheTables) {
    for (float rate : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1e-30f, 1e30f}) {
        TestHost host2;
        auto* m = new Contour4Module(&TestHost::callback, host2.hostData());
        ModuleHarness h2(&m->record(), host2);
        h2.dispatch(MOD_SET_SAMPLE_RATE, 0, 0, nullptr, rate);
        h2.fill(PITCH, 0.7f);
        h2.fill(LEVEL, 0.8f);
        h2.bind();
        h2.open();
        h2.pinEvent(SHAPE);
        h2.process(0, 512);
        for (int n = 0; n < 512; ++n) ASSERT_TRUE(std::isfinite(h2.buffers[OUT][n])) << rate;
        EXPECT_GE(m->phase(), 0.0f);
        EXPECT_LT(m->phase(), 6.2831855f);
    }
}

// A host that traps on floating-point exceptions, with 53-bit x87 precision and flush-to-zero;
// its environment comes back whole when the scope ends.
struct TrappingHostEnvironment {
    std::fenv_t saved;
    TrappingHostEnvironment() {
        std::fegetenv(&saved);
        const uint16_t control = 0x027F;  // 53-bit precision, all masked, then unmasked below
        __asm__ volatile("fldcw %0" : : "m"(control));
        _mm_setcsr(_mm_getcsr() | 0x8000);  // flush-to-zero
        feenableexcept(FE_OVERFLOW | FE_UNDERFLOW | FE_INVALID | FE_DIVBYZERO);
    }
    ~TrappingHostEnvironment() { std::fesetenv(&saved); }
    static uint16_t x87() {
        uint16_t cw;
        __asm__ volatile("fnstcw %0" : "=m"(cw));
        return cw;
    }
};

TEST_F(Contour4, AnOverflowingShapeTextPlaysSilenceUntilTheNextTextWithoutTrapping) {
    start(0.5f, 0.8f, 44100.0f, "(0,5)");
    {
        TrappingHostEnvironment trapping;
        const uint16_t x87 = TrappingHostEnvironment::x87();
        const uint32_t sse = _mm_getcsr();
        h.setText(SHAPE, "(0,1e39)");
        EXPECT_EQ(TrappingHostEnvironment::x87(), x87);
        EXPECT_EQ(_mm_getcsr(), sse);
    }
    h.process(0, 256);
    for (int n = 0; n < 256; ++n) ASSERT_EQ(out[n], 0.0f);
    h.setText(SHAPE, "(0,5)(0,-5)");
    h.process(256, 256);
    EXPECT_TRUE(allFinite(256, 256));
    EXPECT_NE(out[300], 0.0f);
}

TEST_F(Contour4, ProcessBeforeOpenIsHarmless) {
    h.fill(OUT, 9.0f);
    h.process(0, 64);
    EXPECT_EQ(out[0], 9.0f);
}

bool subnormal(float x) { return x != 0.0f && std::fabs(x) < FLT_MIN; }

TEST_F(Contour4, NoShapePlaysSubnormalSamples) {
    // A pulse into a long zero stretch: the filter decays through subnormal numbers there.
    std::string decaying = "(0,3.5)";
    for (int i = 0; i < 24; ++i) decaying += "(0,0)";
    start(0.5f, 0.8f, 44100.0f, decaying.c_str());
    const tarnhost::ModuleSpecifics described = tarnhost::readModuleSpecifics(TARN_MODULE_DESCRIPTION);
    tarnhost::RandomTexts random(described.text, 7);
    for (int text = 0; text < 300; ++text) {
        for (int block = 0; block < 4; ++block) {
            h.process(0, 1024);
            for (int n = 0; n < 1024; ++n) ASSERT_FALSE(subnormal(out[n])) << "text " << text << " frame " << n;
        }
        h.setText(SHAPE, random.next());
    }
}

}  // namespace


namespace {

// What a host may feed: NaN, infinities, huge and subnormal values on every input, and texts
// that overflow or underflow; run whole in one host environment, its output frames back.
std::vector<float> hostileRun(const tarnhost::FpEnvironment& environment) {
    TestHost host;
    auto* module = new Contour4Module(&TestHost::callback, host.hostData());
    ModuleHarness h{&module->record(), host};
    std::vector<float> all;
    const float values[] = {std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY, 1e30f,
                            -1e30f, FLT_MIN / 2, -FLT_TRUE_MIN, 0.3f};
    const char* texts[] = {"(0,1e39)(1,2", "(1e38,-1e38)", "(0,1e-45)(0,-1e-40)", "(3,-2)(0,5)", ""};
    const tarnhost::FpState own = tarnhost::readFpState();
    tarnhost::setFpControl(environment.control);
    const tarnhost::FpState before = tarnhost::readFpState();
    h.fill(PITCH, 0.5f);
    h.fill(LEVEL, 0.8f);
    h.bind();
    h.open();
    for (int pin = 0; pin < 4; ++pin) h.pinEvent(pin);
    auto block = [&] {
        h.process(0, 64);
        all.insert(all.end(), h.buffers[OUT].begin(), h.buffers[OUT].begin() + 64);
    };
    for (int pin : {PITCH, SYNC, LEVEL}) {
        for (float v : values) {
            h.fill(pin, v);
            h.pinEvent(pin, ST_STILL);
            block();
        }
        h.fill(pin, pin == LEVEL ? 0.8f : 0.5f);
    }
    for (const char* t : texts) {
        h.setText(SHAPE, t);
        block();
    }
    const tarnhost::FpState after = tarnhost::readFpState();
    tarnhost::restoreFpState(own);
    EXPECT_EQ(after, before) << environment.name << ": the host's environment came back changed";
    return all;
}

TEST(Contour4Environments, AnyHostEnvironmentGivesTheSameSamplesWithoutATrap) {
    const std::vector<float> reference = hostileRun(tarnhost::fpEnvironments().front());
    for (const tarnhost::FpEnvironment& e : tarnhost::fpEnvironments()) {
        const std::vector<float> got = hostileRun(e);
        ASSERT_EQ(got.size(), reference.size());
        EXPECT_EQ(std::memcmp(got.data(), reference.data(), got.size() * 4), 0) << e.name;
    }
}

TEST(Contour4Close, ACloseInsideAnyHostCallEndsTheModuleWithNoFurtherHostCall) {
    for (int32_t op : {HOST_GET_HANDLE, HOST_ALLOCATE_SHARED, HOST_GET_PIN_COUNT, HOST_PROCESS_FUNCTION_CHANGED,
                       HOST_GET_SAMPLE_CLOCK, HOST_GET_BLOCK_START, HOST_SET_PIN_STATUS, HOST_SLEEP}) {
        TestHost host;
        auto* module = new Contour4Module(&TestHost::callback, host.hostData());
        ModuleHarness h{&module->record(), host};
        h.closeInside(op);
        h.dispatch(MOD_SET_BLOCK_SIZE, 0, 64);
        h.fill(LEVEL, 0.8f);
        h.bind();
        h.open();
        for (int pin = 0; pin < 4; ++pin) h.pinEvent(pin);  // sounding: the output is reported
        h.process(0, 64);
        h.fill(LEVEL, 0.0f);
        h.pinEvent(LEVEL);
        for (int b = 0; b < 3; ++b) h.process(0, 64);  // silent, then asleep
        EXPECT_TRUE(h.closedInside) << op;
        EXPECT_EQ(h.callsAfterClose, 0) << op;
    }
}

}  // namespace
