#pragma once
// A dialog: one screen of the interface, read from a data file. It holds a
// root widget group with its widgets, the table of its controls addressed
// by control handle ((magic << 8) | slot), ten script events, a background
// layout of sprites, an optional full-screen backdrop, state flags, the
// in-parameter and return code scripts exchange with it, and the state of a
// show or hide transition. Dialogs fill ranges of the global table of 300
// slots through dialog groups (id 151) in the game, main-menu, loading-
// screen, map and platform-configuration files, and are addressed by
// handle. Lives in the pool of its file, as do its controls; main thread.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "cCore/cTimeValue.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/script/gcEvent.h"
#include "mMath/mVec2.h"

class gcItem;
class eCamera;
class gcMsgTick;
struct gcUIShowDialogData;
class gcUIDialog;
using gcUIDialogHandle = cHandle<gcUIDialog>;

class gcUIDialog : public cObject {
    QM_DECLARE_TYPE(gcUIDialog)
    struct ReadingBindings;

public:
    static constexpr uint32_t kVersion = 11;
    static constexpr uint32_t kMinVersion = 6;
    static constexpr int kNumSprites = 9;
    static constexpr int kMaxControls = 256;  // the slot is the handle's low 8 bits
    static constexpr uint32_t kSlotMask = 0xFF;
    static constexpr int kMagicShift = 8;
    static constexpr uint32_t kMagicWrap = 0xFFFFFF;  // magic runs 1 .. 0xFFFFFE

    // m_nFlags. The word travels whole through files, run-time bits too.
    static constexpr uint32_t kPauses = 0x2;
    static constexpr uint32_t kCoversBelow = 0x4;
    static constexpr uint32_t kBackdrop = 0x8;
    static constexpr uint32_t kNotDrawn = 0x10;          // set and cleared by transitions
    static constexpr uint32_t kNoGameConfirm = 0x20;
    static constexpr uint32_t kNoGameBack = 0x40;
    static constexpr uint32_t kNoGameFocusChanged = 0x80;
    static constexpr uint32_t kOverFade = 0x100;         // drawn over the full-screen fade
    static constexpr uint32_t kInitialUpdate = 0x10000;  // pending until the first focused update

#define QM_UI_DIALOG_LAYOUTS(X)                        \
    X(DLG_LAYOUT_NONE, 0, "No background ")            \
    X(DLG_LAYOUT_3x3, 1, "Resizing 3x3")               \
    X(DLG_LAYOUT_2x2, 2, "Fullsize 2x2")               \
    X(DLG_LAYOUT_2x3, 3, "Fullsize 2x3")               \
    X(DLG_LAYOUT_1x1, 4, "Fullsize 1x1")
#define QM_UI_DIALOG_LAYOUT_ENUM(name, value, text) name = value,
    enum gcUIDialogLayout : int32_t { QM_UI_DIALOG_LAYOUTS(QM_UI_DIALOG_LAYOUT_ENUM) MAX_DIALOGLAYOUTS = 5 };
#undef QM_UI_DIALOG_LAYOUT_ENUM
    static const char* GetLayoutText(int layout);  // "???" outside the enumeration

    gcUIDialog();
    // Member-wise; the events and the root group copy themselves, the
    // control table is shared (editing tools only).
    gcUIDialog(const gcUIDialog& other);
    gcUIDialog& operator=(const gcUIDialog&) = delete;

    // A copy holding every action of its ten events, or null.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 11 with every field, nine sprite handles.
    void Write(const cFile& file) const override;
    // Versions 6 to 11 (older ones refused, false). Sprite counts above nine
    // keep nine and drop the rest. A control count outside 0..256, a control
    // whose slot lies outside the table, two controls naming one slot, a
    // control handle no table gives (magic 0 or 0xFFFFFF), or an event block
    // refused refuse the dialog and fail the file; so does a reference that
    // names no control of the dialog: the first focus, a control's
    // neighbour, or a binding (gcDesiredWidget) read in the dialog's or its
    // controls' events that names this dialog.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // A binding just read from file (a gcDesiredWidget: dialog and control
    // handles). Control 0 names none and is taken. A dialog that resolves
    // must hold the control: one being read is asked once its table is
    // placed, any other at once; a binding that does not hold fails the
    // file. A dialog that does not resolve (not loaded yet) is left to use.
    static void CheckBinding(const cFile& file, gcUIDialogHandle hDialog, uint32_t hControl);
    // Leaves the stack without events and deletes its widgets.
    ~gcUIDialog() override;
    // Forgets the actions, the transition and the items of its item
    // controls that lie in the pool.
    void OnMemPoolReset(const cMemPool* pPool) override;
    // Item controls showing the item (being destroyed) show their template.
    void ForgetItem(const gcItem* pItem);

    // Opening, closing and transitions (driven by gcUI).
    void OnOpened(const gcUIShowDialogData* pShowAction, float fInParam);
    void OnClosed(const gcUIShowDialogData* pHideAction, bool bApplyEvents);
    void OnShown(bool bShown);
    void OnFocused(bool bFocused);
    void OnFinalOpen() { m_nFlags &= ~kNotDrawn; }
    void OnFinalClose(bool bApplyEvents);
    // True while a transition runs afterwards.
    bool TransitionStart(const gcUIShowDialogData* pTransition, int nPhase, bool bNewDialog);
    bool TransitionTick(const gcMsgTick& msg);
    // One step of an animated value towards its target; true once there.
    bool TransitionValue(float* pValue, cTimeValue step, float fTolerance);

    // The per-frame update: transition, refresh, navigation, events, buttons.
    void Update(const gcMsgTick& msg);
    // The first pressed of UI left, right, up, down as a neighbour; -1 none.
    static int CheckNextNeighbor();
    void HandleOnConfirm();
    void HandleOnBack();
    // Focus moves; each true when a control got the focus.
    bool FocusControl(unsigned int hControl);
    bool FocusNextControl(gcUIWidget::gcUINeighbor neighbor, gcUIWidget* pPrevControl);
    bool FocusNearestNeighbor(gcUIWidget* pPrevControl);
    bool FocusFirstControl(bool bInitiallyFocusedControl);
    bool FocusAnyControl();
    // From a control whose enabled, visible or focusable bits changed.
    void OnControlChanged(gcUIWidget* pControl, unsigned int nOldFlags, unsigned int nNewFlags);

    // Lower-left corner and size of the dialog and of its controls area.
    void GetScreenPosAndSize(unsigned int nFlags, mVec2* pScreenPos, mVec2* pSize, mVec2* pControlsScreenPos,
                             mVec2* pControlsSize) const;
    // Between eSprite::BeginRender and EndRender.
    void Draw(const eCamera* pCamera, unsigned int nFlags);

    // The control table. Each new control gets the next magic.
    unsigned int CreateControl(gcUIWidget* pControl);  // 0 when the table is full
    unsigned int CreateControl(const cType* pType);    // 0 without a factory or room
    // Into the slot of its own handle, deleting another control the slot
    // held; false, nothing changed, when the slot lies outside the table.
    bool ReplaceControl(gcUIWidget* pControl);
    void DestroyControl(unsigned int hControl);
    void SetNumControls(int nControls);  // bounded to 0 .. 256
    gcUIWidget* GetControl(unsigned int hControl) const;
    gcUIWidget* FindControl(unsigned int nFlags);
    void Reset();

    gcUIDialogHandle m_handle;
    gcEvent onShown;
    gcEvent onHidden;
    gcEvent onConfirm;
    gcEvent onBack;
    gcEvent onFocused;
    gcEvent onUnFocused;
    gcEvent onUpdateUI;
    gcEvent onUpdate;
    gcEvent onInitialUpdate;
    gcEvent onFocusChanged;
    uint32_t m_nFlags = kPauses;
    float m_fOpacity = 1.0f;
    int32_t m_origin = eSprite::SO_MIDCENTER;  // stored as data
    mVec2 m_offset{0.0f, 0.0f};
    mVec2 m_fixedSize{320.0f, 240.0f};
    int32_t m_layout = DLG_LAYOUT_NONE;  // stored as data: may lie outside the enumeration
    eSpriteHandle m_hSprites[kNumSprites];
    gcUIWidgetGroup m_widgetGroup;
    int32_t m_nControls = 0;
    gcUIWidget** m_pControls = nullptr;  // in the dialog's pool; entries may be null
    uint32_t m_hInitiallyFocusedControl = 0;
    uint32_t m_hFocusedControl = 0;
    eMaterialHandle m_hBackdropMaterial;
    float m_fBackdropOpacity = 0.5f;
    float m_fBackdropCurOpacity = 1.0f;
    float m_fUniformScale = 1.0f;
    float m_fInParam = 0.0f;
    float m_fReturnCode = 0.0f;
    const gcUIShowDialogData* m_pTransition = nullptr;  // not owned
    int32_t m_nTransitionPhase = 0;                     // 0 none, 1, 2
    // Ticks left in the phase; without a transition, the dialog clock.
    cTimeValue m_transitionTime;
    cTimeValue m_totalTransitionTime;
    float m_fTransitionDampConst = 0.0f;
    mVec2 m_transitionOffset{0.0f, 0.0f};  // 0..1 between start and end offsets
    const gcUIShowDialogData* m_pShowAction = nullptr;  // not owned
    const gcUIShowDialogData* m_pHideAction = nullptr;

    static uint32_t s_nNextMagicNum;

private:
    static ReadingBindings* s_pReading;  // the dialogs being read, innermost first
    void ResetTransition();
    void StartPhase(const gcUIShowDialogData& t, int nPhase, bool bNewDialog);
    void StepTransitionValues(const gcUIShowDialogData& t, cTimeValue step);
    // Applies one of the dialog's events with default parameters.
    static float Apply(const gcEvent& event, float fInValue0 = 0.0f);
    static float Apply(const gcEvent& event, gcEventStackData& frame);
    void RefreshUI(gcEventStackData& frame);
    void MoveFocusTo(gcUIWidget* pControl);
    bool FocusNearestFromFocused();
    void ApplyGameEvent(int which);
    bool ClaimSlots(const cFile& file, const gcUIWidgetGroup& group, int nControls, gcUIWidget** apClaims) const;
    bool CheckReferences(const cFile& file, const ReadingBindings& bindings) const;
    bool PlaceReadControls(const cFile& file, int nControls);
    bool ResizeTable(int nControls);
    void DeleteControlsFrom(int nFirst);
    void DiscardControl(gcUIWidget* pControl);
    int FreeSlot();
    void SizeFromControls(const mVec2& controls, mVec2* pSize) const;
    void BorderSizes(float* pLeft, float* pRight, float* pLower, float* pUpper) const;
    void DrawBackdrop() const;
    void DrawLayout(const mVec2& pos, const mVec2& size, const mVec2& controlsSize) const;
};

class gcUIDialogMgr : public cManager<gcUIDialog, 300> {};

// Version 2 (version 1 read): the slot range and, per slot, a 16-bit check
// and the dialog. A range that does not fit the 300 slots is refused whole,
// and fails the file as a damaged one.
class gcUIDialogGroup : public cGroup {
    QM_DECLARE_GROUP(gcUIDialogGroup, gcUIDialogMgr)
public:
    bool Read(const cFile& file, cMemPool* pPool) override;
};
