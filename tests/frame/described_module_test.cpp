// A module served from its description: the pin table the host reads, the slots it binds, and
// the core-served object's open and process calls. Built with the 2230 frame.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/core_module.h"
#include "module_harness.h"
#include "test_host.h"

using tarn::PinBlock;
using tarn::PinChoice;
using tarn::PinDescription;
using tarn::PinType;
using tarntest::ModuleHarness;
using tarntest::TestHost;

namespace {

enum : int32_t { IN, MODE, NAME, LEFT, RIGHT, PINS };
constexpr PinChoice kModes[] = {{"Off", 0}, {"On", 3}};
constexpr PinDescription kPins[PINS] = {
    {"In", "in", PinType::Audio, false, nullptr, 0.0f, "V", 0.0f, 10.0f, nullptr, nullptr, 0, 0x0, false, false, 0.0f, "In CV", "in_cv", true},
    {"Mode", "mode", PinType::Choice, false, "3", 3.0f, "", 0.0f, 3.0f, "Off=0,On=3", kModes, 2, 0x0, false, false, 0.0f, nullptr, nullptr, false},
    {"Name", "name", PinType::Text, false, nullptr, 0.0f, "", 0.0f, 0.0f, nullptr, nullptr, 0, 0x8500, true, false, 0.0f, nullptr, nullptr, false},
    {"Left", "left", PinType::Audio, true, "0", 0.0f, "V", 0.0f, 0.0f, nullptr, nullptr, 0, 0x0, false, false, 0.0f, nullptr, nullptr, false},
    {"Right", "right", PinType::Audio, true, nullptr, 0.0f, "V", 0.0f, 0.0f, nullptr, nullptr, 0, 0x0, false, false, 0.0f, nullptr, nullptr, false},
};
constexpr tarn::ModuleDescription kTest = {"Test", "Test", "Test", 2230, 0x12345678u, false, 0, "about", "a test",
                                           "urn:test", "test", "Test", "1.0.0", 1, 0, 0, 0, 0, 8, kPins, PINS,
                                           "A test.", nullptr, 0};

// Left is In plus the choice, Right the text's length; counts its calls.
struct TestCore {
    static constexpr const tarn::ModuleDescription& kDescription = kTest;
    void open(float rate) { openedAt = rate; }
    void process(const PinBlock& pins, int32_t count) {
        ++processed;
        const float length = pins.text(NAME) != nullptr ? static_cast<float>(std::strlen(pins.text(NAME))) : -1.0f;
        for (int32_t k = 0; k < count; ++k) {
            pins.output(LEFT)[k] = pins.input(IN)[k] + pins.choice(MODE);
            pins.output(RIGHT)[k] = length;
        }
    }
    float openedAt = 0.0f;
    int processed = 0;
};
using TestModule = tarn::CoreModule<TestCore>;

PinProperties marked() {
    PinProperties p;
    std::memset(&p, 0xA5, sizeof p);
    return p;
}
bool untouched(const void* field, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (static_cast<const uint8_t*>(field)[i] != 0xA5) return false;
    return true;
}

TEST(DescribedModule, EachPinReachesTheHostWithOnlyTheFieldsItHas) {
    TestHost host;
    auto* module = new TestModule(&TestHost::callback, host.hostData());
    ModuleRecord* rec = &module->record();
    EXPECT_EQ(rec->magic, 0x12345678u);
    PinProperties p[PINS];
    for (int32_t i = 0; i < PINS; ++i) {
        p[i] = marked();
        ASSERT_EQ(rec->dispatcher(rec, MOD_GET_PIN_PROPERTIES, i, 0, &p[i], 0), 1);
        EXPECT_STREQ(p[i].name, kPins[i].name);
        EXPECT_EQ(p[i].flags, kPins[i].hostFlags);
        EXPECT_TRUE(untouched(&p[i].reserved, sizeof p[i].reserved)) << i;
        EXPECT_EQ(untouched(&p[i].enumList, sizeof(void*)), i != MODE) << i;
        EXPECT_EQ(untouched(&p[i].defaultValue, sizeof(void*)), kPins[i].defaultText == nullptr) << i;
    }
    EXPECT_EQ(p[IN].datatype, DT_AUDIO);
    EXPECT_EQ(p[MODE].datatype, DT_ENUM);
    EXPECT_STREQ(p[MODE].enumList, "Off=0,On=3");
    EXPECT_EQ(p[NAME].datatype, DT_TEXT);
    EXPECT_EQ(p[LEFT].direction, DIR_OUT);
    EXPECT_EQ(p[IN].direction, DIR_IN);
    EXPECT_EQ(*static_cast<int16_t*>(p[MODE].variable), 3) << "a choice holds its default until bound";

    for (int32_t index : {-1, int32_t{PINS}, 1000}) {
        PinProperties past = marked();
        EXPECT_EQ(rec->dispatcher(rec, MOD_GET_PIN_PROPERTIES, index, 0, &past, 0), 0);
        EXPECT_TRUE(untouched(&past, sizeof past)) << index;
    }
    rec->dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0);
}

TEST(CoreModule, OpenReportsEveryOutputRunningAndThenHandsOverTheScratchBuffer) {
    TestHost host;
    auto* module = new TestModule(&TestHost::callback, host.hostData());
    ModuleHarness h{&module->record(), host};
    h.dispatch(MOD_SET_SAMPLE_RATE, 0, 0, nullptr, 48000.0f);
    host.calls.clear();
    h.open();
    EXPECT_EQ(module->core().openedAt, 48000.0f);
    std::vector<std::pair<int32_t, HostWord>> calls;
    for (const auto& c : host.calls)
        if (c.opcode != HOST_GET_SAMPLE_CLOCK) calls.push_back({c.opcode, c.index});
    const std::vector<std::pair<int32_t, HostWord>> expected = {
        {HOST_GET_PIN_COUNT, 0}, {HOST_PROCESS_FUNCTION_CHANGED, 0}, {HOST_SET_PIN_STATUS, LEFT},
        {HOST_SET_PIN_STATUS, RIGHT}, {HOST_SCRATCH_BUFFER, 0}};
    EXPECT_EQ(calls, expected);
}

TEST(CoreModule, TheCoreSeesEveryPinFromTheCallsFirstFrameAndNothingBeforeAllBuffersAreBound) {
    TestHost host;
    auto* module = new TestModule(&TestHost::callback, host.hostData());
    ModuleHarness h{&module->record(), host};
    for (int k = 0; k < ModuleHarness::kFrames; ++k) h.buffers[IN][k] = static_cast<float>(k);
    h.choices[MODE] = 1;
    h.texts[NAME] = "abc";
    h.bind();
    h.open();
    h.process(10, 4);
    for (int k = 8; k < 16; ++k) {
        const bool inside = k >= 10 && k < 14;
        EXPECT_EQ(h.buffers[LEFT][k], inside ? static_cast<float>(k + 1) : 0.0f) << k;
        EXPECT_EQ(h.buffers[RIGHT][k], inside ? 3.0f : 0.0f) << k;
    }

    *static_cast<float**>(h.props[RIGHT].variable) = nullptr;
    h.process(20, 4);
    EXPECT_EQ(module->core().processed, 1) << "an unbound buffer: nothing runs";
}

}  // namespace
