// The signal-side frame: dispatcher, pin table walk, events, process switching. Built once per
// interface version.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <vector>

#include "test_host.h"
#include "frame/module_base.h"
#include "host/core/fp_environments.h"

using tarntest::TestHost;
using tarntest::HostCall;
using tarnhost::FpState;

namespace {

// A module whose pins are whatever the test declares.
class ProbeModule : public tarn::ModuleBase {
public:
    ProbeModule(HostCallback cb, int32_t hostData) : ModuleBase(cb, hostData, 0x11223344) {}
    bool getPinProperties(int32_t index, PinProperties& props) override {
        if (index < 0 || index >= static_cast<int32_t>(declared.size())) return false;
        const int32_t reserved = props.reserved;  // a module never writes this word
        props = declared[index];
        props.reserved = reserved;
        return true;
    }
    ~ProbeModule() override { ++destroyed; }
    void open() override {
        seen.push_back(tarnhost::readFpState());
        ModuleBase::open();
    }
    void onPinStatusChanged(tarn::Pin& pin) override {
        seen.push_back(tarnhost::readFpState());
        notified.push_back({pin.index, pin.status});
    }
    void onDataEvent(int32_t ts, int32_t v, int16_t v2) override { data = {ts, v, v2}; }
    void notify8() override {
        ++notify8Calls;
        if (throwInNotify8) throw std::bad_alloc();
    }
#if TARN_FRAME_VERSION == 2230
    void notify8Index(int32_t index) override { notify8Indices.push_back(index); }
#endif
    void run(int32_t first, int32_t count) {
        seen.push_back(tarnhost::readFpState());
        lastRun = {first, count};
    }
    static inline int destroyed = 0;
    std::vector<FpState> seen;  // the floating-point state inside each operation
    bool throwInNotify8 = false;

    std::vector<PinProperties> declared;
    std::vector<std::pair<int32_t, int32_t>> notified;
    std::vector<int32_t> data;
    int notify8Calls = 0;
    std::vector<int32_t> notify8Indices;
    std::pair<int32_t, int32_t> lastRun{-1, -1};
    float audioField[4] = {};
    float* audioBinding = audioField;
};

PinProperties pin(int32_t datatype, int32_t flags = 0, void* variable = nullptr) {
    PinProperties p{};
    p.variable = variable;
    p.datatype = datatype;
    p.flags = flags;
    p.name = "p";
    return p;
}

struct Fixture : ::testing::Test {
    TestHost host;
    ProbeModule* module = new ProbeModule(&TestHost::callback, host.hostData());
    ModuleRecord& rec = module->record();
    HostWord dispatch(int32_t op, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return rec.dispatcher(&rec, op, index, value, ptr, opt);
    }
    void event(int32_t type, intptr_t target, int32_t value = 0) {
        ModuleEvent ev{};
        ev.type = type;
        ev.target = reinterpret_cast<void*>(target);
        ev.value = value;
        rec.event(rec.object, &ev);
    }
    void TearDown() override {
        if (module != nullptr) {
            EXPECT_EQ(dispatch(MOD_CLOSE), 1);
        }
    }
};

using Record = Fixture;
using PinTable = Fixture;
using Events = Fixture;
using ProcessSwitch = Fixture;

TEST_F(Record, FreshRecordHoldsTheDefaultsAndAHarmlessProcessEntry) {
    EXPECT_EQ(rec.magic, 0x11223344u);
    EXPECT_EQ(rec.version, 1);
    EXPECT_EQ(rec.hostData, host.hostData());
    EXPECT_EQ(rec.object, static_cast<void*>(module));
    EXPECT_EQ(rec.sampleRate, 44100.0f);
    EXPECT_EQ(rec.blockSize, 1024);
    EXPECT_EQ(rec.reserved0, 0);
    for (int32_t w : rec.reserved1) EXPECT_EQ(w, 0);
    rec.process(rec.object, 0, 64);  // before open: does nothing
    EXPECT_EQ(module->getSampleRate(), 44100.0f);
    EXPECT_EQ(module->getBlockSize(), 1024);
    EXPECT_TRUE(host.calls.empty()) << "construction makes no host call";
}

TEST_F(Record, RateComesFromTheFloatArgumentAndBlockSizeFromValue) {
    EXPECT_EQ(dispatch(MOD_SET_SAMPLE_RATE, 7, 9, nullptr, 48000.0f), 0);
    EXPECT_EQ(rec.sampleRate, 48000.0f);
    EXPECT_EQ(dispatch(MOD_SET_BLOCK_SIZE, 7, 256, nullptr, 3.0f), 0);
    EXPECT_EQ(rec.blockSize, 256);
    EXPECT_EQ(module->getSampleRate(), 48000.0f);
}

TEST_F(Record, UnknownOpcodesDoNothingAndAnswerZero) {
    for (int32_t op : {4, 5, 7, 9, 10, 11, 99, -1}) {
        EXPECT_EQ(dispatch(op, 1, 2), 0) << op;
    }
    EXPECT_EQ(rec.sampleRate, 44100.0f);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Record, Notify8CallsTheIndexedOperationOnlyForPositiveIndicesIn2230) {
    dispatch(MOD_NOTIFY_8, 0);
    dispatch(MOD_NOTIFY_8, 3);
    EXPECT_EQ(module->notify8Calls, 2);
#if TARN_FRAME_VERSION == 2230
    EXPECT_EQ(module->notify8Indices, std::vector<int32_t>{3});
#endif
}

TEST_F(Record, ProcessInfoPointsAtTheCurrentProcessFunctionIn2230Only) {
    const HostWord r = dispatch(MOD_GET_PROCESS_INFO);
#if TARN_FRAME_VERSION == 2230
    const ProcessInfo* info = reinterpret_cast<const ProcessInfo*>(r);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->one, 1);
    EXPECT_EQ(info->size, 16);
    EXPECT_EQ(info->function, &module->processFunction());
    EXPECT_EQ(info->zero, 0);
#else
    EXPECT_EQ(r, 0);
#endif
}

TEST_F(Record, PinPropertiesAnswerOneOnlyForDeclaredPinsAndWriteNothingElse) {
    module->declared = {pin(DT_AUDIO)};
    PinProperties p{};
    p.reserved = 77;
    EXPECT_EQ(dispatch(MOD_GET_PIN_PROPERTIES, 0, 0, &p), 1);
    EXPECT_EQ(p.reserved, 77);
    PinProperties q{};
    q.name = "untouched";
    EXPECT_EQ(dispatch(MOD_GET_PIN_PROPERTIES, 1, 0, &q), 0);
    EXPECT_STREQ(q.name, "untouched");
}

TEST_F(PinTable, RepeatsOfAnAutoDuplicatedAudioPinAskTheirOwnBuffers) {
    module->declared = {pin(DT_ENUM, 0, &module->audioField[0]), pin(DT_TEXT),
                        pin(DT_AUDIO, PF_AUTO_DUPLICATE, &module->audioBinding)};
    host.pinCount = 5;
    dispatch(MOD_OPEN);
    ASSERT_EQ(module->pinCount(), 5);
    std::vector<int32_t> asked;
    for (const auto& c : host.calls)
        if (c.opcode == HOST_GET_PIN_BUFFER) asked.push_back(c.index);
    EXPECT_EQ(asked, (std::vector<int32_t>{3, 4}));
    for (int32_t j = 3; j < 5; ++j) {
        tarn::Pin* p = module->findPin(j);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->index, j);
        EXPECT_EQ(p->datatype, DT_AUDIO);
        EXPECT_EQ(p->variable, static_cast<void*>(&p->storage)) << "own storage";
        EXPECT_EQ(p->storage.buffer, host.buffers[j].data()) << "asked with its own index";
    }
    EXPECT_EQ(module->findPin(2)->variable, static_cast<void*>(&module->audioBinding));
    EXPECT_EQ(module->findPin(1)->variable, nullptr) << "a text pin has no own storage";
}

TEST_F(PinTable, WithoutAutoDuplicateOnlyTheDeclaredPinsExistAndLaterEventsAreIgnored) {
    module->declared = {pin(DT_AUDIO, 0, &module->audioBinding), pin(DT_ENUM), pin(DT_AUDIO)};
    host.pinCount = 5;
    dispatch(MOD_OPEN);
    EXPECT_NE(module->findPin(2), nullptr);
    EXPECT_EQ(module->findPin(3), nullptr);
    EXPECT_EQ(host.count(HOST_GET_PIN_BUFFER), 1) << "only declared pin 2 is unbound audio";
    event(EV_PIN_STATUS, 3, ST_RUN);
    event(EV_PIN_STATUS, 4, ST_RUN);
    EXPECT_TRUE(module->notified.empty());
    tarn::Pin* e = module->findPin(1);
    EXPECT_EQ(e->variable, static_cast<void*>(&e->storage));
    EXPECT_EQ(e->storage.word, 0u);
}

TEST_F(PinTable, MoreDeclaredPinsThanTheHostCountGetNoPinAndNoRepeats) {
    module->declared = {pin(DT_AUDIO, 0, &module->audioBinding), pin(DT_AUDIO, 0, &module->audioBinding),
                        pin(DT_AUDIO, PF_AUTO_DUPLICATE)};
    host.pinCount = 2;
    dispatch(MOD_OPEN);
    EXPECT_NE(module->findPin(1), nullptr);
    EXPECT_EQ(module->findPin(2), nullptr);
}

TEST_F(PinTable, ANonPositiveCountBuildsNothing) {
    module->declared = {pin(DT_AUDIO, PF_AUTO_DUPLICATE)};
    for (int32_t count : {0, -3}) {
        host.pinCount = count;
        dispatch(MOD_OPEN);
        EXPECT_EQ(module->pinCount(), 0);
        EXPECT_EQ(module->findPin(0), nullptr);
    }
    EXPECT_EQ(host.count(HOST_GET_PIN_BUFFER), 0);
}

TEST_F(PinTable, GuiOnlyPinsTakeNoSignalNumberIn2230) {
    module->declared = {pin(DT_TEXT, PF_GUI), pin(DT_TEXT, PF_GUI | PF_DUAL | PF_TEXT_SHAPE),
                        pin(DT_ENUM)};
    host.pinCount = 3;
    dispatch(MOD_OPEN);
    ASSERT_NE(module->findPin(1), nullptr);
#if TARN_FRAME_VERSION == 2230
    EXPECT_EQ(module->findPin(0)->datatype, DT_TEXT) << "the dual pin takes number 0";
    EXPECT_EQ(module->findPin(1)->datatype, DT_ENUM) << "the enum pin moves up to number 1";
    EXPECT_EQ(module->findPin(2), nullptr);
#else
    EXPECT_EQ(module->findPin(2)->datatype, DT_ENUM) << "every declared pin is a signal pin";
#endif
}

TEST_F(PinTable, Datatype8HasOwnStorageOnlyIn2230) {
    module->declared = {pin(DT_WORD8), pin(DT_BOOL), pin(2)};
    host.pinCount = 3;
    dispatch(MOD_OPEN);
    tarn::Pin* p = module->findPin(0);
    EXPECT_EQ(p->variable, TARN_FRAME_VERSION == 2230 ? static_cast<void*>(&p->storage) : nullptr);
    EXPECT_NE(module->findPin(1)->variable, nullptr);
    EXPECT_EQ(module->findPin(2)->variable, nullptr);
}

TEST_F(Events, PinStatusOneOffNotifiesWithOneAndFallsBackToStill) {
    module->declared = {pin(DT_ENUM), pin(DT_ENUM)};
    host.pinCount = 2;
    dispatch(MOD_OPEN);
    event(EV_PIN_STATUS, 1, ST_ONE_OFF);
    ASSERT_EQ(module->notified.size(), 1u);
    EXPECT_EQ(module->notified[0], (std::pair<int32_t, int32_t>{1, ST_ONE_OFF}));
    EXPECT_EQ(module->findPin(1)->status, ST_STILL);
    event(EV_PIN_STATUS, 0, ST_RUN);
    EXPECT_EQ(module->findPin(0)->status, ST_RUN);
}

TEST_F(Events, BadTargetsUnknownTypesAndEventsBeforeOpenAreIgnored) {
    module->declared = {pin(DT_ENUM)};
    host.pinCount = 1;
    event(EV_PIN_STATUS, 0, ST_RUN);  // no pin table yet
    dispatch(MOD_OPEN);
    event(EV_PIN_STATUS, -1, ST_RUN);
    event(EV_PIN_STATUS, 1, ST_RUN);
    event(EV_PIN_STATUS, 0x7fffffff, ST_RUN);
    event(7, 0, ST_RUN);
    event(EV_CALL, 0);
    EXPECT_TRUE(module->notified.empty());
}

TEST_F(Events, DataEventsReachOnDataEventWithAllThreeValues) {
    ModuleEvent ev{};
    ev.type = EV_DATA;
    ev.timeStamp = 11;
    ev.value = -22;
    ev.value2 = 33;
    rec.event(rec.object, &ev);
    EXPECT_EQ(module->data, (std::vector<int32_t>{11, -22, 33}));
}

void TARN_CDECL callTarget(void* object) { static_cast<ProbeModule*>(object)->notify8Calls += 100; }

TEST_F(Events, CallEventsRunTheOperationAtTheTargetAddressOnTheObject) {
    event(EV_CALL, reinterpret_cast<intptr_t>(&callTarget));
    EXPECT_EQ(module->notify8Calls, 100);
}

TEST_F(ProcessSwitch, TwoEqualSwitchesTellTheHostOnce) {
    const ProcessFunction pf = ProbeModule::processFunctionOf<ProbeModule, &ProbeModule::run>();
    module->setProcessFunction(pf);
    module->setProcessFunction(pf);
    EXPECT_EQ(host.count(HOST_PROCESS_FUNCTION_CHANGED), 1);
    EXPECT_EQ(rec.process, pf.code);
    rec.process(rec.object, 3, 7);
    EXPECT_EQ(module->lastRun, (std::pair<int32_t, int32_t>{3, 7}));

    ProcessFunction other = pf;
    other.word2 = 5;  // same code, other words: a change
    module->setProcessFunction(other);
    EXPECT_EQ(host.count(HOST_PROCESS_FUNCTION_CHANGED), 2);
}

TEST_F(ProcessSwitch, ANullCodeIsEqualWhateverItsWords) {
    ProcessFunction none{nullptr, 1, 2, 3};
    module->setProcessFunction(none);
    EXPECT_EQ(host.count(HOST_PROCESS_FUNCTION_CHANGED), 1);
    ProcessFunction none2{nullptr, 4, 5, 6};
    module->setProcessFunction(none2);
    EXPECT_EQ(host.count(HOST_PROCESS_FUNCTION_CHANGED), 1);
}

using EntryRules = Fixture;

// The host runs in each of the named environments, with sticky flags of its own raised.
TEST_F(EntryRules, EveryEntryRunsInTheModulesEnvironmentAndGivesTheHostItsOwnBack) {
    module->declared = {pin(DT_AUDIO), pin(DT_ENUM)};
    host.pinCount = 2;
    std::vector<FpState> inCallbacks;
    host.during = [&](const HostCall&, void*) { inCallbacks.push_back(tarnhost::readFpState()); };
    const FpState own = tarnhost::readFpState();
    for (const tarnhost::FpEnvironment& e : tarnhost::fpEnvironments()) {
        inCallbacks.clear();
        module->seen.clear();
        tarnhost::setFpControl(e.control);
        FpState before = tarnhost::readFpState();
        before.mxcsr |= 0x20;       // precision flag, masked everywhere
        before.x87Status |= 0x20;
        tarnhost::restoreFpState(before);
        dispatch(MOD_OPEN);
        event(EV_PIN_STATUS, 1, ST_ONE_OFF);
        module->setProcessFunction(ProbeModule::processFunctionOf<ProbeModule, &ProbeModule::run>());
        rec.process(rec.object, 0, 4);
        const FpState after = tarnhost::readFpState();
        tarnhost::restoreFpState(own);
        EXPECT_EQ(after, before) << e.name << ": " << after.describe();
        ASSERT_EQ(module->seen.size(), 3u);
        for (const FpState& in : module->seen) {
            EXPECT_EQ(in.mxcsr & 0xFFC0, 0x1F80u) << e.name;
            EXPECT_EQ(in.x87Control & 0x0F3F, 0x033F) << e.name;
        }
        ASSERT_FALSE(inCallbacks.empty());
        for (const FpState& in : inCallbacks) EXPECT_EQ(in, before) << e.name << ": the host's code in its own";
    }
}

// Opens, takes a pin change and runs; each step calls the host.
class Caller : public tarn::ModuleBase {
public:
    Caller(HostCallback cb, int32_t hostData) : ModuleBase(cb, hostData, 0x11223344) {}
    ~Caller() override { ++destroyed; }
    bool getPinProperties(int32_t index, PinProperties& p) override {
        if (index != 0) return false;
        p = pin(DT_AUDIO);
        return true;
    }
    void open() override {
        ModuleBase::open();
        setProcessFunction(processFunctionOf<Caller, &Caller::run>());
    }
    void onPinStatusChanged(tarn::Pin& p) override {
        p.setOutputStatus(sampleClock(), ST_RUN);
        setProcessFunction(processFunctionOf<Caller, &Caller::idle>());
    }
    void run(int32_t, int32_t) {}
    void idle(int32_t, int32_t) {
        callHost(HOST_SLEEP);
        sampleClock();
    }
    static inline int destroyed = 0;
};

TEST(EntryRulesClose, ACloseInsideAnyHostCallEndsTheObjectOnceWhenTheOutermostCallReturns) {
    for (int32_t op : {HOST_GET_PIN_COUNT, HOST_GET_PIN_BUFFER, HOST_PROCESS_FUNCTION_CHANGED,
                       HOST_GET_SAMPLE_CLOCK, HOST_SET_PIN_STATUS, HOST_SLEEP}) {
        TestHost host;
        host.pinCount = 1;
        Caller::destroyed = 0;
        ModuleRecord* rec = &(new Caller(&TestHost::callback, host.hostData()))->record();
        bool closed = false;
        int after = 0;
        host.during = [&](const HostCall& c, void*) {
            if (closed) ++after;
            else if (c.opcode == op) {
                closed = true;
                EXPECT_EQ(rec->dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0), 1);
                EXPECT_EQ(Caller::destroyed, 0) << "not while it is inside its own call";
            }
        };
        ModuleEvent ev{};
        ev.type = EV_PIN_STATUS;
        if (!closed) rec->dispatcher(rec, MOD_OPEN, 0, 0, nullptr, 0);
        if (!closed) rec->event(rec->object, &ev);
        if (!closed) rec->process(rec->object, 0, 16);
        EXPECT_TRUE(closed) << op;
        EXPECT_EQ(after, 0) << op << ": no call to the host after the close";
        EXPECT_EQ(Caller::destroyed, 1) << op;
    }
}

// Reads its audio input's value at each pin change.
class Reader : public tarn::ModuleBase {
public:
    Reader(HostCallback cb, int32_t hostData) : ModuleBase(cb, hostData, 0x11223344) {}
    bool getPinProperties(int32_t index, PinProperties& p) override {
        if (index != 0) return false;
        p = pin(DT_AUDIO, 0, &input);
        return true;
    }
    void onPinStatusChanged(tarn::Pin& p) override { lastRead = p.valueNow(); }
    float* input = nullptr;
    static inline float lastRead = 0.0f;
};

// A host may free what it lent an object when it closes it (AddressSanitizer sees the read).
TEST(EntryRulesClose, APinReadDuringWhichTheHostClosesReadsNoBuffer) {
    for (int32_t op : {HOST_GET_SAMPLE_CLOCK, HOST_GET_BLOCK_START}) {
        TestHost host;
        host.pinCount = 1;
        auto* reader = new Reader(&TestHost::callback, host.hostData());
        ModuleRecord* rec = &reader->record();
        float* buffer = new float[16];
        std::fill(buffer, buffer + 16, 7.0f);
        reader->input = buffer;
        rec->dispatcher(rec, MOD_OPEN, 0, 0, nullptr, 0);
        host.during = [&](const HostCall& c, void*) {
            if (c.opcode != op || buffer == nullptr) return;
            rec->dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0);
            delete[] buffer;
            buffer = nullptr;
        };
        Reader::lastRead = -1.0f;
        ModuleEvent ev{};
        ev.type = EV_PIN_STATUS;
        rec->event(rec->object, &ev);
        EXPECT_EQ(buffer, nullptr) << op;
        EXPECT_EQ(Reader::lastRead, 0.0f) << op;
    }
}

TEST_F(EntryRules, AnExceptionInAnOperationLeavesTheDepthRightForALaterClose) {
    module->throwInNotify8 = true;
    EXPECT_EQ(dispatch(MOD_NOTIFY_8), 0);
    ProbeModule::destroyed = 0;
    EXPECT_EQ(dispatch(MOD_CLOSE), 1);
    EXPECT_EQ(ProbeModule::destroyed, 1) << "the close is not taken for a nested one";
    module = nullptr;
}

TEST(NullCallback, HostCallsYieldZero) {
    ProbeModule m(nullptr, 0);
    EXPECT_EQ(m.callHost(HOST_GET_PIN_COUNT), 0);
    m.declared = {pin(DT_AUDIO)};
    m.open();  // count 0: nothing built, nothing crashes
    EXPECT_EQ(m.pinCount(), 0);
    EXPECT_EQ(m.sampleClock(), 0);
}

}  // namespace
