// The panel as the plug-in windows run it: the panel host around the panel's own code, the
// drawn menu with mouse and keys, the Cairo drawing calls, and the programs the window shows.
#include <gtest/gtest.h>

#include <cairo.h>

#include <string>
#include <vector>

#include "contour4/plugin/programs.h"
#include "contour4/signal/shape_text.h"
#include "contour4/ui/panel_host.h"

namespace {

using tarn::DrawnMenu;
using tarn::MenuKey;
using tarn::PanelHost;

// What the reference host prints for the same events on the DLL's panel.
const char kDragNode12Up[] =
    "(-5.0,-5.0)(-4.6,-4.6)(-4.2,-4.2)(-3.8,-3.8)(-3.3,-3.3)(-2.9,-2.9)(-2.5,-2.5)(-2.1,-2.1)"
    "(-1.7,-1.7)(-1.2,-1.2)(-0.8,-0.8)(-0.4,-0.4)(0.0,3.0)(0.4,0.4)(0.8,0.8)(1.2,1.2)(1.7,1.6)"
    "(2.1,2.1)(2.5,2.5)(2.9,2.9)(3.3,3.3)(3.7,3.7)(4.2,4.2)(4.6,4.6)(5.0,5.0)";
const char kAnalogSaw2[] =
    "(-5.0,-3.5)(-4.6,-3.2)(-4.2,-2.9)(-3.8,-2.6)(-3.3,-2.3)(-2.9,-2.0)(-2.5,-1.7)(-2.1,-1.4)"
    "(-1.7,-1.1)(-1.2,-0.8)(-0.8,-0.5)(-0.4,-0.2)(0.0,0.1)(0.4,0.4)(0.8,0.7)(1.2,1.0)(1.7,1.3)"
    "(2.1,1.6)(2.5,1.9)(2.9,2.2)(3.3,2.5)(3.7,2.8)(4.2,3.1)(4.6,3.4)(5.0,0.0)";

struct Window : PanelHost::Listener {
    std::vector<std::string> writes;
    int repaints = 0;
    void shapeWritten(const std::string& text) override { writes.push_back(text); }
    void repaintAsked() override { ++repaints; }
};

class PanelHostTest : public ::testing::Test {
protected:
    Window window;
    PanelHost panel{window};

    void openOnDefault() {
        panel.showShape(tarn::defaultShapeText());
        window.writes.clear();
    }
    // Moves over the row with this text in a column, the deepest open one by default.
    void hoverRow(const std::string& text, int column = -1) {
        const DrawnMenu& m = panel.menu();
        const int c = column >= 0 ? column : m.columnCount() - 1;
        for (int r = 0; r < m.rowCount(c); ++r) {
            if (m.rowText(c, r) != text) continue;
            const DrawnMenu::Box b = m.rowBox(c, r);
            panel.move((b.left + b.right) / 2, (b.top + b.bottom) / 2);
            return;
        }
        FAIL() << "no row " << text;
    }
    void clickHere(const std::string& text) {
        hoverRow(text);
        const DrawnMenu& m = panel.menu();
        const int c = m.columnCount() - 1;
        const DrawnMenu::Box b = m.rowBox(c, m.highlighted(c));
        panel.press((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        panel.release((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    }
};

TEST_F(PanelHostTest, OpensOnlyOnceTheStateIsKnownAndFillsAnEmptyOneWithTheDefault) {
    EXPECT_FALSE(panel.isOpen());
    panel.showShape("");
    ASSERT_TRUE(panel.isOpen());
    ASSERT_EQ(window.writes.size(), 1u);
    EXPECT_EQ(window.writes[0], tarn::defaultShapeText());
}

TEST_F(PanelHostTest, ADragWritesWhatTheReferenceHostWritesForTheSameEvents) {
    openOnDefault();
    panel.press(128, 50);
    panel.move(128, 35);
    panel.move(128, 20);
    EXPECT_TRUE(window.writes.empty()) << "nothing is written while the button is held";
    panel.release(128, 20);
    ASSERT_EQ(window.writes.size(), 1u);
    EXPECT_EQ(window.writes[0], kDragNode12Up);
}

TEST_F(PanelHostTest, AMenuCommandPickedWithTheMouseRunsOnceAndLeavesNoCapture) {
    openOnDefault();
    panel.press(5, 5);
    panel.release(5, 5);
    ASSERT_TRUE(panel.menuOpen()) << "the release of the opening press keeps the menu open";
    EXPECT_TRUE(window.writes.empty());
    hoverRow("Saw");
    ASSERT_EQ(panel.menu().columnCount(), 2);
    clickHere("Analog Saw 2");
    EXPECT_FALSE(panel.menuOpen());
    ASSERT_EQ(window.writes.size(), 1u);
    EXPECT_EQ(window.writes[0], kAnalogSaw2);
    panel.move(128, 90);
    panel.release(128, 90);
    EXPECT_EQ(window.writes.size(), 1u) << "no drag and no write-back after the menu";
}

TEST_F(PanelHostTest, TheKeyboardWorksTheMenu) {
    openOnDefault();
    panel.press(5, 5);
    for (MenuKey k : {MenuKey::DOWN, MenuKey::DOWN, MenuKey::DOWN}) EXPECT_TRUE(panel.key(k));
    EXPECT_EQ(panel.menu().rowText(0, panel.menu().highlighted(0)), "Saw");
    panel.key(MenuKey::RIGHT);
    panel.key(MenuKey::DOWN);
    panel.key(MenuKey::DOWN);
    panel.key(MenuKey::ENTER);
    ASSERT_EQ(window.writes.size(), 1u);
    EXPECT_EQ(window.writes[0], kAnalogSaw2);
    EXPECT_FALSE(panel.key(MenuKey::ESCAPE)) << "keys go to the panel's menu only while it is open";
}

TEST_F(PanelHostTest, EscapeClosesASubmenuThenTheMenuWithNothingWritten) {
    openOnDefault();
    panel.press(5, 5);
    panel.key(MenuKey::DOWN);
    panel.key(MenuKey::ENTER);  // "Edit" opens its submenu
    ASSERT_EQ(panel.menu().columnCount(), 2);
    panel.key(MenuKey::ESCAPE);
    EXPECT_EQ(panel.menu().columnCount(), 1);
    panel.key(MenuKey::ESCAPE);
    EXPECT_FALSE(panel.menuOpen());
    panel.move(128, 90);
    EXPECT_TRUE(window.writes.empty());
}

TEST_F(PanelHostTest, APressOutsideTheMenuDismissesItAndDoesNotReachThePanel) {
    openOnDefault();
    panel.press(5, 5);
    panel.release(5, 5);
    panel.press(200, 90);
    EXPECT_FALSE(panel.menuOpen());
    panel.move(200, 20);
    panel.release(200, 20);
    EXPECT_TRUE(window.writes.empty());
}

TEST_F(PanelHostTest, EveryColumnOfTheMenuStaysInsideThePanelWhereverItOpens) {
    openOnDefault();
    for (int x : {1, 120, 255}) {
        panel.press(x, 11);
        ASSERT_TRUE(panel.menuOpen());
        for (const char* sub : {"Edit", "Saw", "Triangle", "Pulse", "Various"}) {
            hoverRow("Sine", 0);  // a row of the main menu without a submenu closes the one open
            hoverRow(sub, 0);
            for (int c = 0; c < panel.menu().columnCount(); ++c) {
                const DrawnMenu::Box b = panel.menu().columnBox(c);
                EXPECT_GE(b.left, 0);
                EXPECT_GE(b.top, 0);
                EXPECT_LE(b.right, panel.width()) << sub << " from x " << x;
                EXPECT_LE(b.bottom, panel.height()) << sub << " from x " << x;
            }
        }
        panel.press(-1, -1);
        EXPECT_FALSE(panel.menuOpen());
    }
}

TEST_F(PanelHostTest, AHostStateRedrawsThePanelAndAnEqualTextChangesNothing) {
    openOnDefault();
    const int before = window.repaints;
    panel.showShape(kAnalogSaw2);
    EXPECT_GT(window.repaints, before);
    EXPECT_EQ(panel.shapeText(), kAnalogSaw2);
    const int after = window.repaints;
    panel.showShape(kAnalogSaw2);
    EXPECT_EQ(window.repaints, after);
    EXPECT_TRUE(window.writes.empty()) << "a state from the host is not written back";
}

// Paints into an image and reads one pixel as 0xRRGGBB.
uint32_t paintedPixel(PanelHost& panel, int x, int y) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, panel.width(), panel.height());
    cairo_t* cr = cairo_create(s);
    panel.paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    const auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    cairo_surface_destroy(s);
    return pixel;
}

TEST_F(PanelHostTest, PaintingDrawsHandlesWhereTheWindowsPanelHasThemAndFreesEveryObject) {
    panel.showShape("(0,0)");  // node 12 of a new panel stays at grid (0, 0); node 0 at (50, 50)
    EXPECT_EQ(paintedPixel(panel, 128, 50), 0x969600u) << "handle fill at the node";
    EXPECT_EQ(paintedPixel(panel, 123, 50), 0x0A0A0Au) << "the handle's outline, 5 pixels left";
    EXPECT_EQ(paintedPixel(panel, 200, 80), 0xE4E2D6u) << "the host's background";
    EXPECT_EQ(paintedPixel(panel, 200, 50), 0x828282u) << "the grid's centre line";
    EXPECT_EQ(tarn::CairoDc::liveObjects(), 0);
}

TEST(GdiLines, LeaveOutTheEndPixelAndBreakTiesByOctant) {
    std::vector<std::pair<int, int>> pixels;
    auto collect = [&](int x, int y) { pixels.push_back({x, y}); };
    tarn::forEachLinePixel(0, 0, 3, 0, collect);
    EXPECT_EQ(pixels, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}}));
    pixels.clear();
    tarn::forEachLinePixel(0, 0, 2, 1, collect);  // octant 1: the tie stays
    EXPECT_EQ(pixels, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}}));
    pixels.clear();
    tarn::forEachLinePixel(0, 0, 2, -1, collect);  // octant 8: the tie steps
    EXPECT_EQ(pixels, (std::vector<std::pair<int, int>>{{0, 0}, {1, -1}}));
}

TEST(Programs, AreTheMenusPresetsOnTheCurrentXPositionsTheSameEveryTime) {
    EXPECT_STREQ(tarn::programName(0), "Sine");
    EXPECT_STREQ(tarn::programName(tarn::kProgramCount - 1), "Random (fixed curve)");
    EXPECT_STREQ(tarn::programName(13), "Pulse 50%") << "a bare value keeps its group";
    EXPECT_STREQ(tarn::programName(1), "Digital Saw");
    const std::string random = tarn::programShapeText("", tarn::kProgramCount - 1);
    EXPECT_EQ(tarn::programShapeText("", tarn::kProgramCount - 1), random);
    tarn::Node nodes[tarn::kNodeCount];
    tarn::parseShapeText(nodes, tarn::programShapeText("(-4,0)", 0).c_str());
    EXPECT_FLOAT_EQ(nodes[0].x, 10.0f) << "x from the current shape";
    EXPECT_FLOAT_EQ(nodes[0].y, 50.0f) << "height from \"Sine\"";
    EXPECT_EQ(tarn::programShapeText("(1,1)", tarn::kProgramCount), "(1,1)");
}

}  // namespace
