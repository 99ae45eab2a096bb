// The logic of each of the desk's dialogs, made by resource id for the shell
// that runs them.
#pragma once

#include <memory>

#include "desk/DeskDialog.h"
#include "desk/DeskUi.h"

// The logic of dialog 103, 104, 105, 106, 107, 109 or 110; null for any other id.
std::unique_ptr<DeskDialogLogic> CreateDeskDialog(int resourceId, DeskUi& ui);
