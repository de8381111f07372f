#pragma once
// A dialog's return code or in-parameter, the numbers scripts exchange with
// it; assignable. Without a dialog handle it addresses the focused (top)
// dialog. Read with its owner into its pool; main thread. Type id 193.

#include <cstdint>

#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUIDialogVar : public gcLValue {
    QM_DECLARE_TYPE(gcValUIDialogVar)
public:
    static constexpr uint32_t kVersion = 2;

    enum gcVar : int32_t { VAR_RETURNCODE = 0, VAR_INPARAM = 1, MAX_VARS = 2 };
    static const char* GetVarText(int32_t var);  // "ReturnCode", "InParam"; "???" outside

    gcValUIDialogVar() = default;
    gcValUIDialogVar(int32_t v, gcUIDialogHandle dialog) : var(v), hDialog(dialog) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcLValue block, the variable, the dialog.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 holds the dialog
    // alone and addresses the return code. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without a dialog (none named and none open) or for another var.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Menu].ReturnCode", "[FocusedDialog].InParam"
    // Ignored as Get reads 0.0.
    void Set(float fValue, const gcEventParams& params) override;

    int32_t var = VAR_RETURNCODE;  // a gcVar as stored
    gcUIDialogHandle hDialog;

private:
    // The named dialog, else the focused one; null when neither exists.
    gcUIDialog* GetDialog() const;
    float* Resolve() const;
};
