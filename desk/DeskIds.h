// Resource ids of the desk's dialogs and the control ids of its main window.
#pragma once

enum DeskDialogId : int {
  kMainWindowDialog = 102,
  kDirectoryDialog = 103,
  kAddOrderDialog = 104,
  kSetTimeDialog = 105,
  kOrderStatusDialog = 106,
  kCarDescriptionDialog = 107,
  kGetTariffDialog = 109,
  kOrderInputDialog = 110,
};

enum MainWindowControl : int {
  kMainOk = 1,
  kMainCancel = 2,
  kServerEdit = 1001,
  kPortEdit = 1002,
  kLoginEdit = 1003,
  kPasswordEdit = 1004,
  kConnectButton = 1005,
  kDisconnectButton = 1006,
  kGetDirectoryButton = 1007,
  kAddOrderButton = 1008,
  kAcceptOrderButton = 1009,
  kReturnMyOrderButton = 1010,
  kChangeStatusButton = 1011,
  kReturnForeignOrderButton = 1012,
  kCarDescriptionButton = 1013,
  kStatementButton = 1014,
  kTariffButton = 1015,
  kNotifyModeButton = 1016,
  kNewOrdersList = 1017,
  kMyOrdersList = 1018,
  kFullInfoButton = 1019,
  kPartialInfoButton = 1020,
};

// The new-order dialog ends with the id of its publish button.
constexpr int kPublishEndCode = 1039;
