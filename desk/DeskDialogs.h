// The logic of each of the desk's dialogs, made by resource id for the shell
// that runs them.
#pragma once

#include <memory>

#include "desk/DeskDialog.h"
#include "desk/DeskUi.h"

// The logic of a dialog the main window opens (IDD_DIRECTORIES to IDD_AUTO_ACCEPT);
// null for any other id.
std::unique_ptr<DeskDialogLogic> CreateDeskDialog(int resourceId, DeskUi& ui);
