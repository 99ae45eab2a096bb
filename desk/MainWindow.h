// The main window's logic: start, the tick that shows the client's state and
// drains its answers (every 500 ms, and at once when an answer comes), and
// the command of every button.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "client/KestoBrimoClientAsync.h"
#include "desk/AutoAccept.h"
#include "desk/DeskDialog.h"
#include "desk/DeskIds.h"
#include "desk/DeskSettings.h"
#include "desk/DeskUi.h"
#include "desk/Journal.h"
#include "desk/StaleRows.h"
#include "protocol/KestoRecords.h"

// Boxes and dialogs that may stand open on top of one another. Ticks run
// inside every open box; beyond this depth the answers that would open yet
// another box wait until the boxes above them close.
constexpr int kMaxOpenBoxes = 4;

class DeskMainWindow {
 public:
  explicit DeskMainWindow(DeskUi& ui);
  DeskMainWindow(const DeskMainWindow&) = delete;
  DeskMainWindow& operator=(const DeskMainWindow&) = delete;

  // WM_INITDIALOG: lists, settings into the four fields. The shell then
  // starts the 500 ms timer.
  bool Start(DeskDialog& window);
  // WM_TIMER: button states, then every queued answer in order.
  bool Tick(DeskDialog& window);
  // WM_COMMAND with the control id; false for ids without a command.
  bool Command(DeskDialog& window, int controlId);
  // WM_CLOSE ends the window with IDCANCEL; WM_DESTROY forgets the lists.
  bool Close(DeskDialog& window);
  // WM_DESTROY also saves the lists' columns and the preferences.
  bool Destroy();

  // A click on a header of list `listId`: sort by that column, or reverse.
  void ColumnClicked(int listId, int column);
  // Double-click or Enter on a row: accept a new order, ask about one of mine.
  void RowActivated(int listId);
  // The operator selected a row of `listId`: the information commands ask about it.
  void RowSelected(int listId) { lastSelectedList_ = listId; }
  // The "Desk" section, read at start; the shell keeps the window's place in it.
  DeskSettings& Preferences() { return preferences_; }

  // Boxes and dialogs this window has open now.
  int OpenBoxes() const { return openBoxes_; }
  // Answers waiting for the open boxes to close.
  std::size_t WaitingAnswers() const { return waiting_.size(); }
  // A row of list `listId` whose order may have changed while the
  // connection was lost: drawn grey.
  bool IsStaleRow(int listId, std::intptr_t orderId) const;

 private:
  class OpenBoxScope;

  int ShowBox(const std::string& text, const std::string& caption, unsigned style);
  int RunDialog(int resourceId);
  bool Confirm(const std::string& question);

  void UpdateButtons(DeskDialog& window);
  // Every row turns stale when the connection is lost without "Отсоединиться".
  void NoticeLostConnection();
  void UpdateStateLine(DeskDialog& window);
  // Behind the answers waiting for a box, unless the same answer waits already.
  void QueueForBox(const KestoBrimo_AsyncResponce& response);
  // The exchange refused the login: the attempts stop. True for a refusal
  // that adds nothing to the one already shown.
  bool EndRefusedLogin(const KestoBrimo_AsyncResponce& response);
  void AlertNewOffers();
  // Reasons 3 to 6: the order maps and lists (MyOrders changed already when
  // the message was taken); false for any other answer.
  bool ApplyListNotification(const KestoBrimo_AsyncResponce& response);
  // Every other answer opens a box or the directory viewer.
  void ShowAnswer(const KestoBrimo_AsyncResponce& response);
  void ShowWaitingAnswers();
  // The journal's line for a received message; true when it needs no box.
  bool Record(DeskDialog& window, const KestoBrimo_AsyncResponce& response);
  // A message taken from the client, and auto-accept's decision on it.
  struct TakenResponse {
    KestoBrimo_AsyncResponce response;
    AutoAcceptStep accept;
  };
  // Takes every message the client holds and lets auto-accept decide on them
  // in order, ahead of the journal and list rows of the messages before them.
  void TakeResponses();
  // Reasons 5 and 6 change MyOrders as they are taken: the limit of
  // auto-accept counts it. Their rows follow in their turn.
  void KeepMyOrders(const KestoBrimo_AsyncResponce& response);
  // What follows auto-accept's decision on a message: an offer it took is
  // remembered as sent, sounds and goes to the journal; true for the answer
  // to an automatic accept, which opens no box.
  bool FollowAutoAccept(const AutoAcceptStep& step, const KestoBrimo_AsyncResponce& response);
  // Remembers a request sent for an order, for the journal and the quiet rule.
  void Sent(int commandId, std::int32_t commandCode, std::int32_t orderId);
  void SortChangedLists();
  // The order id of the selected row in the list the operator used last; 0 without one.
  std::int32_t OrderForInfo();

  // The order id in the first cell of the list's selected row; false without a selection.
  bool SelectedOrder(KestoListView* list, int& orderId);

  void Connect(DeskDialog& window);
  void Disconnect();

  // Asks `question` about the order selected in `list` and, on yes, sends `command` for it.
  void SendForSelectedOrder(KestoListView* list, const char* question, int (KestoBrimoClientAsync::*command)(int),
                            std::int32_t commandCode);

  // The commands of the command buttons.
  void GetDirectories();
  void AddOrder();
  void AcceptOrder();
  void ChangeStatus();
  void AddCarDescription();
  void GetStatement();
  void GetTariff();
  void SetNotifyMode();
  void GetFullInfo();
  void GetPartialInfo();

 public:
  // A button of the command group: its control, the command it sends, whether
  // that command acts on an order (then a success may stay out of a box), and
  // what pressing it does.
  struct CommandButton {
    int controlId;
    std::int32_t commandCode;
    bool actsOnOrder;
    void (*press)(DeskMainWindow&);
  };
  // Every button of the window's command group, top to bottom: the tick
  // enables exactly these while the client is logged in, Command runs the one
  // pressed, and the journal names a command by its button's caption.
  static const std::vector<CommandButton>& CommandButtons();

 private:
  DeskUi& ui_;
  int openBoxes_ = 0;
  std::deque<KestoBrimo_AsyncResponce> waiting_;
  // Messages taken from the client whose rows and boxes are still to come,
  // oldest first; ticks inside a box go on with them in the same order.
  std::deque<TakenResponse> taken_;
  DeskSettings preferences_;
  KestoListView* journal_ = nullptr;
  std::map<std::uint32_t, SentCommand> sent_;
  bool newOrdersChanged_ = false;
  bool myOrdersChanged_ = false;
  int lastSelectedList_ = IDC_NEW_ORDERS;
  StaleRows staleNew_;
  StaleRows staleMine_;
  bool wasAuthorized_ = false;
  // The connection was lost and has not been logged in again since.
  bool rowsInDoubt_ = false;
  // Orders offered for the first time since the last alert.
  int newOffers_ = 0;
  // The exchange's words refusing the login, until the next "Соединиться".
  std::string refusal_;
  // The id of the disconnect notice that follows a refused login: the box
  // of the refusal says all there is to say.
  std::int32_t quietNoticeId_ = -1;
  std::string stateLine_;
  std::string newCaption_;
  std::string myCaption_;
};
