#pragma once
// The base of everything a dialog shows: state flags, eight script events,
// four neighbour handles for focus navigation, placement in a cell of a
// parent group, and the widget's block. Abstract (type id 150, no factory);
// controls and groups draw. Lives in the pool of its dialog's file and is
// registered in the dialog's control table under its handle; main thread.

#include <cstdint>

#include "cCore/cName.h"
#include "cCore/cObject.h"
#include "gcGameCore/script/gcEvent.h"
#include "mMath/mVec2.h"

class cReadBlock;
class eCamera;
class gcMsgTick;
class gcUIDialog;
class gcUIWidgetGroup;
struct eRect;

// A cell address in a widget group; (-1, -1) for none.
struct gcUICell {
    int16_t nRow = -1;
    int16_t nCol = -1;
};

class gcUIWidget : public cObject {
    QM_DECLARE_ABSTRACT_TYPE(gcUIWidget)
public:
    static constexpr uint32_t kVersion = 3;

#define QM_UI_NEIGHBORS(X)           \
    X(NEIGHBOR_LEFT, 0, "Left")     \
    X(NEIGHBOR_RIGHT, 1, "Right")   \
    X(NEIGHBOR_UP, 2, "Up")         \
    X(NEIGHBOR_DOWN, 3, "Down")
#define QM_UI_NEIGHBOR_ENUM(name, value, text) name = value,
    enum gcUINeighbor : int32_t { QM_UI_NEIGHBORS(QM_UI_NEIGHBOR_ENUM) MAX_NEIGHBORS = 4 };
#undef QM_UI_NEIGHBOR_ENUM
    static const char* GetNeighborText(int neighbor);  // "???" outside the enumeration

    // m_nFlags. Bits 0x100 and up belong to the subclasses.
    static constexpr uint32_t kEnabled = 0x1;
    static constexpr uint32_t kVisible = 0x2;
    static constexpr uint32_t kFocused = 0x4;         // never kept from a file
    static constexpr uint32_t kFocusable = 0x8;
    static constexpr uint32_t kCapturesFocus = 0x10;  // only while focused
    static constexpr uint32_t kCanFocus = kEnabled | kVisible | kFocusable;
    static constexpr uint32_t kDefaultFlags = kEnabled | kVisible;

    // The flags of the measuring and drawing calls.
    static constexpr unsigned int kNoPadding = 0x1;   // the bare widget measures (0, 0)
    static constexpr unsigned int kDrawHidden = 0x2;  // hidden widgets measure and draw too

    // Added to every widget's own cell padding (left, top, right, bottom);
    // zero and never changed at run time.
    static float s_extraCellPadding[4];

    gcUIWidget();
    // Name, flags, origin, offset, padding and the events (owned by the
    // copy's name); no handle, dialog, neighbours, group or ring links.
    gcUIWidget(const gcUIWidget& other);
    gcUIWidget& operator=(const gcUIWidget&) = delete;
    // Unlinks the widget from its cell's ring.
    ~gcUIWidget() override;

    // Version 3: the cObject block, handle, flags, the neighbour count (4)
    // and handles, origin, offset, padding and the eight events.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (version 1 holds a dialog handle, dropped; version 3
    // adds OnUpdate); version 0 is skipped (false). Neighbours past the
    // fourth are read and dropped. The focused bit is cleared. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Sets the dialog and registers the widget in its control table.
    virtual void InsertIntoDialog(gcUIDialog* pDialog);
    // Applies OnUpdate while the widget is focused.
    virtual void Update(const gcMsgTick& msg);
    // Applies OnUpdateUI.
    virtual void UpdateUI();
    // The event's return value; 0.0 and nothing applied for an empty event.
    virtual float OnConfirm();
    virtual float OnBack();
    // The context the widget's events run in; the base adds nothing.
    virtual void GetEventParams(gcEventParams& params) const;
    // Each compares with the current bit and does nothing when they agree.
    // Enable and Show tell the dialog; Focus tells it only with bNotify.
    // Gaining the focus needs enabled, visible and focusable.
    virtual void Enable(bool bEnable);
    virtual void Focus(bool bFocus, bool bNotify);
    virtual void Show(bool bShow);
    // The bare widget: padding, extra padding and |offset|; (0, 0) with
    // kNoPadding.
    virtual void GetSize(mVec2* pSize, unsigned int nFlags) const;
    // Filled by controls and groups; the base leaves its outputs alone.
    virtual void GetScreenPos(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize) const;
    virtual void Draw(const eCamera* pCamera, const eRect& rect, unsigned int nFlags);

    bool CanFocus() const { return (m_nFlags & kCanFocus) == kCanFocus; }
    unsigned int GetWidgetHandle() const { return m_hWidgetHandle; }
    // The stored handle, unresolved; 0 for a direction outside the four.
    unsigned int GetNeighbor(gcUINeighbor neighbor) const;
    void SetNeighbor(gcUINeighbor neighbor, unsigned int hWidget);
    // Null without a dialog or when the handle does not resolve.
    gcUIWidget* GetNeighborWidget(gcUINeighbor neighbor) const;
    // Setting needs the focused bit; clearing always clears.
    void CaptureFocus(bool bCapture);
    // The cell in the parent group; (-1, -1) without one.
    void GetCell(gcUICell* pCell) const;
    // Out of the parent's cell ring; every neighbour handle of the dialog's
    // other controls that resolves to this widget becomes 0.
    void Detach();
    // Walks the neighbour handles in one direction from this widget to the
    // first widget that can take the focus. Null when a handle is 0 or does
    // not resolve, when the walk comes back here, or after as many steps as
    // the dialog has controls (a ring of widgets that cannot take the focus).
    gcUIWidget* FindFocusableNeighbor(gcUINeighbor neighbor) const;

    gcEvent onConfirm;
    gcEvent onBack;
    gcEvent onShown;
    gcEvent onHidden;
    gcEvent onFocused;
    gcEvent onUnfocused;
    gcEvent onUpdateUI;
    gcEvent onUpdate;
    uint32_t m_nFlags = kDefaultFlags;
    uint32_t m_hWidgetHandle = 0;  // (magic << 8) | slot in the dialog's table
    gcUIDialog* m_pDialog = nullptr;  // not owned
    uint32_t m_hNeighbors[MAX_NEIGHBORS] = {0, 0, 0, 0};
    int32_t m_origin;  // eSprite::eSpriteOrigin, SO_MIDCENTER by default
    mVec2 m_offset{0.0f, 0.0f};
    float m_cellPadding[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // left, top, right, bottom
    gcUIWidgetGroup* m_pParentGroup = nullptr;
    gcUIWidget* m_pNextInZ = this;  // the ring of one cell, in drawing order
    gcUIWidget* m_pPrevInZ = this;

protected:
    // The widget's block as read, before it is taken over: a subclass reads
    // its own fields after it and commits both only when all were read.
    struct WidgetPart {
        cName name;
        uint32_t nHandle = 0;
        uint32_t nFlags = 0;
        uint32_t hNeighbors[MAX_NEIGHBORS] = {0, 0, 0, 0};
        int32_t origin = 0;
        mVec2 offset{0.0f, 0.0f};
        float padding[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        gcEvent events[8];  // in the order of the block
    };
    // Reads the widget's block (nested in a subclass's block) into part;
    // false when it was refused or the file failed (the block consumed).
    static bool ReadWidgetBlock(const cFile& file, cMemPool* pPool, WidgetPart* pPart);
    // Takes the part over: the events' actions are swapped in, so the part
    // ends with the old ones.
    void CommitWidgetPart(WidgetPart& part);
    // Applies one of the widget's events with fresh parameters (filled by
    // GetEventParams) and a fresh frame; its RetVal.
    float ApplyEvent(const gcEvent& event) const;
    // Padding plus extra padding on one side (0 left, 1 top, 2 right, 3 bottom).
    float Padding(int side) const { return m_cellPadding[side] + s_extraCellPadding[side]; }
    // The placement shared by controls and groups: a box of that size put in
    // the rectangle by origin and positive offset, moved past the lower-left
    // padding unless kNoPadding.
    void PlaceBox(const eRect& rect, unsigned int nFlags, const mVec2& size, mVec2* pPos) const;
    // Only hidden widgets drawn with kDrawHidden are measured and drawn.
    bool IsShownFor(unsigned int nFlags) const { return (m_nFlags & kVisible) || (nFlags & kDrawHidden); }
    // The dialog's control behind a handle; null without a dialog.
    gcUIWidget* Resolve(unsigned int hWidget) const;
    // For the subclasses' Copy: the copy, or null (the copy destroyed) when
    // one of the widget's events lost actions on the way.
    template <class T>
    static T* KeepWholeCopy(T* pCopy, const T& source)
    {
        return gcEvent::KeepWhole(pCopy, source, &gcUIWidget::onConfirm, &gcUIWidget::onBack, &gcUIWidget::onShown,
                                  &gcUIWidget::onHidden, &gcUIWidget::onFocused, &gcUIWidget::onUnfocused,
                                  &gcUIWidget::onUpdateUI, &gcUIWidget::onUpdate);
    }
};
