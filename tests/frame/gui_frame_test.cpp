// The GUI side of the frame: record, dispatcher table, pin text exchange, the owner walk.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "frame/entry_points.h"
#include "frame/gui_base.h"
#include "host/core/fp_environments.h"
#include "test_host.h"

namespace {

using tarntest::HostCall;
using tarntest::TestHost;

// The floating-point state in each host call.
std::vector<tarnhost::FpState> states;

// The view 7 has the parent 8, every other view h the parent h + 1; 8 has the window `window`.
void asAViewChain(TestHost& host, HostWord window) {
    host.parentOf = [](HostWord h) -> HostWord { return h + 1; };
    host.windowOf = [window](HostWord h) -> HostWord { return h == 8 ? window : 0; };
    host.during = [](const HostCall&, void*) { states.push_back(tarnhost::readFpState()); };
}

struct Probe : tarn::GuiBase {
    explicit Probe(TestHost& host) : GuiBase(&TestHost::callback, host.hostData()) {}
    void onOpen(bool primary) override { opened.push_back(primary); }
    void onMouseDown(const ViewRecord* v, uint32_t word, tarn::GuiPoint p) override {
        view = v;
        flags = word;
        point = p;
    }
    void onPinValueChanged(tarn::GuiPinRef pin) override { changed.push_back(pin.index); }
    std::vector<bool> opened;
    const ViewRecord* view = nullptr;
    uint32_t flags = 0;
    tarn::GuiPoint point{-1, -1};
    std::vector<int32_t> changed;
};

struct GuiFrame : ::testing::Test {
    TestHost host;
    Probe* gui;
    void SetUp() override {
        asAViewChain(host, 0);
        gui = new Probe(host);
    }
    void TearDown() override { EXPECT_EQ(dispatch(GUI_CLOSE), 1); }
    HostWord dispatch(int32_t op, HostWord index = 0, int32_t value = 0, void* ptr = nullptr, float opt = 0) {
        GuiRecord& r = gui->record();
        return r.dispatcher(&r, op, index, value, ptr, opt);
    }
};

TEST_F(GuiFrame, TheRecordIsFilledAndConstructionCallsNoHost) {
    const GuiRecord& r = gui->record();
    EXPECT_EQ(r.magic, 0x5A4B504Du);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(r.hostData, host.hostData());
    EXPECT_EQ(r.object, static_cast<void*>(gui));
    for (int32_t w : r.reserved) EXPECT_EQ(w, 0);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(GuiFrame, OpenIsPrimaryOnlyForIndexOne) {
    dispatch(GUI_OPEN, 1);
    dispatch(GUI_OPEN, 0);
    dispatch(GUI_OPEN, 2);
    EXPECT_EQ(gui->opened, (std::vector<bool>{true, false, false}));
}

TEST_F(GuiFrame, MouseCallsDeliverThePointTheViewAndTheFloatAsAWord) {
    ViewRecord v{10, 20, 3};
    dispatch(GUI_MOUSE_DOWN, 30, 40, &v, 1.5f);
    EXPECT_EQ(gui->point.x, 30);
    EXPECT_EQ(gui->point.y, 40);
    EXPECT_EQ(gui->view, &v);
    uint32_t bits;
    const float f = 1.5f;
    std::memcpy(&bits, &f, 4);
    EXPECT_EQ(gui->flags, bits);
}

TEST_F(GuiFrame, UnhandledOpcodesAnswerZeroAndPinChangesNameThePin) {
    EXPECT_EQ(dispatch(10), 0);
    for (int32_t op : {8, 9, 11, 12, 6, 13, 99, -5}) EXPECT_EQ(dispatch(op, 1, 2), 0) << op;
    dispatch(GUI_PIN_CHANGED, 3);
    EXPECT_EQ(gui->changed, std::vector<int32_t>{3});
}

TEST_F(GuiFrame, PinTextIsCopiedAndAnEmptyTextIsNeverNull) {
    host.text = "(1,2)";
    const std::string got = gui->getPin(0)->getText();
    host.text[1] = '9';
    EXPECT_EQ(got, "(1,2)") << "copied at once";
    host.nullText = true;
    EXPECT_EQ(gui->getPin(0)->getText(), "") << "a null answer reads as empty";
    gui->getPin(2)->setText("");
    ASSERT_EQ(host.written.size(), 1u);
    EXPECT_EQ(host.written[0], "") << "never a null address";
    EXPECT_EQ(host.calls.back().index, 2);
}

TEST_F(GuiFrame, GetPinHandsOutOneSharedReference) {
    tarn::GuiPinRef* a = gui->getPin(1);
    tarn::GuiPinRef* b = gui->getPin(4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b->index, 4);
    EXPECT_EQ(b->gui, gui);
}

TEST_F(GuiFrame, TheOwnerWalkStartsAtTheParentAndStopsAtZeroOrAfterALoop) {
    ViewRecord v{1, 1, 7};
    asAViewChain(host, 0x900);
    EXPECT_EQ(gui->findOwnerWindow(&v), 0x900);
    EXPECT_EQ(host.opcodes(), (std::vector<int32_t>{GUI_HOST_GET_PARENT, GUI_HOST_GET_WINDOW}))
        << "the view's own window is never asked";
    host.parentOf = [](HostWord) -> HostWord { return 0; };
    EXPECT_EQ(gui->findOwnerWindow(&v), 0);
    asAViewChain(host, 0);  // 8 -> 9 -> 10 ... never a window: bounded
    host.calls.clear();
    EXPECT_EQ(gui->findOwnerWindow(&v), 0);
    EXPECT_EQ(host.calls.size(), 2u * tarn::GuiBase::kMaxParentSteps);
}

// A panel whose every handler calls the host: the pin text, the capture, the owner walk.
struct Busy : tarn::GuiBase {
    using GuiBase::GuiBase;
    ~Busy() override { ++destroyed; }
    void onCreated() override { callHost(GUI_HOST_SET_SIZE, 10, 10); }
    void onOpen(bool) override {
        seen.push_back(tarnhost::readFpState());
        getPin(0)->getText();
    }
    void onMouseDown(const ViewRecord* v, uint32_t, tarn::GuiPoint p) override {
        if (findOwnerWindow(v) != 0) toScreen(v, p);
        captureMouse(v);
    }
    void onMouseUp(const ViewRecord* v, uint32_t, tarn::GuiPoint) override {
        if (!hasCapture(v)) return;
        releaseMouse(v);
        getPin(0)->setText("(1,2)");
        redraw();
    }
    void paint(void*, const ViewRecord*) override { throw std::bad_alloc(); }
    std::vector<tarnhost::FpState> seen;
    static inline int destroyed = 0;
};

GuiRecord* makeBusy(TestHost& host) {
    tarn::ModuleFpScope fp;  // as makeModule makes it
    return static_cast<GuiRecord*>(tarn::makeObject<Busy>(&TestHost::callback, host.hostData(), fp.host()));
}

HostWord call(GuiRecord* r, int32_t op, HostWord index = 0, int32_t value = 0, void* ptr = nullptr) {
    return r->dispatcher(r, op, index, value, ptr, 0);
}

TEST(GuiFrameEntries, EveryCallRunsInTheModulesEnvironmentAndTheHostKeepsItsOwn) {
    TestHost host;
    asAViewChain(host, 0x900);
    ViewRecord v{10, 10, 7};
    const tarnhost::FpState own = tarnhost::readFpState();
    for (const tarnhost::FpEnvironment& e : tarnhost::fpEnvironments()) {
        states.clear();
        tarnhost::setFpControl(e.control);
        const tarnhost::FpState before = tarnhost::readFpState();
        GuiRecord* r = makeBusy(host);
        call(r, GUI_OPEN, 1);
        call(r, GUI_MOUSE_DOWN, 1, 1, &v);
        const auto* panel = static_cast<Busy*>(tarn::GuiBase::fromRecord(r));
        const tarnhost::FpState inside = panel->seen.at(0);
        call(r, GUI_CLOSE);
        const tarnhost::FpState after = tarnhost::readFpState();
        tarnhost::restoreFpState(own);
        EXPECT_EQ(after, before) << e.name;
        EXPECT_EQ(inside.mxcsr & 0xFFC0, 0x1F80u) << e.name;
        EXPECT_EQ(inside.x87Control & 0x0F3F, 0x033F) << e.name;
        ASSERT_GE(states.size(), 5u);
        for (const tarnhost::FpState& s : states) EXPECT_EQ(s, before) << e.name << ": the host's code in its own";
    }
}

TEST(GuiFrameEntries, ACloseInsideAnyHostCallEndsThePanelOnceAndNothingCallsTheHostAfter) {
    for (int32_t op : {GUI_HOST_SET_SIZE, GUI_HOST_GET_PIN_TEXT, GUI_HOST_GET_PARENT, GUI_HOST_GET_WINDOW,
                       GUI_HOST_TO_SCREEN, GUI_HOST_CAPTURE_MOUSE, GUI_HOST_HAS_CAPTURE, GUI_HOST_RELEASE_MOUSE,
                       GUI_HOST_SET_PIN_TEXT, GUI_HOST_REDRAW}) {
        TestHost host;
        asAViewChain(host, 0x900);
        Busy::destroyed = 0;
        bool closed = false;
        int after = 0;
        host.during = [&](const HostCall& c, void* record) {
            if (closed) ++after;
            else if (c.opcode == op) {
                closed = true;
                auto* r = static_cast<GuiRecord*>(record);
                EXPECT_EQ(call(r, GUI_CLOSE), 1);
                EXPECT_EQ(Busy::destroyed, 0) << "not while it is inside its own call";
            }
        };
        ViewRecord v{10, 10, 7};
        GuiRecord* r = makeBusy(host);
        EXPECT_EQ(r == nullptr, op == GUI_HOST_SET_SIZE) << "closed while being made: no record";
        if (!closed) call(r, GUI_OPEN, 1);
        if (!closed) call(r, GUI_MOUSE_DOWN, 1, 1, &v);
        if (!closed) call(r, GUI_MOUSE_UP, 1, 1, &v);
        EXPECT_TRUE(closed) << op;
        EXPECT_EQ(after, 0) << op << ": no call to the host after the close";
        EXPECT_EQ(Busy::destroyed, 1) << op;
    }
}

TEST(GuiFrameEntries, AnExceptionInAHandlerLeavesTheDepthRightForALaterClose) {
    TestHost host;
    ViewRecord v{10, 10, 7};
    Busy::destroyed = 0;
    GuiRecord* r = makeBusy(host);
    EXPECT_EQ(call(r, GUI_PAINT, 0, 0, &v), 0);
    EXPECT_EQ(call(r, GUI_CLOSE), 1);
    EXPECT_EQ(Busy::destroyed, 1);
}

TEST(GuiFrameWithoutHost, EveryHostCallAnswersZero) {
    tarn::GuiBase quiet(nullptr, 0);
    EXPECT_EQ(quiet.callHost(GUI_HOST_GET_PIN_TEXT), 0);
    EXPECT_EQ(quiet.getPin(0)->getText(), "");
    EXPECT_FALSE(quiet.hasCapture(nullptr));
}

}  // namespace
