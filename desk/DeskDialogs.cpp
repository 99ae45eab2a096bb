// Making the logic of a desk dialog from its resource id.
#include "desk/DeskDialogs.h"

#include "desk/CommandDialogs.h"
#include "desk/DeskIds.h"
#include "desk/DirectoryDialogs.h"

std::unique_ptr<DeskDialogLogic> CreateDeskDialog(int resourceId, DeskUi& ui) {
  switch (resourceId) {
    case kDirectoryDialog: return std::make_unique<DirectoryDialog>();
    case kAddOrderDialog: return std::make_unique<AddOrderDialog>(ui);
    case kSetTimeDialog: return std::make_unique<SetTimeDialog>();
    case kOrderStatusDialog: return std::make_unique<OrderStatusDialog>();
    case kCarDescriptionDialog: return std::make_unique<CarDescriptionDialog>();
    case kGetTariffDialog: return std::make_unique<TariffDialog>();
    case kOrderInputDialog: return std::make_unique<OrderInputDialog>();
    default: return nullptr;
  }
}
