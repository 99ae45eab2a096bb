// What the main window tells the operator about the link and the lists
// beside the answers themselves: the state line, the counts in the list
// captions, grey rows after a lost connection, the alert for a new offer,
// and the end of the attempts after a refused login.
#include "desk/AutoAccept.h"
#include "desk/DeskGlobals.h"
#include "desk/DeskIds.h"
#include "desk/LinkState.h"
#include "desk/MainWindow.h"
#include "desk/MessageTexts.h"
#include "desk/OrderList.h"
#include "protocol/KBRCodes.h"

namespace {

bool SameAnswer(const KestoBrimo_AsyncResponce& a, const KestoBrimo_AsyncResponce& b) {
  return a.reason == b.reason && a.CommandId == b.CommandId && a.OperationStatus == b.OperationStatus &&
         a.Num == b.Num && a.ErrorString == b.ErrorString;
}

std::string CountedCaption(const char* caption, std::size_t count) {
  return std::string(caption) + " (" + ToString(static_cast<int>(count)) + ")";
}

// Sets a control's text only when it changed: a static repainted every tick flickers.
void ShowText(DeskDialog& window, int id, const std::string& text, std::string& shown) {
  if (text == shown) return;
  shown = text;
  window.SetText(id, text);
}

}  // namespace

bool DeskMainWindow::IsStaleRow(int listId, std::intptr_t orderId) const {
  const auto id = static_cast<std::int32_t>(orderId);
  if (listId == IDC_NEW_ORDERS) return staleNew_.Contains(id);
  if (listId == IDC_MY_ORDERS) return staleMine_.Contains(id);
  return false;
}

void DeskMainWindow::NoticeLostConnection() {
  const bool authorized = Client.Authorized.load();
  const bool lost = wasAuthorized_ && !authorized;
  wasAuthorized_ = authorized;
  if (authorized) rowsInDoubt_ = false;
  if (!lost) return;
  rowsInDoubt_ = true;
  // The exchange tells of every order still valid after the next login.
  staleNew_.MarkAll(NewOrders);
  staleMine_.MarkAll(MyOrders);
  if (NewList != nullptr) NewList->Redraw();
  if (MyList != nullptr) MyList->Redraw();
  ui_.WriteDebugLog("connection lost: " + ToString(static_cast<int>(staleNew_.Count() + staleMine_.Count())) +
                    " rows marked stale");
}

void DeskMainWindow::UpdateStateLine(DeskDialog& window) {
  KestoConnectionState link = LinkStateOf(Client);
  // From a loss until the next login the line keeps saying that the link
  // is down and why, through every attempt.
  if (rowsInDoubt_ && link.Phase != KestoConnectionPhase::LoggedIn && link.Phase != KestoConnectionPhase::NotRunning) {
    link.Phase = KestoConnectionPhase::WaitingToReconnect;
  }
  std::string line = StateLineText(link, refusal_, staleNew_.Count() + staleMine_.Count());
  // A rule the settings file holds damaged keeps auto-accept off until it is mended.
  if (!DeskAutoAccept.Problem().empty()) line += "; " + DeskAutoAccept.Problem();
  ShowText(window, IDC_STATE_LINE, line, stateLine_);
  ShowText(window, IDC_NEW_ORDERS_GROUP, CountedCaption("Новые заказы", NewOrders.size()), newCaption_);
  ShowText(window, IDC_MY_ORDERS_GROUP, CountedCaption("Мои заказы", MyOrders.size()), myCaption_);
}

void DeskMainWindow::QueueForBox(const KestoBrimo_AsyncResponce& response) {
  for (const KestoBrimo_AsyncResponce& queued : waiting_) {
    if (SameAnswer(queued, response)) return;
  }
  // Behind any answer still waiting, so the boxes keep the answers' order.
  waiting_.push_back(response);
}

bool DeskMainWindow::EndRefusedLogin(const KestoBrimo_AsyncResponce& response) {
  // The answer to the login request carries CommandId 0 and comes before
  // the connection is logged in.
  if (response.CommandId != 0 || response.OperationStatus >= 0 || Client.Authorized.load()) return false;
  // A refusal that was already under way when the attempts stopped says nothing new.
  if (!refusal_.empty()) return true;
  refusal_ = response.ErrorString.empty() ? StatusCaption(response.OperationStatus) : response.ErrorString;
  ui_.WriteDebugLog("login refused: " + refusal_);
  // The client would log in again and again with the same password.
  quietNoticeId_ = PeekNextCommandId();
  Client.Disconnect();
  // Shown in its box like any other answer.
  return false;
}

void DeskMainWindow::AlertNewOffers() {
  if (newOffers_ == 0) return;
  // Orders that come together get one sound.
  newOffers_ = 0;
  if (preferences_.sound) ui_.PlayNewOrderSound();
  ui_.FlashUntilForeground();
}
