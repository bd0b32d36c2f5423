// The Contour4 panel against a fake GUI host and the recording GDI stand-in: pin sync, paint,
// dragging, the menu and its commands, presets and the owner-window walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "contour4/editor/contour4_gui.h"
#include "contour4/editor/menu_layout.h"
#include "frame/crt_random.h"
#include "frame/entry_points.h"
#include "gdi_recorder.h"
#include "test_host.h"

using tarn::Contour4Gui;
using tarntest::HostCall;
using tarntest::TestHost;
using tarntest::gdi;

namespace {

// The panel's host: the pin text lives there and a write is echoed back to the panel as a pin
// change from inside the write; the view 7 has the parent 8, 8 has 9, and 9 the window 0x5151.
void asThePanelsHost(TestHost& host) {
    host.echo = true;
    host.parentOf = [](HostWord h) -> HostWord { return h == 7 ? 8 : h == 8 ? 9 : 0; };
    host.windowOf = [](HostWord h) -> HostWord { return h == 9 ? 0x5151 : 0; };
}

struct Editor : ::testing::Test {
    TestHost host;
    Contour4Gui* gui = nullptr;
    ViewRecord view{256, 100, 7};
    HDC dc = reinterpret_cast<HDC>(0x99);

    void SetUp() override {
        gdi().reset();
        asThePanelsHost(host);
        tarn::ModuleFpScope fp;  // as makeModule makes it
        auto* record = static_cast<GuiRecord*>(
            tarn::makeObject<Contour4Gui>(&TestHost::callback, host.hostData(), fp.host()));
        gui = static_cast<Contour4Gui*>(tarn::GuiBase::fromRecord(record));
    }
    void TearDown() override {
        if (gui == nullptr) return;  // the test closed it
        GuiRecord& r = gui->record();
        EXPECT_EQ(r.dispatcher(&r, GUI_CLOSE, 0, 0, nullptr, 0), 1);
    }
    HostWord dispatch(int32_t op, HostWord index = 0, int32_t value = 0, void* ptr = nullptr) {
        GuiRecord& r = gui->record();
        return r.dispatcher(&r, op, index, value, ptr, 0);
    }
    void open(const std::string& text) {
        host.text = text;
        dispatch(GUI_OPEN, 1);
    }
    void press(int x, int y) { dispatch(GUI_MOUSE_DOWN, x, y, &view); }
    void move(int x, int y) { dispatch(GUI_MOUSE_MOVE, x, y, &view); }
    void release() { dispatch(GUI_MOUSE_UP, 0, 0, &view); }
    void choose(int command, int x = 5, int y = 5) {
        gdi().trackAnswer = command;
        press(x, y);
        release();
    }
    std::vector<float> heights() const {
        std::vector<float> h;
        for (const tarn::Node& n : gui->nodes) h.push_back(n.y);
        return h;
    }
    static std::vector<float> list(std::initializer_list<float> v) { return v; }
};

using EditorPaint = Editor;
using EditorDrag = Editor;
using EditorMenu = Editor;

TEST_F(Editor, CreationAsksForTheSizeThenSendsOpcodeFour) {
    ASSERT_EQ(host.opcodes(), (std::vector<int32_t>{GUI_HOST_SET_SIZE, GUI_HOST_CONSTRUCTED}));
    EXPECT_EQ(host.calls[0].index, 256);
    EXPECT_EQ(host.calls[0].value, 100);
    EXPECT_EQ(host.calls[1].index, 1);
    EXPECT_EQ(host.calls[1].value, 0);
    EXPECT_EQ(gui->dragNode, -1);
    for (const tarn::Node& n : gui->nodes) EXPECT_EQ(n.x + n.y, 0.0f);
}

TEST_F(Editor, AnEmptyPinGetsTheDefaultTextWhichComesBackAsNodes) {
    host.echo = false;
    open("");
    ASSERT_EQ(host.written.size(), 1u);
    EXPECT_EQ(host.written[0], tarn::kDefaultShapeText);
    EXPECT_EQ(gui->nodes[12].y, 0.0f) << "until the text comes back the nodes stay at (0, 0)";
    dispatch(GUI_PIN_CHANGED, 0);
    EXPECT_EQ(gui->nodes[12].x, 50.0f);
    EXPECT_EQ(gui->nodes[0].y, 100.0f);
}

TEST_F(Editor, AHostThatReportsTheChangeBeforeTheTextGetsTheDefaultOnce) {
    host.keepsText = true;  // every GUI_PIN_CHANGED finds the pin still empty
    open("");
    EXPECT_EQ(host.written.size(), 1u) << "the reload from inside the write sends nothing again";
    dispatch(GUI_PIN_CHANGED, 0);
    EXPECT_EQ(host.written.size(), 2u) << "a later change may ask again";
}

TEST_F(Editor, AShortTextMovesOnlyTheNodesItReaches) {
    std::string t;
    for (int i = 0; i < 10; ++i) t += "(" + std::to_string(i - 5) + ",1)";
    open(t);
    EXPECT_EQ(gui->nodes[9].x, 90.0f);
    EXPECT_EQ(gui->nodes[9].y, 40.0f);
    EXPECT_EQ(gui->nodes[10].x, 0.0f);
    EXPECT_EQ(gui->nodes[24].y, 0.0f);
    EXPECT_GE(host.redraws, 1);
}

TEST_F(Editor, OpenWithAnyIndexLoadsThePinAndOtherOpcodesAnswerZero) {
    host.text = "(1,1)";
    dispatch(GUI_OPEN, 0);
    EXPECT_EQ(gui->nodes[0].x, 60.0f);
    EXPECT_EQ(dispatch(10), 0);
    EXPECT_EQ(dispatch(99), 0);
}

TEST_F(EditorPaint, DrawsTheCrossTheButtonTheCurveAndTheHandles) {
    open("(0,0)");  // node 0 at grid (50, 50); the rest at (0, 0)
    gdi().reset();
    dispatch(GUI_PAINT, reinterpret_cast<HostWord>(dc), 0, &view);

    const auto pens = gdi().named("CreatePen");
    ASSERT_EQ(pens.size(), 2u);
    EXPECT_EQ(pens[0].args[2], RGB(130, 130, 130));
    EXPECT_EQ(pens[1].args[2], RGB(10, 10, 10));
    for (const auto& p : pens) {
        EXPECT_EQ(p.args[0], PS_SOLID);
        EXPECT_EQ(p.args[1], 1);
    }
    const auto moves = gdi().named("MoveToEx");
    const auto lines = gdi().named("LineTo");
    ASSERT_GE(moves.size(), 3u);
    EXPECT_EQ(moves[0].args, (std::vector<long long>{0x99, 0, 50}));
    EXPECT_EQ(lines[0].args, (std::vector<long long>{0x99, 256, 50}));
    EXPECT_EQ(moves[1].args, (std::vector<long long>{0x99, 128, 0}));
    EXPECT_EQ(lines[1].args, (std::vector<long long>{0x99, 128, 100}));
    EXPECT_EQ(moves[2].args, (std::vector<long long>{0x99, 128, 50})) << "the curve starts at node 0";
    ASSERT_EQ(lines.size(), 2u + 25u);
    EXPECT_EQ(lines[2].args, (std::vector<long long>{0x99, 128, 50})) << "a zero-length first segment";
    EXPECT_EQ(lines[3].args, (std::vector<long long>{0x99, 0, 0}));

    const auto fills = gdi().named("FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].args, (std::vector<long long>{0x99, 0, 0, 33, 12, RGB(130, 130, 130)}));
    const auto fonts = gdi().named("CreateFontIndirectA");
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].text, "Terminal");
    const LOGFONTA& lf = gdi().objects[reinterpret_cast<HGDIOBJ>(fonts[0].args[1])].font;
    EXPECT_EQ(lf.lfHeight, -10);
    EXPECT_EQ(lf.lfWeight + lf.lfWidth + lf.lfItalic + lf.lfUnderline + lf.lfCharSet + lf.lfQuality, 0);
    const auto texts = gdi().named("TextOutA");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, " Menu ");
    EXPECT_EQ(texts[0].args[1], 0);
    EXPECT_EQ(texts[0].args[2], 0);
    EXPECT_EQ(gdi().named("SetTextColor")[0].args[1], RGB(10, 10, 10));
    EXPECT_EQ(gdi().named("SetBkMode")[0].args[1], TRANSPARENT);
    EXPECT_EQ(gdi().named("SetTextAlign")[0].args[1], 0);
    EXPECT_EQ(gdi().named("CreateSolidBrush").back().args[0], RGB(150, 150, 0));

    const auto ellipses = gdi().named("Ellipse");
    ASSERT_EQ(ellipses.size(), 25u);
    EXPECT_EQ(ellipses.back().args, (std::vector<long long>{0x99, 123, 45, 133, 55}))
        << "node 0 is drawn last, on top";
    EXPECT_EQ(ellipses.front().args, (std::vector<long long>{0x99, -4, -4, 6, 6}));
}

TEST_F(EditorPaint, EveryObjectIsSelectedBackOutAndDeletedOnce) {
    open("");
    for (ViewRecord v : {ViewRecord{256, 100, 7}, ViewRecord{0, 0, 7}, ViewRecord{1, 1, 7},
                         ViewRecord{5000, 3, 7}}) {
        gdi().reset();
        gui->paint(dc, &v);
        EXPECT_EQ(gdi().liveObjects(), 0);
        EXPECT_EQ(gdi().errors, 0);
        EXPECT_TRUE(gdi().selectionsRestored());
        EXPECT_EQ(gdi().objects.size(), 5u) << "two pens, two brushes, one font";
    }
}

TEST_F(EditorPaint, AnEmptyViewDrawsEverythingAtTheTopLeft) {
    open("");
    ViewRecord empty{0, 0, 7};
    gdi().reset();
    gui->paint(dc, &empty);
    for (const auto& l : gdi().named("LineTo")) {
        EXPECT_EQ(l.args[1], 0);
        EXPECT_EQ(l.args[2], 0);
    }
}

TEST_F(EditorPaint, NodesFarOutsideTheGridStillPaintAtBoundedCoordinates) {
    open("(1e30,-1e30)(1e39,1e39)");
    gdi().reset();
    gui->paint(dc, &view);
    for (const auto& e : gdi().named("Ellipse")) {
        EXPECT_LE(std::llabs(e.args[1]), 1LL << 28);
        EXPECT_LE(std::llabs(e.args[2]), 1LL << 28);
    }
    EXPECT_EQ(gdi().liveObjects(), 0);
}

TEST_F(EditorDrag, MovingWithoutCaptureDoesNothing) {
    open("");
    const int redraws = host.redraws;
    const auto before = heights();
    move(128, 20);
    EXPECT_EQ(heights(), before);
    EXPECT_EQ(host.redraws, redraws);
    EXPECT_EQ(gui->dragNode, -1);
}

TEST_F(EditorDrag, TheNodeUnderThePointerTakesItsHeightClampedTo15And85) {
    open("");
    press(128, 50);  // below the strip: no menu, but capture
    EXPECT_TRUE(host.captured);
    move(128, 50);
    EXPECT_EQ(gui->dragNode, 12);
    EXPECT_EQ(gui->nodes[12].y, 50.0f);
    move(128, 3);  // in the menu strip: still a drag
    EXPECT_EQ(gui->nodes[12].y, 15.0f);
    move(128, 99);
    EXPECT_EQ(gui->nodes[12].y, 85.0f);
    EXPECT_EQ(gui->lastMouseY, 99);
    move(128, 130);  // below the panel: outside every strip
    EXPECT_EQ(gui->nodes[12].y, 85.0f);
    EXPECT_EQ(gui->dragNode, -1);
}

TEST_F(EditorDrag, EndNodesArePinnedToTheEdgesAndInnerNodesKeepTheirX) {
    open("(-4,0)(1.3,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(0,0)(4,0)");
    press(50, 50);
    move(static_cast<int>(2.56f * 10), 40);  // node 0 sits at x = 10
    EXPECT_EQ(gui->dragNode, 0);
    EXPECT_EQ(gui->nodes[0].x, 0.0f);
    move(static_cast<int>(2.56f * 90), 40);
    EXPECT_EQ(gui->dragNode, 24);
    EXPECT_EQ(gui->nodes[24].x, 100.0f);
    move(static_cast<int>(2.56f * 63), 40);
    EXPECT_EQ(gui->dragNode, 1);
    EXPECT_FLOAT_EQ(gui->nodes[1].x, 63.0f);
    EXPECT_EQ(gui->nodes[1].y, 40.0f);
}

TEST_F(EditorDrag, OverlappingStripsGiveTheHigherIndexAndGapsGiveNone) {
    std::string t = "(-5,0)(-4.9,0)";  // strips of nodes 0 and 1 overlap; node 2 is far away
    for (int i = 2; i < 25; ++i) t += "(" + std::to_string(-3.0 + (i - 2) * 0.35) + ",0)";
    open(t);
    press(50, 50);
    move(1, 30);
    EXPECT_EQ(gui->dragNode, 1);
    const auto before = heights();
    move(20, 30);  // between node 1's strip (ends at 7) and node 2's (starts at 46)
    EXPECT_EQ(gui->dragNode, -1);
    EXPECT_EQ(heights(), before);
}

TEST_F(EditorDrag, EveryReleaseWritesTheTextWithOneDecimal) {
    open("");
    host.written.clear();
    press(200, 50);
    release();
    ASSERT_EQ(host.written.size(), 1u);
    EXPECT_EQ(host.written[0].rfind("(-5.0,-5.0)(-4.6,-4.6)", 0), 0u);
    EXPECT_FALSE(host.captured);
    EXPECT_EQ(gui->dragNode, -1);
    release();  // no capture: nothing
    EXPECT_EQ(host.written.size(), 1u);
}

TEST_F(EditorDrag, TheEditorsOwnWriteIsNotReadBackSoNodesKeepFullPrecision) {
    open("");
    press(128, 33);
    move(128, 33);
    release();
    EXPECT_FLOAT_EQ(gui->nodes[12].y, 33.0f);
    press(128, 37);
    ViewRecord tall{256, 300, 7};
    dispatch(GUI_MOUSE_MOVE, 128, 100, &tall);  // 100 / 3 = 33.333...
    dispatch(GUI_MOUSE_UP, 0, 0, &tall);
    EXPECT_NEAR(gui->nodes[12].y, 100.0f / 3.0f, 1e-5) << "not the 33.3 of the text";
    EXPECT_NE(host.text.find("(0.0,1.7)"), std::string::npos) << host.text;
}

TEST_F(EditorDrag, AMenuCommandChosenWithThePressBlocksMovesUntilTheNextPress) {
    open("");
    gdi().trackAnswer = tarn::CMD_RAMP;
    press(5, 5);
    const auto ramp = heights();
    move(128, 70);
    EXPECT_EQ(heights(), ramp);
    release();
    press(128, 70);
    move(128, 70);
    EXPECT_EQ(gui->nodes[12].y, 70.0f);
}

TEST_F(EditorDrag, HugeNodesAreWrittenBackWhole) {
    open("(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)(1e30,-1e30)");
    press(300, 50);
    release();
    const std::string t = host.text;
    EXPECT_GT(t.size(), 1500u);
    EXPECT_EQ(std::count(t.begin(), t.end(), ')'), 25);
    EXPECT_EQ(t.back(), ')');
}

TEST_F(EditorMenu, TheStripIsTheTopTwelvePixelsFromXOne) {
    open("");
    const struct { int x, y; bool opens; } cases[] = {
        {0, 5, false}, {5, 12, false}, {1, 0, true}, {255, 11, true}, {256, 5, false}, {200, 3, true}};
    for (const auto& c : cases) {
        const int before = gdi().trackCalls;
        press(c.x, c.y);
        EXPECT_EQ(gdi().trackCalls - before, c.opens ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(host.captured, !c.opens) << "a menu takes the press and its release";
        release();
    }
}

TEST_F(EditorMenu, TheMenuIsBuiltInTableOrderAndTrackedAtTheScreenPoint) {
    open("");
    gdi().reset();
    press(20, 6);
    const auto track = gdi().named("TrackPopupMenu");
    ASSERT_EQ(track.size(), 1u);
    EXPECT_EQ(track[0].args[1], 0x180);
    EXPECT_EQ(track[0].args[2], 1020);
    EXPECT_EQ(track[0].args[3], 506);
    EXPECT_EQ(track[0].args[5], 0x5151) << "the window of the first ancestor that has one";
    EXPECT_EQ(track[0].args[6], 0);
    const HMENU main = reinterpret_cast<HMENU>(track[0].args[0]);
    const auto& items = gdi().menus[main];
    std::vector<std::string> texts;
    for (const auto& i : items) texts.push_back(i.flags == MF_SEPARATOR ? "-" : i.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Edit", "-", "Sine", "Saw", "Ramp", "Triangle",
                                                "Pulse", "Various", "-", "Random"}));
    EXPECT_EQ(gdi().menus.size(), 6u);
    int commands = 0;
    for (const auto& m : gdi().menus)
        for (const auto& i : m.second) commands += i.flags == MF_STRING;
    EXPECT_EQ(commands, 30);
    const HMENU various = reinterpret_cast<HMENU>(items[7].id);
    EXPECT_EQ(gdi().menus[various].back().text, "Oboesque ");
    EXPECT_EQ(gdi().menus[various].back().id, 68u);
    for (const auto& m : gdi().menuDestroyed) EXPECT_TRUE(m.second) << "every menu destroyed";
}

TEST_F(EditorMenu, ADismissedMenuChangesNothingAndSendsNothing) {
    open("");
    const auto before = heights();
    host.written.clear();
    const int redraws = host.redraws;
    gdi().trackAnswer = 0;
    press(5, 5);
    EXPECT_EQ(heights(), before);
    EXPECT_TRUE(host.written.empty());
    EXPECT_EQ(host.redraws, redraws);
    EXPECT_FALSE(host.captured) << "the button is up when the menu returns";
    EXPECT_EQ(gui->menuChoice, 0);
    move(128, 20);
    release();
    EXPECT_EQ(heights(), before) << "a move after a dismissed menu drags nothing";
    EXPECT_TRUE(host.written.empty());
}

// Whatever host call the close comes in, the panel makes no further one and is freed once (the
// sanitizers see a use after free).
TEST(EditorClose, ACloseInsideAnyHostCallEndsThePanelWithNoFurtherHostCall) {
    for (int32_t op : {GUI_HOST_SET_SIZE, GUI_HOST_CONSTRUCTED, GUI_HOST_GET_PIN_TEXT, GUI_HOST_SET_PIN_TEXT,
                       GUI_HOST_REDRAW, GUI_HOST_CAPTURE_MOUSE, GUI_HOST_HAS_CAPTURE, GUI_HOST_RELEASE_MOUSE,
                       GUI_HOST_GET_PARENT, GUI_HOST_GET_WINDOW, GUI_HOST_TO_SCREEN}) {
        gdi().reset();
        TestHost host;
        asThePanelsHost(host);
        bool closed = false;
        int after = 0;
        host.during = [&](const HostCall& c, void* record) {
            auto* r = static_cast<GuiRecord*>(record);
            if (closed) ++after;
            else if (c.opcode == op) {
                closed = true;
                EXPECT_EQ(r->dispatcher(r, GUI_CLOSE, 0, 0, nullptr, 0), 1);
            }
        };
        ViewRecord view{256, 100, 7};
        auto call = [&](GuiRecord* r, int32_t o, int x = 0, int y = 0) {
            if (!closed) r->dispatcher(r, o, x, y, &view, 0);
        };
        tarn::ModuleFpScope fp;
        auto* r = static_cast<GuiRecord*>(tarn::makeObject<Contour4Gui>(&TestHost::callback, host.hostData(), fp.host()));
        gdi().trackAnswer = tarn::CMD_SINE;
        call(r, GUI_OPEN, 1);
        call(r, GUI_MOUSE_DOWN, 128, 50);
        call(r, GUI_MOUSE_MOVE, 128, 20);
        call(r, GUI_MOUSE_UP);
        call(r, GUI_MOUSE_DOWN, 5, 5);
        EXPECT_TRUE(closed) << op;
        EXPECT_EQ(after, 0) << op;
        if (op == GUI_HOST_TO_SCREEN) {
            EXPECT_EQ(gdi().trackCalls, 0) << "no menu for a closed panel";
        }
        for (const auto& [menu, items] : gdi().menus) EXPECT_TRUE(gdi().menuDestroyed[menu]);
    }
}

TEST_F(EditorMenu, ACloseWhileTheMenuRunsEndsThePanelWhenThePressEnds) {
    open("");
    host.written.clear();
    gdi().trackAnswer = tarn::CMD_RAMP;
    gdi().duringTrack = [&] { EXPECT_EQ(dispatch(GUI_CLOSE), 1); };
    press(5, 5);
    gdi().duringTrack = nullptr;
    gui = nullptr;  // freed when the press returned; the sanitizers see any later write
    EXPECT_TRUE(host.written.empty()) << "a closed panel writes no shape";
    EXPECT_FALSE(host.captured);
    for (const auto& [menu, items] : gdi().menus) EXPECT_TRUE(gdi().menuDestroyed[menu]);
}

TEST_F(EditorMenu, AParentChainWithoutAWindowShowsNoMenuButStillCaptures) {
    open("");
    host.windowOf = [](HostWord) -> HostWord { return 0; };  // 7 -> 8 -> 9 -> 0
    press(5, 5);
    EXPECT_EQ(gdi().trackCalls, 0);
    EXPECT_TRUE(host.captured);
    host.parentOf = [](HostWord h) -> HostWord { return h == 7 ? 8 : 7; };  // a loop
    press(5, 5);
    EXPECT_EQ(gdi().trackCalls, 0);
    EXPECT_TRUE(host.captured);
}

TEST_F(EditorMenu, PresetsSetHeightsOnlyAndWriteTheShape) {
    open("(1.3,0)");
    host.written.clear();
    choose(tarn::CMD_SINE);
    EXPECT_EQ(heights(), list({50, 41, 33, 26, 20, 16, 15, 15, 18, 23, 29, 37, 45, 54, 62, 70, 76,
                               81, 84, 84, 83, 79, 73, 66, 58}));
    EXPECT_FLOAT_EQ(gui->nodes[0].x, 63.0f) << "x stays as the pin text set it";
    ASSERT_EQ(host.written.size(), 1u) << "the command writes; the menu took the release";
    EXPECT_EQ(host.written[0].rfind("(1.3,0.0)(-5.0,0.9)", 0), 0u) << host.written[0];
}

TEST_F(EditorMenu, EveryPresetMatchesItsRecipe) {
    tarn::Heights h;
    auto sine = [](int i) { return std::floor(50 - 35 * std::sin(2 * M_PI * i / 25)); };
    auto cosine = [](int i) { return std::floor(50 - 35 * std::cos(2 * M_PI * i / 25)); };
    ASSERT_TRUE(tarn::fillPreset(tarn::CMD_SINE, h));
    for (int i = 0; i < 25; ++i) EXPECT_EQ(h[i], sine(i)) << i;
    ASSERT_TRUE(tarn::fillPreset(tarn::CMD_COSINE, h));
    for (int i = 0; i < 24; ++i) EXPECT_EQ(h[i], cosine(i)) << i;
    EXPECT_EQ(h[24], 15.0f);
    tarn::Heights saw, other;
    tarn::fillPreset(tarn::CMD_DIGITAL_SAW, saw);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(saw[i], 85 - 3 * i);
    tarn::fillPreset(tarn::CMD_SAW_90, other);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(other[i], saw[(i + 19) % 25]);
    tarn::fillPreset(tarn::CMD_SAW_180, other);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(other[i], saw[(i + 13) % 25]);
    tarn::fillPreset(tarn::CMD_TRIANGLE, h);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(h[i], i <= 12 ? 85 - 6 * i : 13 + 6 * (i - 12));
    tarn::fillPreset(tarn::CMD_PULSE_50, h);
    EXPECT_EQ(std::count(h, h + 25, 15.0f), 12);
    EXPECT_EQ(std::count(h, h + 25, 85.0f), 13);
    for (auto [id, high] : {std::pair{31, 6}, {32, 3}, {33, 1}}) {
        tarn::fillPreset(id, h);
        EXPECT_EQ(std::count(h, h + 25, 15.0f), high) << id;
    }
    tarn::fillPreset(tarn::CMD_DOUBLE_SAW_1, h);
    tarn::fillPreset(tarn::CMD_DOUBLE_SAW_2, other);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(h[i] == other[i], i != 13) << i;
    int ids = 0;
    for (int id = -1; id < 130; ++id) ids += tarn::fillPreset(id, h);
    EXPECT_EQ(ids, 27);
    for (int id : {1, 10, 17, 20, 30, 33, 40, 42, 50, 60, 68}) {
        tarn::fillPreset(id, h);
        for (float v : h) {
            EXPECT_GE(v, 13.0f);
            EXPECT_LE(v, 89.0f);
        }
    }
}

TEST_F(EditorMenu, RandomDrawsTheGeneratorsValuesBetween16And89) {
    tarn::crtRandState() = 1;
    tarn::Heights h;
    tarn::fillPreset(tarn::CMD_RANDOM, h);
    EXPECT_EQ(h[0], 16 + 41 % 74) << "the generator's first value is 41";
    for (int k = 0; k < 200; ++k) {
        tarn::fillPreset(tarn::CMD_RANDOM, h);
        for (float v : h) {
            ASSERT_GE(v, 16.0f);
            ASSERT_LE(v, 89.0f);
            ASSERT_EQ(v, std::floor(v));
        }
    }
}

TEST_F(EditorMenu, ReverseAndRotateLeftAfterRamp) {
    open("");
    choose(tarn::CMD_RAMP);
    EXPECT_EQ(heights()[0], 15.0f);
    EXPECT_EQ(heights()[24], 87.0f);
    choose(tarn::CMD_REVERSE);
    EXPECT_EQ(heights()[0], 87.0f);
    EXPECT_EQ(heights()[1], 84.0f);
    EXPECT_EQ(heights()[24], 15.0f);
    choose(tarn::CMD_RAMP);
    choose(tarn::CMD_ROTATE_LEFT);
    EXPECT_EQ(heights()[0], 87.0f);
    EXPECT_EQ(heights()[1], 15.0f);
    EXPECT_EQ(heights()[24], 84.0f);
    for (int k = 0; k < 24; ++k) choose(tarn::CMD_ROTATE_LEFT);
    EXPECT_EQ(heights()[0], 15.0f) << "25 rotations give the ramp back";
    EXPECT_EQ(heights()[24], 87.0f);
}

TEST_F(EditorMenu, RotateLeftWorksOnThePresetBufferNotOnDraggedNodes) {
    open("");
    choose(tarn::CMD_RAMP);
    press(2.56f * gui->nodes[5].x, 50);
    move(static_cast<int>(2.56f * gui->nodes[5].x), 80);
    release();
    ASSERT_EQ(gui->nodes[5].y, 80.0f);
    choose(tarn::CMD_ROTATE_LEFT);
    EXPECT_EQ(heights()[5], 15.0f + 3 * 4) << "the dragged value is overwritten";
}

TEST_F(EditorMenu, InvertTwiceRestoresWholeHeightsAndRotateFirstRotatesTheFlatLine) {
    open("");
    choose(tarn::CMD_ROTATE_LEFT);
    for (float v : heights()) EXPECT_EQ(v, 50.0f);
    choose(tarn::CMD_PULSE_25);
    const auto pulse = heights();
    choose(tarn::CMD_INVERT);
    EXPECT_EQ(heights()[0], 85.0f);
    EXPECT_EQ(heights()[24], 15.0f);
    choose(tarn::CMD_INVERT);
    EXPECT_EQ(heights(), pulse);
}

TEST_F(EditorMenu, AnIdTheMenuDoesNotHaveChangesNothing) {
    open("");
    const auto before = heights();
    host.written.clear();
    gdi().trackAnswer = 999;
    press(5, 5);
    EXPECT_EQ(heights(), before);
    EXPECT_TRUE(host.written.empty());
}

TEST(EditorWithoutHost, ANullCallbackMakesEveryHostCallZero) {
    gdi().reset();
    auto* gui = new Contour4Gui(nullptr, 0);
    ViewRecord v{256, 100, 7};
    GuiRecord& r = gui->record();
    r.dispatcher(&r, GUI_OPEN, 1, 0, nullptr, 0);
    r.dispatcher(&r, GUI_MOUSE_DOWN, 5, 5, &v, 0);
    r.dispatcher(&r, GUI_MOUSE_MOVE, 5, 50, &v, 0);
    r.dispatcher(&r, GUI_MOUSE_UP, 5, 50, &v, 0);
    r.dispatcher(&r, GUI_PAINT, 0x99, 0, &v, 0);
    EXPECT_EQ(gdi().trackCalls, 0) << "no owner window, no menu";
    EXPECT_EQ(r.dispatcher(&r, GUI_CLOSE, 0, 0, nullptr, 0), 1);
}

TEST(EditorMenuRows, ThirtyCommandsInTheirMenus) {
    int commands = 0;
    for (int i = 0; i < tarn::kMenuRowCount; ++i) commands += tarn::kMenuRows[i].command != 0;
    EXPECT_EQ(commands, 30);
}

}  // namespace
