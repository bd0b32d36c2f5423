// Contour4Gui: the graphic panel of Tarn Contour4. It keeps its own copy of the 25 nodes, reads
// them from the "shape" pin's text, draws them, lets the mouse drag node heights and writes the
// curve back as text; a strip along the top edge opens the preset and edit menu. [main]: a host
// calls every operation here from its main (user interface) thread, as GuiBase says.
#pragma once

#include <cstdint>
#include <string>

#include "contour4/editor/presets.h"
#include "contour4/description.h"
#include "contour4/signal/shape_text.h"
#include "frame/gui_base.h"

namespace tarn {

class Contour4Gui : public GuiBase {
public:
    static constexpr int32_t kPanelWidth = contour4::kDescription.panelWidth;
    static constexpr int32_t kPanelHeight = contour4::kDescription.panelHeight;
    static constexpr int32_t kShapePin = contour4::PIN_SHAPE;
    static constexpr int32_t kMenuStripHeight = 12;
    static constexpr float kMinDragHeight = 15.0f;  // +3.5 V
    static constexpr float kMaxDragHeight = 85.0f;  // -3.5 V

    Contour4Gui(HostCallback callback, int32_t hostData) noexcept;

    // Asks the host for the panel's size, and sends opcode 4.
    void onCreated() override;
    void onOpen(bool primary) override;
    void onClose() override;
    void paint(void* deviceContext, const ViewRecord* view) override;
    void onMouseDown(const ViewRecord* view, uint32_t word, GuiPoint point) override;
    void onMouseUp(const ViewRecord* view, uint32_t word, GuiPoint point) override;
    void onMouseMove(const ViewRecord* view, uint32_t word, GuiPoint point) override;
    void notify6(int32_t value, int32_t index, void* ptr) override;
    void onPinValueChanged(GuiPinRef pin) override;

    std::string getShapeText();
    void setShapeText(const std::string& text);
    void loadShapeFromPin();
    void writeShapeToPin();
    void drawBackground(void* deviceContext, const ViewRecord* view);
    // Fills presetBuffer for a menu command; false for an id the menu does not have.
    bool runCommand(int32_t id);

    Node nodes[kNodeCount];
    int32_t dragNode;
    int32_t lastMouseX;
    int32_t lastMouseY;
    bool writingShape;
    int32_t menuChoice;
    Heights presetBuffer;
    Heights savedHeights;

private:
    // The menu's command, 0 when dismissed; `shown` tells whether a menu was tracked at all.
    int32_t showMenu(const ViewRecord* view, GuiPoint point, bool& shown);

    // The host may report a pin change before it hands the text back: the default text is sent
    // once, not again from inside its own pin change.
    bool installingDefault_ = false;
};

}  // namespace tarn
