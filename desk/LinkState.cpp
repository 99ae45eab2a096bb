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
  // Until the client tells its phase and cause, a running worker that is
  // not logged in is "connecting", and the connection settings name the server.
  DeskLinkState link;
  link.server = MainIniFile.IPAddress;
  link.port = AtoiText(MainIniFile.Port);
  if (client.ThreadId.load() == 0) return link;
  link.phase = client.Authorized.load() ? DeskLinkPhase::LoggedIn : DeskLinkPhase::Connecting;
  return link;
}
