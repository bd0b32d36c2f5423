// What every front-end shares of pin values: volts as users write and set them, choice lists.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/pin_values.h"

namespace {

using Choices = std::vector<std::pair<std::string, long long>>;

TEST(PinValues, AKnobSetToAWrittenValueGivesWhatTheWrittenValueGives) {
    // 8.3 V: the float nearest 8.3, widened and divided, is not the float nearest 0.83.
    EXPECT_NE(static_cast<float>(static_cast<double>(8.3f) / 10.0), tarn::signalFromWrittenVolts(8.3));
    EXPECT_EQ(tarn::signalFromWrittenVolts(8.3), static_cast<float>(8.3 / 10.0));
    for (int hundredths = -1000; hundredths <= 1000; ++hundredths) {
        const double written = hundredths / 100.0;
        EXPECT_EQ(tarn::signalFromVoltsSetting(static_cast<float>(written)), tarn::signalFromWrittenVolts(written))
            << written;
    }
    EXPECT_EQ(tarn::voltsFromSignal(0.5f), 5.0);
}

TEST(ChoiceList, ReadsEachWellFormedItemInOrderAndLeavesOutTheRest) {
    EXPECT_EQ(tarn::parseChoiceList("Sine=0,Saw=1,100% Pulse=3"),
              (Choices{{"Sine", 0}, {"Saw", 1}, {"100% Pulse", 3}}));
    EXPECT_EQ(tarn::parseChoiceList("a=b=2,low=-4,up=+5"), (Choices{{"a=b", 2}, {"low", -4}, {"up", 5}}))
        << "split at the last =, signed values";
    EXPECT_EQ(tarn::parseChoiceList("none,empty=,x=1y,y= 2,z=0x3,,=7,w=9"), (Choices{{"", 7}, {"w", 9}}));
    EXPECT_TRUE(tarn::parseChoiceList("").empty());
}

}  // namespace
