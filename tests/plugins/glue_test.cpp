// The format glue's own rules: volts as a user types them, inputs with two sources.
#include <gtest/gtest.h>

#include "plugins/format_glue.h"

namespace {

TEST(SignalFromVolts, GivesTheModularHostsValueForWhatAUserTypes) {
    // 8.3 V: the float nearest 8.3 divided by ten is not the float nearest 0.83.
    EXPECT_EQ(tarn::signalFromVolts(8.3f), static_cast<float>(8.3 / 10.0));
    EXPECT_NE(static_cast<float>(static_cast<double>(8.3f) / 10.0), static_cast<float>(8.3 / 10.0));
    for (const double v : {0.0, 5.0, 3.7, -10.0, 9.4, 0.05}) {
        EXPECT_EQ(tarn::signalFromVolts(static_cast<float>(v)), static_cast<float>(v / 10.0)) << v;
    }
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
