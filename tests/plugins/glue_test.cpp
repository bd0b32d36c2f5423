// The format glue's own rules: knobs in volts as a user types them, inputs with two sources.
#include <gtest/gtest.h>

#include "plugins/format_glue.h"

namespace {

TEST(VoltsParameters, GiveTheModularHostsValueForWhatAUserTypes) {
    // 8.3 V: the float nearest 8.3 divided by ten is not the float nearest 0.83.
    tarn::VoltsParameters<6> knobs;
    const double typed[6] = {8.3, 5.0, 3.7, -10.0, 9.4, 0.05};
    for (size_t i = 0; i < 6; ++i) knobs.set(i, static_cast<float>(typed[i]));
    const float* signals = knobs.signals();
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(signals[i], static_cast<float>(typed[i] / 10.0)) << typed[i];
    EXPECT_NE(static_cast<float>(static_cast<double>(8.3f) / 10.0), signals[0]);
    knobs.set(0, 1.0f);
    EXPECT_EQ(knobs.signals()[0], 0.1f) << "a change reaches the next block";
}

TEST(TwoSourceInput, FollowsWhicheverSourceChangedLast) {
    tarn::TwoSourceInput in;
    in.observe(0.0f);
    EXPECT_EQ(in.value(0.0f), 0.0f);
    in.set(0.5f);  // a note
    in.observe(0.0f);
    EXPECT_EQ(in.value(0.0f), 0.5f) << "a stream that holds still leaves the note in force";
    in.observe(0.2f);
    EXPECT_EQ(in.value(0.2f), 0.2f) << "a stream that moves takes over";
    in.set(0.7f);
    in.observe(0.2f);
    EXPECT_EQ(in.value(0.2f), 0.7f);
}

}  // namespace
