// Making the logic of a desk dialog from its resource id.
#include "desk/DeskDialogs.h"

#include "desk/AutoAccept.h"
#include "desk/CommandDialogs.h"
#include "desk/DeskIds.h"
#include "desk/DirectoryDialogs.h"

std::unique_ptr<DeskDialogLogic> CreateDeskDialog(int resourceId, DeskUi& ui) {
  switch (resourceId) {
    case IDD_DIRECTORIES:
      return std::make_unique<DirectoryDialog>();
    case IDD_ADD_ORDER:
      return std::make_unique<AddOrderDialog>(ui);
    case IDD_NOTIFY_MODE:
      return std::make_unique<SetTimeDialog>();
    case IDD_ORDER_STATUS:
      return std::make_unique<OrderStatusDialog>();
    case IDD_CAR_DESCRIPTION:
      return std::make_unique<CarDescriptionDialog>();
    case IDD_TARIFF:
      return std::make_unique<TariffDialog>();
    case IDD_ORDER_ID:
      return std::make_unique<OrderInputDialog>();
    case IDD_AUTO_ACCEPT:
      return std::make_unique<AutoAcceptDialog>(ui);
    default:
      return nullptr;
  }
}
