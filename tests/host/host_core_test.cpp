// The host core against a small module of its own: what it sends at open, how a block split by
// an event looks to the module, what the guarded buffers report, how a replaced pin text is
// handed over, and which pin statuses it rejects.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "host/core/opcode_names.h"
#include "host/core/signal_host.h"
#include "host/io/error.h"

using tarnhost::CallReport;
using tarnhost::SignalHost;

namespace {

// A module record by hand: pins "Text" (text in), "Input" (audio in), "Output" (audio out);
// process writes half the input. What it sees and what it does wrong are set by the test.
struct Spy {
    ModuleRecord record{};
    HostCallback host = nullptr;
    const char* text = nullptr;
    float* input = nullptr;
    float* output = nullptr;
    std::vector<std::pair<int, int>> statuses;  // (signal pin, status) of every pin event
    // Seen at the last event: its stamp, the clock and the input's block start.
    int32_t stamp = -1, clock = -1, blockStart = -1;
    // Faults to commit.
    int writeAt = -1;      // a frame written besides [first, first + count)
    int statusPin = -1;    // a pin to report ST_RUN for at every event
    int statusClockSkew = 0;

    HostWord call(int32_t op, HostWord index = 0, int32_t value = 0, void* ptr = nullptr) {
        return host(&record, op, index, value, ptr, 0.0f);
    }
};

Spy* spy = nullptr;

HostWord TARN_CDECL dispatcher(ModuleRecord*, int32_t op, HostWord index, int32_t, void* ptr, float) {
    if (op == MOD_GET_PIN_PROPERTIES) {
        auto& p = *static_cast<PinProperties*>(ptr);
        switch (index) {
        case 0: p = {&spy->text, DIR_IN, DT_TEXT, "Text", nullptr, nullptr, 0, 0}; return 1;
        case 1: p = {&spy->input, DIR_IN, DT_AUDIO, "Input", "5", nullptr, 0, 0}; return 1;
        case 2: p = {&spy->output, DIR_OUT, DT_AUDIO, "Output", nullptr, nullptr, 0, 0}; return 1;
        default: return 0;
        }
    }
    return op == MOD_CLOSE ? 1 : 0;
}

void TARN_CDECL process(void*, int32_t first, int32_t count) {
    for (int32_t k = first; k < first + count; ++k) spy->output[k] = spy->input[k] * 0.5f;
    if (spy->writeAt != -1) spy->output[spy->writeAt] = 1.0f;
}

void TARN_CDECL event(void*, const ModuleEvent* e) {
    if (e->type == EV_PIN_STATUS)
        spy->statuses.push_back({static_cast<int>(reinterpret_cast<intptr_t>(e->target)), e->value});
    spy->stamp = e->timeStamp;
    spy->clock = static_cast<int32_t>(spy->call(HOST_GET_SAMPLE_CLOCK));
    spy->blockStart = static_cast<int32_t>(spy->call(HOST_GET_BLOCK_START, 1));
    if (spy->statusPin >= 0)
        spy->call(HOST_SET_PIN_STATUS, spy->statusPin, ST_RUN,
                  reinterpret_cast<void*>(static_cast<intptr_t>(spy->clock + spy->statusClockSkew)));
}

void* TARN_CDECL makeSpy(int32_t, int32_t kind, HostCallback callback, int32_t hostData) {
    if (kind != KIND_SIGNAL) return nullptr;
    spy->host = callback;
    spy->record.hostData = hostData;
    spy->record.object = spy;
    spy->record.dispatcher = &dispatcher;
    spy->record.process = &process;
    spy->record.event = &event;
    return &spy->record;
}

struct HostCore : ::testing::Test {
    Spy module;
    tarnhost::ModuleLibrary library;
    void SetUp() override {
        spy = &module;
        library.makeModuleEntry = &makeSpy;
    }
    std::unique_ptr<SignalHost> open(SignalHost::Buffers buffers, int block = 64) {
        auto host = std::make_unique<SignalHost>(library, nullptr, buffers);
        host->create();
        host->setBlockSize(block);
        host->queryPins();
        host->open();
        return host;
    }
};

TEST_F(HostCore, OpenSendsEveryInputItsStatusAndBindsTheDefaults) {
    auto host = open(SignalHost::Buffers::Plain);
    ASSERT_EQ(module.statuses.size(), 2u) << "one event per input";
    EXPECT_EQ(module.statuses[0], (std::pair<int, int>{0, ST_ONE_OFF})) << "a text input";
    EXPECT_EQ(module.statuses[1], (std::pair<int, int>{1, ST_STILL})) << "an audio input held";
    EXPECT_STREQ(module.text, "");
    EXPECT_EQ(module.input[0], 0.5f) << "the default 5 V in signal units";
    std::vector<float> out;
    host->render(100, out);
    ASSERT_EQ(out.size(), 100u);
    EXPECT_EQ(out[99], 0.25f) << "the first audio output, rendered";
}

TEST_F(HostCore, AnEventInsideASplitBlockIsStampedThereAndTheBlockStartStays) {
    auto host = open(SignalHost::Buffers::Guarded);
    host->process(0, 64);  // block 0
    host->process(0, 20, false);
    host->setAudio(1, 0.3f);
    EXPECT_EQ(module.stamp, 84);
    EXPECT_EQ(module.clock, 84);
    EXPECT_EQ(module.blockStart, 64) << "valueNow reads frame 20 of the block";
    const CallReport rest = host->process(20, 44);
    EXPECT_EQ(rest.written, 44);
    host->setAudio(1, 0.1f);
    EXPECT_EQ(module.clock, 128) << "the next block starts after the split one";
}

TEST_F(HostCore, GuardedBuffersReportWritesOutsideTheCallAndNonFiniteSamples) {
    auto host = open(SignalHost::Buffers::Guarded);
    CallReport r = host->process(10, 20);
    EXPECT_EQ(r.written, 20);
    EXPECT_FALSE(r.outside);
    module.writeAt = 30;  // one past the end
    r = host->process(10, 20);
    EXPECT_TRUE(r.outside);
    module.writeAt = -1;
    host->setAudio(1, std::numeric_limits<float>::infinity(), false);
    r = host->process(0, 8);
    EXPECT_TRUE(r.nonFinite);
}

TEST_F(HostCore, AReplacedPinTextIsANewBufferAndTheModuleIsRebound) {
    auto host = open(SignalHost::Buffers::Guarded);
    host->setText(0, "first");
    const char* first = module.text;
    EXPECT_STREQ(first, "first");
    host->setText(0, "second");
    EXPECT_STREQ(module.text, "second");
    EXPECT_NE(module.text, first) << "never the old buffer, which the host poisons and frees";
    EXPECT_STREQ(host->pinText(0), "second");
    EXPECT_STREQ(host->pinText(7), "") << "no such pin";
}

TEST_F(HostCore, PinStatusesMustNameAnOutputAtTheCurrentClock) {
    for (const auto& [pin, skew, problem] :
         {std::tuple{2, 0, ""}, std::tuple{1, 0, "is an input"}, std::tuple{9, 0, "not a pin"},
          std::tuple{2, 5, "not the current"}}) {
        Spy fresh;
        spy = &fresh;
        fresh.statusPin = pin;
        fresh.statusClockSkew = skew;
        auto host = open(SignalHost::Buffers::Guarded);
        host->process(0, 64);
        host->notify(1);
        if (*problem == '\0') EXPECT_EQ(host->pinStatusProblem(), "") << pin;
        else EXPECT_NE(host->pinStatusProblem().find(problem), std::string::npos) << host->pinStatusProblem();
    }
}

TEST_F(HostCore, AValueThatDoesNotSuitItsPinIsAnInputError) {
    auto host = open(SignalHost::Buffers::Plain);
    EXPECT_THROW(host->setPinFromUser(host->pins()[1], "loud"), tarnhost::InputError);
    EXPECT_THROW(host->setPinInput(host->pins()[0], "in.f32"), tarnhost::InputError) << "not an audio input";
    EXPECT_THROW(host->setPinInput(host->pins()[1], "/no/such/file.f32"), tarnhost::InputError);
    host->setPinFromUser(host->pins()[1], "-2.5");
    EXPECT_EQ(module.input[0], -0.25f) << "volts in signal units";
}

// Check names such as reentry.signal.HOST_SLEEP are these names: the enum identifiers themselves.
TEST(OpcodeNames, AreTheEnumIdentifiersAndNumberTheUnknown) {
    EXPECT_EQ(tarnhost::hostOpName(HOST_SLEEP), "HOST_SLEEP");
    EXPECT_EQ(tarnhost::guiHostOpName(GUI_HOST_SET_PIN_TEXT), "GUI_HOST_SET_PIN_TEXT");
    EXPECT_EQ(tarnhost::moduleOpName(MOD_GET_PROCESS_INFO), "MOD_GET_PROCESS_INFO");
    EXPECT_EQ(tarnhost::guiOpName(GUI_NOTIFY_6), "GUI_NOTIFY_6");
    EXPECT_EQ(tarnhost::eventTypeName(EV_DATA), "EV_DATA");
    EXPECT_EQ(tarnhost::hostOpName(5), "HOST_OP_5");
    EXPECT_EQ(tarnhost::guiOpName(99), "GUI_OP_99");
}

}  // namespace
