// The command dialogs that gather a command's input into the desk globals:
// new order, notification mode, status and price, car description and order id.
#pragma once

#include "desk/DeskDialog.h"
#include "desk/DeskUi.h"
#include "platform/clock.h"

// One hour after `local`, carried into the next day, month and year at 23 o'clock.
platform::LocalTime OneHourLater(const platform::LocalTime& local);

class AddOrderDialog : public DeskDialogLogic {
 public:
  // `now` gives the local time the pickers start from.
  using LocalClock = platform::LocalTime (*)();
  explicit AddOrderDialog(DeskUi& ui, LocalClock now = &platform::CurrentLocalTime);
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;

 private:
  void Publish(DeskDialog& dialog);
  DeskUi& ui_;
  LocalClock now_;
};

class SetTimeDialog : public DeskDialogLogic {
 public:
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;
};

class OrderStatusDialog : public DeskDialogLogic {
 public:
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;
};

class CarDescriptionDialog : public DeskDialogLogic {
 public:
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;
};

class OrderInputDialog : public DeskDialogLogic {
 public:
  bool Start(DeskDialog& dialog) override;
  bool Command(DeskDialog& dialog, int controlId) override;
};
