// The state line's text from a copy of the client's connection state, and
// the adapter that takes that copy.
#include "desk/LinkState.h"

#include "client/KestoBrimoClientAsync.h"
#include "desk/DeskGlobals.h"
#include "desk/OrderList.h"
#include "desk/TextFormat.h"

namespace {

std::string CauseText(const KestoConnectionState& link) {
  switch (link.LastFailure) {
    case KestoFailureCause::Refused:
      return "сервер отклонил соединение";
    case KestoFailureCause::TimedOut:
      return "сервер не отвечает";
    case KestoFailureCause::Unreachable:
      return "сервер недоступен";
    case KestoFailureCause::NameNotFound:
      return "имя сервера не найдено";
    case KestoFailureCause::ClosedByExchange:
      return "биржа закрыла соединение";
    case KestoFailureCause::Reset:
      return "соединение разорвано";
    case KestoFailureCause::BadData:
      return "неверные данные от биржи";
    case KestoFailureCause::SendError:
      return "запрос не удалось отправить";
    case KestoFailureCause::Other:
      if (!link.LastError.empty()) return link.LastError;
      break;
    case KestoFailureCause::None:
      break;
  }
  return "причина неизвестна";
}

std::string PhaseText(const KestoConnectionState& link) {
  const std::string lost = "Связь потеряна: " + CauseText(link) + ", повтор…";
  switch (link.Phase) {
    case KestoConnectionPhase::NotRunning:
      return "Нет соединения";
    case KestoConnectionPhase::Connecting:
    case KestoConnectionPhase::AwaitingChallenge:
      // Attempts after a failure keep saying why the link is down.
      if (link.LastFailure != KestoFailureCause::None) return lost;
      return "Соединение с " + link.ServerName + ":" + ToString(link.Port) + "…";
    case KestoConnectionPhase::LoggingIn:
      return "Вход…";
    case KestoConnectionPhase::LoggedIn:
      return "На связи";
    case KestoConnectionPhase::WaitingToReconnect:
      return lost;
  }
  return std::string();
}

}  // namespace

std::string StateLineText(const KestoConnectionState& link, const std::string& refusal, std::size_t staleRows) {
  std::string text = refusal.empty() ? PhaseText(link) : "Вход отклонён: " + refusal;
  if (staleRows > 0) text += "; серых строк: " + ToString(static_cast<int>(staleRows)) + " (могли устареть)";
  std::string when = FormatTime(link.LastBlockTime);
  if (!when.empty()) {
    when.pop_back();  // the format's closing blank
    text += "; последний блок: " + when;
  }
  return text;
}

KestoConnectionState LinkStateOf(KestoBrimoClientAsync& client) {
  KestoConnectionState link = client.GetConnectionState();
  // Before the first attempt the client has tried no server yet.
  if (link.ServerName.empty()) {
    link.ServerName = MainIniFile.IPAddress;
    link.Port = AtoiText(MainIniFile.Port);
  }
  return link;
}
