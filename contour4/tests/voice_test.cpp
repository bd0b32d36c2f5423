// Contour4's per-block core without any host: the power of two, the gate, the countdown, sync.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "contour4/signal/voice.h"

namespace {

using tarn::Contour4Voice;
using tarn::WaveTable;

TEST(PowerOfTwo, WholeExponentsAreExact) {
    for (int e = -1074; e <= 1023; e += 7) EXPECT_EQ(tarn::powerOfTwo(e), std::ldexp(1.0, e)) << e;
    EXPECT_EQ(tarn::powerOfTwo(-2000.5), 0.0);
    EXPECT_TRUE(std::isinf(tarn::powerOfTwo(1e31)));
    EXPECT_EQ(tarn::powerOfTwo(-INFINITY), 0.0);
}

// Pitches where glibc's pow(2, y) is one unit in the last place above the Windows build's;
// the values below are what the Windows build computes for 10 * pitch - 5.
TEST(PowerOfTwo, GivesTheWindowsBuildsBitsWhereGlibcsPowDiffers) {
    struct Case { float pitch; double windows; };
    const Case cases[] = {{0x1.005072p-11f, 0x1.00de74c0cd38ap-5},
                          {0x1.007126p-11f, 0x1.00de912f3721cp-5},
                          {0x1.00c898p-11f, 0x1.00dedd351f009p-5}};
    for (const Case& c : cases) EXPECT_EQ(tarn::powerOfTwo(10.0 * c.pitch - 5.0), c.windows) << c.pitch;
}

struct Voice : ::testing::Test {
    WaveTable table;
    Contour4Voice voice;
    std::vector<float> out = std::vector<float>(64, 1.0f);
    void SetUp() override {
        table.rebuild("(-5,-3.5)(5,3.5)");
        voice.open(44100.0f);
    }
};

TEST_F(Voice, ShutGateWritesSilenceAndKeepsThePhase) {
    EXPECT_FALSE(voice.decide(Contour4Voice::kLevelGate, 64));
    const float sync = 0.0f;
    voice.generate(table, 0.5f, &sync, 0, 0.8f, out.data(), 64);
    for (float v : out) EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(voice.phase(), 0.0f);
    EXPECT_EQ(voice.bandIndex(), 3);  // the pitch is taken while silent too
}

TEST_F(Voice, SleepIsDueAfterOneBlockOfSilence) {
    voice.decide(0.0f, 100);
    const float sync = 0.0f;
    EXPECT_FALSE(voice.generateIdle(table, 0.5f, &sync, 0, 0.0f, out.data(), 64));
    EXPECT_TRUE(voice.generateIdle(table, 0.5f, &sync, 0, 0.0f, out.data(), 36));
}

TEST_F(Voice, AHeldSyncRestartsTheCycleOnceWhenItRisesThroughZero) {
    ASSERT_TRUE(voice.decide(0.8f, 64));
    const float low = -0.1f, high = 0.2f;
    voice.generate(table, 0.5f, &low, 0, 0.8f, out.data(), 64);
    EXPECT_GT(voice.phase(), 0.0f);
    voice.generate(table, 0.5f, &high, 0, 0.8f, out.data(), 1);
    EXPECT_EQ(voice.phase(), 0.0f);
    EXPECT_EQ(out[0], table.valueRow(3)[0] * 0.8f);
    voice.generate(table, 0.5f, &high, 0, 0.8f, out.data(), 64);
    EXPECT_GT(voice.phase(), 0.0f);
}

}  // namespace
