// The GUI side of the frame: record, dispatcher table, pin text exchange, the owner walk.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame/gui_base.h"

namespace {

struct Calls {
    std::vector<int32_t> ops;
    std::vector<HostWord> indices;
    std::vector<std::string> texts;
    const char* answerText = nullptr;
    HostWord parentOf7 = 8, windowOf8 = 0;
};
Calls* calls = nullptr;

HostWord TARN_CDECL host(void*, int32_t op, HostWord index, int32_t, void* ptr, float) {
    calls->ops.push_back(op);
    calls->indices.push_back(index);
    if (op == GUI_HOST_SET_PIN_TEXT) calls->texts.push_back(ptr == nullptr ? "<null>" : static_cast<const char*>(ptr));
    if (op == GUI_HOST_GET_PIN_TEXT) return reinterpret_cast<HostWord>(calls->answerText);
    if (op == GUI_HOST_GET_PARENT) return index == 7 ? calls->parentOf7 : index + 1;
    if (op == GUI_HOST_GET_WINDOW) return index == 8 ? calls->windowOf8 : 0;
    return 0;
}

struct Probe : tarn::GuiBase {
    Probe() : GuiBase(&host, 0x42) {}
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
    Calls c;
    Probe* gui;
    void SetUp() override {
        calls = &c;
        gui = new Probe;
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
    EXPECT_EQ(r.hostData, 0x42);
    EXPECT_EQ(r.object, static_cast<void*>(gui));
    for (int32_t w : r.reserved) EXPECT_EQ(w, 0);
    EXPECT_TRUE(c.ops.empty());
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
    std::string held = "(1,2)";
    c.answerText = held.c_str();
    const std::string got = gui->getPin(0)->getText();
    held[1] = '9';
    EXPECT_EQ(got, "(1,2)") << "copied at once";
    c.answerText = nullptr;
    EXPECT_EQ(gui->getPin(0)->getText(), "") << "a null answer reads as empty";
    gui->getPin(2)->setText("");
    ASSERT_EQ(c.texts.size(), 1u);
    EXPECT_EQ(c.texts[0], "");
    EXPECT_EQ(c.indices.back(), 2);
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
    c.windowOf8 = 0x900;
    EXPECT_EQ(gui->findOwnerWindow(&v), 0x900);
    EXPECT_EQ(c.ops, (std::vector<int32_t>{GUI_HOST_GET_PARENT, GUI_HOST_GET_WINDOW})) << "the view's own window is never asked";
    c.windowOf8 = 0;
    c.parentOf7 = 0;
    EXPECT_EQ(gui->findOwnerWindow(&v), 0);
    c.parentOf7 = 8;  // 8 -> 9 -> 10 ... never a window: bounded
    c.ops.clear();
    EXPECT_EQ(gui->findOwnerWindow(&v), 0);
    EXPECT_EQ(c.ops.size(), 2u * tarn::GuiBase::kMaxParentSteps);
}

TEST(GuiFrameWithoutHost, EveryHostCallAnswersZero) {
    tarn::GuiBase quiet(nullptr, 0);
    EXPECT_EQ(quiet.callHost(GUI_HOST_GET_PIN_TEXT), 0);
    EXPECT_EQ(quiet.getPin(0)->getText(), "");
    EXPECT_FALSE(quiet.hasCapture(nullptr));
}

}  // namespace
