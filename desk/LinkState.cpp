// The state line's text from a copy of the client's connection state, and
// the adapter that takes that copy.
#include "desk/LinkState.h"

#include "client/KestoBrimoClientAsync.h"
#include "desk/DeskGlobals.h"
#include "desk/OrderList.h"
#include "desk/TextFormat.h"

namespace {

std::string CauseText(const DeskLinkState& link) {
  switch (link.cause) {
    case DeskLinkCause::Refused:
      return "сервер отклонил соединение";
    case DeskLinkCause::TimedOut:
      return "сервер не отвечает";
    case DeskLinkCause::Unreachable:
      return "сервер недоступен";
    case DeskLinkCause::NameNotFound:
      return "имя сервера не найдено";
    case DeskLinkCause::ClosedByExchange:
      return "биржа закрыла соединение";
    case DeskLinkCause::Reset:
      return "соединение разорвано";
    case DeskLinkCause::BadData:
      return "неверные данные от биржи";
    case DeskLinkCause::SendFailed:
      return "запрос не удалось отправить";
    case DeskLinkCause::Other:
      if (!link.errorText.empty()) return link.errorText;
      break;
    case DeskLinkCause::None:
      break;
  }
  return "причина неизвестна";
}

std::string PhaseText(const DeskLinkState& link) {
  const std::string lost = "Связь потеряна: " + CauseText(link) + ", повтор…";
  switch (link.phase) {
    case DeskLinkPhase::NotRunning:
      return "Нет соединения";
    case DeskLinkPhase::Connecting:
    case DeskLinkPhase::WaitingForChallenge:
      // Attempts after a failure keep saying why the link is down.
      if (link.cause != DeskLinkCause::None) return lost;
      return "Соединение с " + link.server + ":" + ToString(link.port) + "…";
    case DeskLinkPhase::LoggingIn:
      return "Вход…";
    case DeskLinkPhase::LoggedIn:
      return "На связи";
    case DeskLinkPhase::WaitingToReconnect:
      return lost;
  }
  return std::string();
}

}  // namespace

std::string StateLineText(const DeskLinkState& link, const std::string& refusal, std::size_t staleRows) {
  std::string text = refusal.empty() ? PhaseText(link) : "Вход отклонён: " + refusal;
  if (staleRows > 0) text += "; серых строк: " + ToString(static_cast<int>(staleRows)) + " (могли устареть)";
  std::string when = FormatTime(link.lastBlockTime);
  if (!when.empty()) {
    when.pop_back();  // the format's closing blank
    text += "; последний блок: " + when;
  }
  return text;
}

DeskLinkState LinkStateOf(KestoBrimoClientAsync& client) {
  const KestoConnectionState state = client.GetConnectionState();
  DeskLinkState link;
  switch (state.Phase) {
    case KestoConnectionPhase::NotRunning:
      link.phase = DeskLinkPhase::NotRunning;
      break;
    case KestoConnectionPhase::Connecting:
      link.phase = DeskLinkPhase::Connecting;
      break;
    case KestoConnectionPhase::AwaitingChallenge:
      link.phase = DeskLinkPhase::WaitingForChallenge;
      break;
    case KestoConnectionPhase::LoggingIn:
      link.phase = DeskLinkPhase::LoggingIn;
      break;
    case KestoConnectionPhase::LoggedIn:
      link.phase = DeskLinkPhase::LoggedIn;
      break;
    case KestoConnectionPhase::WaitingToReconnect:
      link.phase = DeskLinkPhase::WaitingToReconnect;
      break;
  }
  switch (state.LastFailure) {
    case KestoFailureCause::None:
      link.cause = DeskLinkCause::None;
      break;
    case KestoFailureCause::Refused:
      link.cause = DeskLinkCause::Refused;
      break;
    case KestoFailureCause::TimedOut:
      link.cause = DeskLinkCause::TimedOut;
      break;
    case KestoFailureCause::Unreachable:
      link.cause = DeskLinkCause::Unreachable;
      break;
    case KestoFailureCause::NameNotFound:
      link.cause = DeskLinkCause::NameNotFound;
      break;
    case KestoFailureCause::ClosedByExchange:
      link.cause = DeskLinkCause::ClosedByExchange;
      break;
    case KestoFailureCause::Reset:
      link.cause = DeskLinkCause::Reset;
      break;
    case KestoFailureCause::BadData:
      link.cause = DeskLinkCause::BadData;
      break;
    case KestoFailureCause::SendError:
      link.cause = DeskLinkCause::SendFailed;
      break;
    case KestoFailureCause::Other:
      link.cause = DeskLinkCause::Other;
      break;
  }
  link.errorText = state.LastError;
  // Before the first attempt the client has tried no server yet.
  link.server = state.ServerName.empty() ? MainIniFile.IPAddress : state.ServerName;
  link.port = state.ServerName.empty() ? AtoiText(MainIniFile.Port) : state.Port;
  link.lastBlockTime = state.LastBlockTime;
  return link;
}
