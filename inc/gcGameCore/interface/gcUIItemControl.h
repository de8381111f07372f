#pragma once
// A control that shows an item as a small turning 3D model: the mesh of the
// item template's first effect template in an orthographic viewport cut out
// of the screen at the control's place, lit by a fixed light, with the items
// attached to it at their attach nodes, and optionally the owner's count of
// the template as text. Item lists fill their cells with it. Type id 230;
// main thread, inside the interface pass.

#include <cstdint>

#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class eCamera;
class eMesh;
class gcItem;
struct mOCS;

class gcUIItemControl : public gcUIControl {
    QM_DECLARE_TYPE(gcUIItemControl)
public:
    static constexpr uint32_t kVersion = 5;
    // m_nFlags of item controls.
    static constexpr uint32_t kShowCount = 0x10000;     // the count as text when there is none
    static constexpr uint32_t kTurns = 0x20000;         // the model turns
    static constexpr uint32_t kTurnsFocused = 0x40000;  // ... only while focused
    static constexpr uint32_t kTurnsBelow = 0x80000;    // ... even when the dialog is not on top
    static constexpr uint32_t kDefaultItemFlags = kDefaultControlFlags | kShowCount | kTurns;
    static constexpr float kTurnStep = 3.0f;      // degrees per refresh
    static constexpr float kSettleRate = 0.15f;   // of the remaining angle per refresh
    static constexpr float kDisabledOpacity = 0.33f;
    static constexpr float kMinRadius = 0.01f;
    // Distinct attach names one item's children may use; further names
    // always take their first node.
    static constexpr int kMaxAttachNames = 21;

    gcUIItemControl();
    gcUIItemControl(const gcUIItemControl& other) = default;  // every field, specific item and heading too

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the control block, owner, template and item padding.
    void Write(const cFile& file) const override;
    // Versions 1 to 5: 1 and 3 hold a word that is dropped, 5 adds the
    // padding. Version 0 or a refused control block fails with the block
    // skipped; the item fields stay unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The control's size plus the item padding (unless hidden).
    void GetSize(mVec2* pSize, unsigned int nFlags) const override;
    // The control, the model in its viewport, then the count text.
    void Draw(const eCamera* pCamera, const eRect& rect, unsigned int nFlags) override;
    // The own text's size; without one, the count text's.
    void GetTextSize(mVec2* pSize) const override;
    // The widget's refresh, then one turning or settling step.
    void UpdateUI() override;
    // The initiator is the item shown.
    void GetEventParams(gcEventParams& params) const override;

    // The item's mesh at the frame and, nested, its attached items at their
    // attach nodes. Nothing when its template, effect template or mesh does
    // not resolve.
    void DrawItemMesh(gcItem* pItem, const eCamera* pCamera, const mOCS& frame);

    // Where the children of one item sit: each attach name takes the nodes
    // of that name in turn (the first, then the second...), starting again
    // at the first once none is left; -1 for no node of the name.
    class AttachNodeSearch {
    public:
        int Next(const eMesh& mesh, const cName& name);

    private:
        cName m_names[kMaxAttachNames];
        int m_last[kMaxAttachNames];
        int m_nNames = 0;
    };

    // The model's opacity: dialog x control, a third of it when disabled.
    float GetOpacity() const;
    // The item shown: the specific item, else the owner's item of the
    // template, else null.
    gcItem* GetItemToShow() const;
    // The owner's count of the template; 0 without an owner.
    int GetItemCount() const;
    // One turning or settling step of m_fCurH.
    void Turn();

    // The entity a widget's owner reference names, resolved with default
    // event parameters: the player's entity, the specific one by handle or
    // the player's interaction target; null for selectors relative to an
    // event (a widget has none) and for stale handles.
    static gcEntity* ResolveOwner(const gcDesiredEntity& owner);

    gcDesiredEntity desiredEntity;
    gcItemTemplateHandle hItemTemplate;
    gcItem* pSpecificItem = nullptr;  // not owned, not stored
    float itemPadding[4] = {0.0f, 0.0f, 0.0f, 0.0f};  // left, top, right, bottom
    float m_fCurH = 0.0f;  // degrees

private:
    bool ShouldTurn() const;
    void DrawModel(const eCamera* pCamera, const gcItemTemplate& itemTemplate, const mVec2& corner,
                   const mVec2& box);
    void DrawMesh(const eCamera* pCamera, const gcItemTemplate& itemTemplate, const mOCS& frame) const;
};
