// Compile-time check that the resource script and the desk logic agree on
// the dialog and main window ids.
#include <windows.h>

#include "desk/DeskIds.h"
#include "resource.h"

static_assert(IDD_MAIN == kMainWindowDialog, "main window dialog id");
static_assert(IDD_DIRECTORIES == kDirectoryDialog, "directory viewer id");
static_assert(IDD_ADD_ORDER == kAddOrderDialog, "new order dialog id");
static_assert(IDD_NOTIFY_MODE == kSetTimeDialog, "notification mode dialog id");
static_assert(IDD_ORDER_STATUS == kOrderStatusDialog, "status and price dialog id");
static_assert(IDD_CAR_DESCRIPTION == kCarDescriptionDialog, "car description dialog id");
static_assert(IDD_TARIFF == kGetTariffDialog, "tariff dialog id");
static_assert(IDD_ORDER_ID == kOrderInputDialog, "order id dialog id");

static_assert(IDOK == kMainOk && IDCANCEL == kMainCancel, "dialog end buttons");
static_assert(IDC_SERVER == kServerEdit, "server field");
static_assert(IDC_PORT == kPortEdit, "port field");
static_assert(IDC_LOGIN == kLoginEdit, "login field");
static_assert(IDC_PASSWORD == kPasswordEdit, "password field");
static_assert(IDC_CONNECT == kConnectButton, "connect button");
static_assert(IDC_DISCONNECT == kDisconnectButton, "disconnect button");
static_assert(IDC_GET_DIRECTORY == kGetDirectoryButton, "directories button");
static_assert(IDC_ADD_ORDER == kAddOrderButton, "new order button");
static_assert(IDC_ACCEPT_ORDER == kAcceptOrderButton, "accept button");
static_assert(IDC_RETURN_MY_ORDER == kReturnMyOrderButton, "withdraw button");
static_assert(IDC_CHANGE_STATUS == kChangeStatusButton, "status button");
static_assert(IDC_RETURN_FOREIGN_ORDER == kReturnForeignOrderButton, "give back button");
static_assert(IDC_CAR_DESCRIPTION == kCarDescriptionButton, "car button");
static_assert(IDC_STATEMENT == kStatementButton, "statement button");
static_assert(IDC_TARIFF == kTariffButton, "tariff button");
static_assert(IDC_NOTIFY_MODE == kNotifyModeButton, "notification mode button");
static_assert(IDC_NEW_ORDERS == kNewOrdersList, "new orders list");
static_assert(IDC_MY_ORDERS == kMyOrdersList, "own orders list");
static_assert(IDC_FULL_INFO == kFullInfoButton, "full information button");
static_assert(IDC_PARTIAL_INFO == kPartialInfoButton, "partial information button");
static_assert(IDC_PUBLISH == kPublishEndCode, "publish button ends the new order dialog");
