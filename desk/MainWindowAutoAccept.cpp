// The main window's side of auto-accept: an accepted offer is remembered as
// sent, sounds and is written to the journal; the answer to it opens no box.
#include "desk/AutoAccept.h"
#include "desk/MainWindow.h"
#include "protocol/KBRCodes.h"

bool DeskMainWindow::FollowAutoAccept(const AutoAcceptStep& step, const KestoBrimo_AsyncResponce& response) {
  if (step.acceptCommandId != 0) {
    // The journal names the exchange's answer after the request, as for the button.
    Sent(step.acceptCommandId, KBRCommand_AcceptOrder, response.Order.OrderId);
    if (preferences_.sound) ui_.PlayAutoAcceptSound();
    if (journal_ != nullptr) {
      AddJournalLine(*journal_,
                     DeskJournalLine("Автопринятие", response.Order.OrderId, step.note, platform::CurrentLocalTime()));
    }
  }
  return step.answered;
}
