#include "gcGameCore/interface/gcUIDialog.h"

QM_DEFINE_ABSTRACT_TYPE(gcUIDialog, cObject, 152)
QM_DEFINE_GROUP(gcUIDialogGroup, 151)

gcUIDialog::~gcUIDialog() = default;
