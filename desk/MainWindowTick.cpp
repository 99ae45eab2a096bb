// The main window's start and its tick: button states and the state line
// from the client, and the dispatch of every queued answer to the order
// lists or a box. Boxes nest at most kMaxOpenBoxes deep; answers that would
// open one more wait in order.
#include "desk/AutoAccept.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/MainWindow.h"
#include "desk/MessageTexts.h"
#include "desk/OrderList.h"
#include "desk/OrderSort.h"
#include "protocol/KBRCodes.h"

// Counts a box or dialog for as long as it stands open.
class DeskMainWindow::OpenBoxScope {
 public:
  explicit OpenBoxScope(int& count) : count_(count) { ++count_; }
  ~OpenBoxScope() { --count_; }
  OpenBoxScope(const OpenBoxScope&) = delete;
  OpenBoxScope& operator=(const OpenBoxScope&) = delete;

 private:
  int& count_;
};

DeskMainWindow::DeskMainWindow(DeskUi& ui) : ui_(ui) {}

int DeskMainWindow::ShowBox(const std::string& text, const std::string& caption, unsigned style) {
  OpenBoxScope open(openBoxes_);
  return ui_.ShowMessageBox(text, caption, style);
}

int DeskMainWindow::RunDialog(int resourceId) {
  OpenBoxScope open(openBoxes_);
  return ui_.RunDialog(resourceId);
}

bool DeskMainWindow::Start(DeskDialog& window) {
  NewList = window.ListView(IDC_NEW_ORDERS);
  MyList = window.ListView(IDC_MY_ORDERS);
  if (NewList != nullptr) SetColumn(*NewList);
  if (MyList != nullptr) SetColumn(*MyList);
  ReadIni(MainIniFile);
  preferences_ = ReadDeskSettingsFrom(SettingsFilePath());
  if (NewList != nullptr) ApplyListColumns(*NewList, preferences_.newOrders);
  if (MyList != nullptr) ApplyListColumns(*MyList, preferences_.myOrders);
  journal_ = window.ListView(IDC_JOURNAL);
  if (journal_ != nullptr) SetJournalColumns(*journal_);
  window.SetText(IDC_SERVER, MainIniFile.IPAddress);
  window.SetText(IDC_PORT, MainIniFile.Port);
  window.SetText(IDC_LOGIN, MainIniFile.Login);
  window.SetText(IDC_PASSWORD, MainIniFile.Password);
  DeskAutoAccept.Load(SettingsFilePath(), ui_);
  UpdateStateLine(window);
  return true;
}

bool DeskMainWindow::Close(DeskDialog& window) {
  window.EndDialog(IDCANCEL);
  return true;
}

bool DeskMainWindow::Destroy() {
  if (NewList != nullptr) ReadListColumns(*NewList, preferences_.newOrders);
  if (MyList != nullptr) ReadListColumns(*MyList, preferences_.myOrders);
  WriteDeskSettingsTo(preferences_, SettingsFilePath());
  journal_ = nullptr;
  NewList = nullptr;
  MyList = nullptr;
  return true;
}

void DeskMainWindow::UpdateButtons(DeskDialog& window) {
  const bool workerRuns = Client.ThreadId.load() != 0;
  window.Enable(IDC_CONNECT, !workerRuns);
  window.Enable(IDC_DISCONNECT, workerRuns);
  const bool authorized = Client.Authorized.load();
  for (const CommandButton& button : CommandButtons()) window.Enable(button.controlId, authorized);
  DeskAutoAccept.ShowSwitch(window);
}

bool DeskMainWindow::Tick(DeskDialog& window) {
  UpdateButtons(window);
  NoticeLostConnection();
  UpdateStateLine(window);
  ShowWaitingAnswers();
  for (TakeResponses(); !taken_.empty(); TakeResponses()) {
    TakenResponse taken = std::move(taken_.front());
    taken_.pop_front();
    const KestoBrimo_AsyncResponce& response = taken.response;
    const bool quiet = Record(window, response);
    if (FollowAutoAccept(taken.accept, response)) continue;
    if (ApplyListNotification(response) || quiet || EndRefusedLogin(response)) continue;
    if (response.reason == 0 && response.CommandId == static_cast<std::uint32_t>(quietNoticeId_)) {
      quietNoticeId_ = -1;
      continue;
    }
    // The lists are painted before a box stops this loop; the sound comes first.
    AlertNewOffers();
    UpdateStateLine(window);
    QueueForBox(response);
    ShowWaitingAnswers();
  }
  SortChangedLists();
  AlertNewOffers();
  UpdateStateLine(window);
  return true;
}

void DeskMainWindow::TakeResponses() {
  // Other services are offered the same orders: an accept is queued before
  // rows are written, since each list or journal row takes milliseconds under
  // Wine, and the answers to the last accept are often still being written.
  TakenResponse taken;
  while (Client.GetClientResponce(taken.response)) {
    KeepMyOrders(taken.response);
    taken.accept = DeskAutoAccept.OnResponse(taken.response, ui_);
    taken_.push_back(std::move(taken));
  }
}

void DeskMainWindow::KeepMyOrders(const KestoBrimo_AsyncResponce& response) {
  if (MyList == nullptr) return;
  if (response.reason == KBRReason_MyOrder) MyOrders[response.Order.OrderId] = response.Order;
  if (response.reason == KBRReason_MyOrderRemoved) MyOrders.erase(response.Order.OrderId);
}

namespace {
// A button's caption is short; this is ample.
constexpr std::size_t kButtonCaptionChars = 99;
const char kLoginJournalName[] = "Вход";
}  // namespace

bool DeskMainWindow::Record(DeskDialog& window, const KestoBrimo_AsyncResponce& response) {
  SentCommand sent{response.CommandCode, 0};
  const auto found = sent_.find(response.CommandId);
  const bool known = found != sent_.end() && response.CommandId != 0;
  if (known) {
    sent = found->second;
    sent_.erase(found);
  }
  // A command is named as the operator knows it: by the caption of its button.
  const CommandButton* button = nullptr;
  for (const CommandButton& b : CommandButtons()) {
    if (b.commandCode == sent.commandCode) button = &b;
  }
  if (journal_ != nullptr) {
    // The login's answer and the disconnect notice have no command button of their own.
    std::string name;
    if (response.CommandId == 0 && sent.commandCode == KBRCommand_GetDirectory) {
      name = kLoginJournalName;
    } else if (response.reason == 0 && sent.commandCode == KBRCommand_Disconnect) {
      name = window.GetText(IDC_DISCONNECT, kButtonCaptionChars);
    } else if (button != nullptr) {
      name = window.GetText(button->controlId, kButtonCaptionChars);
    }
    AddJournalLine(*journal_, JournalLineFor(response, known ? &sent : nullptr, name, platform::CurrentLocalTime()));
  }
  return preferences_.quietSuccess && response.OperationStatus == KBRStatus_Ok && button != nullptr &&
         button->actsOnOrder;
}

void DeskMainWindow::Sent(int commandId, std::int32_t commandCode, std::int32_t orderId) {
  // Requests the exchange never answers must not pile up over a shift.
  if (sent_.size() >= static_cast<std::size_t>(kJournalLines)) sent_.erase(sent_.begin());
  sent_[static_cast<std::uint32_t>(commandId)] = {commandCode, orderId};
}

void DeskMainWindow::SortChangedLists() {
  // Once per tick, after all its notifications: new and refreshed rows take their sorted places.
  if (newOrdersChanged_ && NewList != nullptr && preferences_.newOrders.sort.column >= 0) {
    SortOrderList(*NewList, preferences_.newOrders.sort);
  }
  if (myOrdersChanged_ && MyList != nullptr && preferences_.myOrders.sort.column >= 0) {
    SortOrderList(*MyList, preferences_.myOrders.sort);
  }
  newOrdersChanged_ = myOrdersChanged_ = false;
}

void DeskMainWindow::ColumnClicked(int listId, int column) {
  KestoListView* list = listId == IDC_NEW_ORDERS ? NewList : (listId == IDC_MY_ORDERS ? MyList : nullptr);
  if (list == nullptr || column < 0 || column >= kOrderColumnCount) return;
  ListSort& sort = listId == IDC_NEW_ORDERS ? preferences_.newOrders.sort : preferences_.myOrders.sort;
  sort = SortAfterClick(sort, column);
  SortOrderList(*list, sort);
}

void DeskMainWindow::ShowWaitingAnswers() {
  while (openBoxes_ < kMaxOpenBoxes && !waiting_.empty()) {
    // Taken out before it is shown: ticks inside its box must not show it again.
    const KestoBrimo_AsyncResponce response = waiting_.front();
    waiting_.pop_front();
    ShowAnswer(response);
  }
}

bool DeskMainWindow::ApplyListNotification(const KestoBrimo_AsyncResponce& response) {
  const KestoOrder& order = response.Order;
  switch (response.reason) {
    case KBRReason_NewOrder:
      if (NewList != nullptr) {
        // An offer taken at once has its own sound: the alert is for those left to the dispatcher.
        if (NewOrders.count(order.OrderId) == 0 && !DeskAutoAccept.Took(order.OrderId)) ++newOffers_;
        NewOrders[order.OrderId] = order;
        PutOrderToListView(*NewList, order);
        // An order told of again usually keeps its texts, and unchanged texts
        // repaint nothing: its row must lose the grey all the same.
        if (staleNew_.Forget(order.OrderId)) NewList->Redraw();
        newOrdersChanged_ = true;
      }
      return true;
    case KBRReason_NewOrderRemoved:
      if (NewList != nullptr) {
        NewOrders.erase(order.OrderId);
        staleNew_.Forget(order.OrderId);
        DelOrderFromListView(*NewList, order.OrderId);
      }
      return true;
    case KBRReason_MyOrder:
      if (MyList != nullptr) {
        PutOrderToListView(*MyList, order);
        if (staleMine_.Forget(order.OrderId)) MyList->Redraw();
        myOrdersChanged_ = true;
      }
      return true;
    case KBRReason_MyOrderRemoved:
      if (MyList != nullptr) {
        staleMine_.Forget(order.OrderId);
        DelOrderFromListView(*MyList, order.OrderId);
      }
      return true;
    default:
      return false;
  }
}

void DeskMainWindow::ShowAnswer(const KestoBrimo_AsyncResponce& response) {
  const bool ok = response.OperationStatus == KBRStatus_Ok;
  switch (response.reason) {
    case KBRReason_Directories:
      // A refused login (CommandId 0) brings no directories, only the exchange's words.
      if (ok || response.CommandId != 0) {
        RunDialog(IDD_DIRECTORIES);
        return;
      }
      break;
    case KBRReason_Tariff:
      // A failed tariff answer is shown like every other failed answer.
      if (ok) {
        ShowBox(TariffText(response.Tariff), kTariffCaption, kMbOk);
        return;
      }
      break;
    case KBRReason_OrderFullInfo:
    case KBRReason_OrderPartialInfo:
      if (ok) {
        ShowBox(OrderInfoText(response.Order, Client), kOrderInfoCaption, kMbOk);
        return;
      }
      break;
    default:
      break;
  }
  ShowBox(StatusText(response), StatusCaption(response.OperationStatus), kMbOk);
}
