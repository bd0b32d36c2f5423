// GuiBase: the GUI side of the frame, behind a GuiRecord. A panel reads and writes pin values
// as text through the host and never touches the signal object. [main]: a host calls every
// operation here, and every entry of the record, from its main (user interface) thread.
#pragma once

#include <cstdint>
#include <string>

#include "host_interface.h"
#include "object_entry.h"

namespace tarn {

class GuiBase;

struct GuiPoint {
    int32_t x;
    int32_t y;
};

// Names one pin of the panel's module.
struct GuiPinRef {
    int32_t index;
    GuiBase* gui;

    // The pin's text, copied at once; a null answer from the host reads as the empty text.
    std::string getText() const;
    // Sends the text; an empty string goes as an empty zero-terminated text, never as null.
    void setText(const std::string& text) const;
};

class GuiBase {
public:
    static constexpr uint32_t kMagic = GUI_RECORD_MAGIC;
    // Bound on the owner-window walk: a host whose parent chain loops ends up with no owner.
    static constexpr int kMaxParentSteps = 64;

    GuiBase(HostCallback callback, int32_t hostData) noexcept;
    virtual ~GuiBase() = default;
    GuiBase(const GuiBase&) = delete;
    GuiBase& operator=(const GuiBase&) = delete;

    virtual HostWord dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt);
    virtual void onOpen(bool primary);
    virtual void onClose();
    virtual void paint(void* deviceContext, const ViewRecord* view);
    virtual void onMouseDown(const ViewRecord* view, uint32_t word, GuiPoint point);
    virtual void onMouseUp(const ViewRecord* view, uint32_t word, GuiPoint point);
    virtual void onMouseMove(const ViewRecord* view, uint32_t word, GuiPoint point);
    virtual void slot8(void* ptr);
    virtual void slot9(void* ptr);
    virtual bool slot10();
    virtual void slot11(int32_t index);
    virtual void slot12(int32_t index);
    virtual void notify6(int32_t value, int32_t index, void* ptr);
    virtual void onPinValueChanged(GuiPinRef pin);
    // Right after construction, inside makeModule: the place for a panel's first host calls.
    virtual void onCreated();

    // Host calls, in the host's floating-point environment; with no callback, or once the host
    // closed the panel, they answer 0.
    HostWord callHost(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void redraw();
    // One static reference per library, valid until the next getPin by any panel.
    GuiPinRef* getPin(int32_t index);
    void captureMouse(const ViewRecord* view);
    void releaseMouse(const ViewRecord* view);
    bool hasCapture(const ViewRecord* view);
    // The first ancestor of the view that has a native window, or 0 when the chain of parents
    // ends (handle 0) or does not end within kMaxParentSteps.
    HostWord findOwnerWindow(const ViewRecord* view);
    // The point converted in place from view pixels to screen coordinates; false when the host
    // closed the panel instead.
    bool toScreen(const ViewRecord* view, GuiPoint& point);

    GuiRecord& record() { return record_; }
    static GuiBase* fromRecord(GuiRecord* r) { return static_cast<GuiBase*>(r->object); }

    // The bookkeeping of the host's calls into this object (see object_entry.h).
    EntryState& entryState() { return entry_; }
    // The end of a close: onClose, then the object is destroyed and freed.
    void finishClose();

private:
    // [main] The record's dispatcher entry.
    static HostWord TARN_CDECL dispatcherEntry(GuiRecord* record, int32_t opcode, HostWord index,
                                               int32_t value, void* ptr, float opt) noexcept;

    HostCallback callback_;
    GuiRecord record_;
    EntryState entry_;
};

}  // namespace tarn
