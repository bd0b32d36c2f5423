// Tarn LFO: pins, the eight waves, the shared phase, random levels and bad inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <sstream>
#include <string>

#include "frame/crt_random.h"
#include "host/core/fp_environments.h"
#include "frame/core_module.h"
#include "lfo/signal/lfo_core.h"
#include "module_harness.h"

// The module as its library makes it from its core.
using LfoModule = tarn::CoreModule<tarn::LfoCore>;
using tarntest::TestHost;
using tarntest::ModuleHarness;

namespace {

struct Lfo : ::testing::Test {
    TestHost host;
    LfoModule* module = new LfoModule(&TestHost::callback, host.hostData());
    ModuleHarness h{&module->record(), host};
    std::vector<float>& out = h.buffers[tarn::lfo::PIN_OUTPUT];

    void start(int16_t wave, float speed) {
        h.choices[tarn::lfo::PIN_WAVE] = wave;
        h.fill(tarn::lfo::PIN_SPEED, speed);
        h.bind();
        h.open();
    }
};

TEST(LfoAbout, SevenLinesWithCreditsButNoWebAddress) {
    std::vector<std::string> lines;
    std::string about = LfoModule::kDescription.about, line;
    for (std::istringstream in(about); std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 7u) << about;
    EXPECT_EQ(lines[0], "Tarn LFO");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "LFO wave oscillator");
    EXPECT_EQ(lines[6], "Not for audio use");
    EXPECT_EQ(about.find("://"), std::string::npos) << "no address the makers do not own";
}

TEST_F(Lfo, DeclaresThreePinsAsTheHostSeesThem) {
    ASSERT_EQ(h.props.size(), 3u);
    EXPECT_STREQ(h.props[0].name, "Speed");
    EXPECT_EQ(h.props[0].datatype, DT_AUDIO);
    EXPECT_STREQ(h.props[0].defaultValue, "0");
    EXPECT_STREQ(h.props[1].name, "Wave");
    EXPECT_EQ(h.props[1].datatype, DT_ENUM);
    EXPECT_STREQ(h.props[1].defaultValue, "1");
    EXPECT_STREQ(h.props[1].enumList,
                 "Sine=0,Saw=1,Ramp=2,100% Pulse=3,50% Pulse=4,25% Pulse=5,Fast Rand=6,Slow Rand=7");
    EXPECT_STREQ(h.props[2].name, "Output");
    EXPECT_EQ(h.props[2].direction, DIR_OUT);
    EXPECT_EQ(h.props[2].defaultValue, nullptr);
}

TEST_F(Lfo, OpenReportsTheOutputRunningAndHandsTheHostAScratchBuffer) {
    start(tarn::LFO_SAW, 0.1f);
    int running = 0, scratch = 0;
    for (const auto& c : host.calls) {
        if (c.opcode == HOST_SET_PIN_STATUS && c.index == 2 && c.value == ST_RUN) ++running;
        if (c.opcode == HOST_SCRATCH_BUFFER) {
            ++scratch;
            EXPECT_NE(c.ptr, nullptr);
        }
    }
    EXPECT_EQ(running, 1);
    EXPECT_EQ(scratch, 1);
    EXPECT_EQ(host.count(HOST_PROCESS_FUNCTION_CHANGED), 1);
}

TEST_F(Lfo, SawAtSpeedOneWrapsAtTheTwoThousandthSample) {
    start(tarn::LFO_SAW, 1.0f);
    h.process(0, 2001);
    EXPECT_EQ(out[0], 0.00025f);
    EXPECT_EQ(out[1], 0.0005f);
    EXPECT_EQ(out[1999], -0.5f);
    EXPECT_GT(out[1998], 0.49f);
    EXPECT_FLOAT_EQ(out[2000], -0.5f + 0.00025f);
}

TEST_F(Lfo, SineIsATriangleThatPassesHalfBeforeTurning) {
    start(tarn::LFO_SINE, 1.0f);
    h.process(0, 2010);
    EXPECT_EQ(out[0], 0.00025f);
    EXPECT_EQ(out[1], 0.0005f);
    EXPECT_GT(out[1999], 0.5f);
    EXPECT_LT(out[1999], 0.5f + 0.00025f);
    EXPECT_LT(out[2000], out[1999]);
    EXPECT_LT(out[2001], out[2000]);
}

TEST_F(Lfo, RampFallsAndWrapsToHalf) {
    start(tarn::LFO_RAMP, 1.0f);
    h.process(0, 2001);
    EXPECT_EQ(out[0], -0.00025f);
    EXPECT_EQ(out[1999], 0.5f);
}

TEST_F(Lfo, PulsesAreHighForTheirShareOfTheCycle) {
    const struct { int16_t wave; int high; } cases[] = {
        {tarn::LFO_PULSE_100, 2000}, {tarn::LFO_PULSE_50, 3000}, {tarn::LFO_PULSE_25, 3480}};
    for (const auto& c : cases) {
        TestHost host2;
        LfoModule* m = new LfoModule(&TestHost::callback, host2.hostData());
        ModuleHarness h2(&m->record(), host2);
        h2.choices[1] = c.wave;
        h2.fill(0, 1.0f);
        h2.bind();
        h2.open();
        h2.process(0, 4000);  // one whole cycle
        int high = 0;
        for (int k = 0; k < 4000; ++k) {
            const float v = h2.buffers[2][k];
            ASSERT_TRUE(v == 0.5f || v == -0.5f);
            high += v == 0.5f;
        }
        EXPECT_NEAR(high, c.high, 2) << "wave " << c.wave;
    }
}

TEST_F(Lfo, HundredPercentPulseIsLowWhileThePhaseIsAtOrBelowZero) {
    start(tarn::LFO_PULSE_100, 1.0f);
    h.process(0, 2500);
    EXPECT_EQ(out[0], 0.5f);      // phase 0.00025
    EXPECT_EQ(out[1999], -0.5f);  // wrapped to -0.5
    EXPECT_EQ(out[2100], -0.5f);
}

TEST_F(Lfo, RandomWavesDrawTheCrtSequenceAndOnlyTenLevels) {
    tarn::crtRandState() = 1;
    start(tarn::LFO_FAST_RAND, 1.0f);
    h.process(0, 4000);
    EXPECT_EQ(out[198], 0.0f) << "before the first draw the held level is 0";
    EXPECT_EQ(out[199], -0.4f) << "the first rand() on a fresh thread is 41";
    std::set<float> levels(out.begin(), out.begin() + 4000);
    for (float v : levels) {
        const float scaled = (v + 0.5f) * 10.0f;
        EXPECT_NEAR(scaled, std::round(scaled), 1e-4) << v;
        EXPECT_GE(v, -0.5f);
        EXPECT_LE(v, 0.4f);
    }
    EXPECT_GT(levels.size(), 3u);
}

TEST_F(Lfo, SlowRandDrawsOncePerCycle) {
    tarn::crtRandState() = 1;
    start(tarn::LFO_SLOW_RAND, 1.0f);
    h.process(0, 4000);
    EXPECT_EQ(out[1998], 0.0f);
    EXPECT_EQ(out[1999], -0.4f);
    EXPECT_EQ(out[3999], -0.4f);
}

TEST_F(Lfo, WaveSwitchesKeepThePhase) {
    start(tarn::LFO_SAW, 1.0f);
    h.process(0, 100);
    const float before = out[99];
    h.choices[1] = tarn::LFO_RAMP;
    h.bind();
    h.process(100, 1);
    EXPECT_EQ(out[100], before - 0.00025f);
}

TEST_F(Lfo, SpeedIsReadOnceAtTheCallStartAndFlooredAtTheMinimum) {
    start(tarn::LFO_SAW, 0.0f);
    h.buffers[0][1] = 100.0f;  // not read: only the first sample of the call counts
    h.process(0, 2);
    EXPECT_EQ(out[0], 0.0001f * 0.00025f);
    EXPECT_EQ(out[1], 2 * (0.0001f * 0.00025f));
    EXPECT_EQ(h.buffers[0][0], 0.0f) << "the raised speed is not written back";
    for (float bad : {-1.0f, std::numeric_limits<float>::quiet_NaN()}) {
        h.fill(0, bad);
        const float was = out[1];
        h.process(2, 1);
        EXPECT_EQ(out[2], was + 0.0001f * 0.00025f);
        out[1] = out[2];
    }
}

TEST_F(Lfo, AWaveOutsideTheListWritesNothing) {
    for (int16_t wave : {int16_t(-1), int16_t(8), int16_t(32767)}) {
        h.choices[1] = wave;
        h.bind();
        if (wave == -1) {
            h.fill(0, 1.0f);
            h.bind();
            h.open();
        }
        h.fill(2, 7.0f);
        h.process(0, 64);
        for (int k = 0; k < 64; ++k) ASSERT_EQ(out[k], 7.0f);
    }
}

TEST_F(Lfo, ACountOfZeroWritesNothing) {
    start(tarn::LFO_SAW, 1.0f);
    h.fill(2, 3.0f);
    h.process(5, 0);
    EXPECT_EQ(out[5], 3.0f);
    h.process(0, 1);
    EXPECT_EQ(out[0], 0.00025f) << "the phase did not move";
}

TEST_F(Lfo, AnInfiniteOrEnormousSpeedLeavesTheStateFiniteSoTheOutputRecovers) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float wild : {inf, 3.0e38f, 1.0e20f}) {
        for (int16_t wave = 0; wave < tarn::kLfoWaveCount; ++wave) {
            for (int frames : {63, 64}) {  // either parity of a wild stretch
                TestHost host2;
                LfoModule* m = new LfoModule(&TestHost::callback, host2.hostData());
                ModuleHarness h2(&m->record(), host2);
                h2.choices[1] = wave;
                h2.fill(0, wild);
                h2.bind();
                h2.open();
                h2.process(0, frames);
                h2.fill(0, 1.0f);
                for (int b = 0; b < 3; ++b) h2.process(0, 4000);  // a cycle is 4000 frames
                for (int k = 0; k < 4000; ++k) {
                    ASSERT_LE(std::fabs(h2.buffers[2][k]), 0.5f + 0.00025f)
                        << "wave " << wave << " after " << frames << " frames at " << wild;
                }
            }
        }
    }
}

// The waves frame by frame as their rules state them, for any increment.
struct PerFrameRule {
    float phase = 0, held = 0, level = 0, direction = 1;
    float next(int wave, float inc) {
        static const float threshold[] = {0.0f, -0.25f, -0.37f};
        if (wave == 0) {
            if (direction >= 1.0f) {
                if ((level += inc) >= 0.5f) direction = 0.0f;
            } else if ((level -= inc) <= -0.5f) {
                direction = 1.0f;
            }
            return level;
        }
        if (wave == 2) return (phase -= inc) <= -0.5f ? (phase = 0.5f) : phase;
        phase += inc;
        if (wave == 6 || wave == 7) return held;  // random waves are checked elsewhere
        if (phase >= 0.5f) phase = -0.5f;
        if (wave == 1) return phase;
        return held = phase > threshold[wave - 3] ? 0.5f : -0.5f;
    }
};

TEST_F(Lfo, SawRampTriangleAndPulsesFollowTheirPerFrameRulesAcrossSpeedsBlocksAndWaveSwitches) {
    start(tarn::LFO_SAW, 1.0f);
    PerFrameRule rule;
    const float speeds[] = {1.0f, 10.0f, 0.37f, 4000.0f, 2000.0f, 1999.9f, 3.3e3f, 7.0f};
    const int32_t blocks[] = {64, 1, 1000, 17, 4096};
    for (int round = 0; round < 40; ++round) {
        const int16_t wave = static_cast<int16_t>(round % 6);
        const float speed = speeds[round % 8];
        const int32_t count = blocks[round % 5];
        h.choices[tarn::lfo::PIN_WAVE] = wave;
        h.fill(tarn::lfo::PIN_SPEED, speed);
        h.bind();
        h.process(0, count);
        const float inc = speed * 0.00025f;
        for (int32_t k = 0; k < count; ++k) {
            ASSERT_EQ(out[k], rule.next(wave, inc)) << "round " << round << " frame " << k;
        }
    }
}

}  // namespace


namespace {

TEST(LfoEnvironments, AnyHostEnvironmentGivesTheSameSamplesWithoutATrap) {
    auto run = [](const tarnhost::FpEnvironment& environment) {
        TestHost host;
        auto* module = new LfoModule(&TestHost::callback, host.hostData());
        ModuleHarness h{&module->record(), host};
        std::vector<float> all;
        const float speeds[] = {std::numeric_limits<float>::quiet_NaN(), INFINITY, -INFINITY, 1e30f, 1e-40f, 0.7f};
        const tarnhost::FpState own = tarnhost::readFpState();
        tarnhost::setFpControl(environment.control);
        h.open();
        for (int16_t wave = 0; wave < 6; ++wave) {  // the random waves share the generator
            h.choices[tarn::lfo::PIN_WAVE] = wave;
            for (float speed : speeds) {
                h.fill(tarn::lfo::PIN_SPEED, speed);
                h.bind();
                h.process(0, 64);
                const auto& out = h.buffers[tarn::lfo::PIN_OUTPUT];
                all.insert(all.end(), out.begin(), out.begin() + 64);
            }
        }
        tarnhost::restoreFpState(own);
        return all;
    };
    const std::vector<float> reference = run(tarnhost::fpEnvironments().front());
    for (const tarnhost::FpEnvironment& e : tarnhost::fpEnvironments()) {
        const std::vector<float> got = run(e);
        EXPECT_EQ(std::memcmp(got.data(), reference.data(), got.size() * 4), 0) << e.name;
    }
}

TEST(LfoClose, ACloseInsideAnyHostCallEndsTheModuleWithNoFurtherHostCall) {
    for (int32_t op : {HOST_GET_PIN_COUNT, HOST_PROCESS_FUNCTION_CHANGED, HOST_GET_SAMPLE_CLOCK,
                       HOST_SET_PIN_STATUS, HOST_SCRATCH_BUFFER}) {
        TestHost host;
        auto* module = new LfoModule(&TestHost::callback, host.hostData());
        ModuleHarness h{&module->record(), host};
        h.closeInside(op);
        h.open();
        h.process(0, 64);
        EXPECT_TRUE(h.closedInside) << op;
        EXPECT_EQ(h.callsAfterClose, 0) << op;
    }
}

}  // namespace
