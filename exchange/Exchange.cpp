// Sessions, the login, request dispatch and the routing of messages to sessions.
#include "exchange/Exchange.h"

#include <cctype>
#include <cstdio>

#include "platform/codepage.h"
#include "protocol/KBRCodes.h"
#include "protocol/KBRStatus.h"
#include "protocol/Md5.h"

namespace {

// The command's name without its "KBRCommand_" prefix, for the log.
std::string CommandName(std::int32_t code) {
  if (code == KBRCommand_Disconnect) return "Disconnect";
  const char* name = KBRCommandName(code);
  return name ? std::string(name).substr(std::string("KBRCommand_").size()) : "unknown command";
}

std::string StatusText(std::int32_t status) {
  const char* name = KBRStatusName(status);
  return name ? name : std::to_string(status);
}

bool SameHexDigits(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

Exchange::Exchange(ExchangeData data, LogSink log)
    : data_(std::move(data)), log_(std::move(log)), random_(std::random_device{}()) {
  for (const auto& entry : data_.Services) balances_[entry.first] = entry.second.Balance;
}

void Exchange::Log(const std::string& line) {
  if (log_) log_(line);
}

std::string Exchange::NewRndStr() {
  static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
  std::string text(32, ' ');
  for (char& c : text) c = alphabet[pick(random_)];
  return text;
}

std::string Exchange::ServiceName(std::int32_t serviceId) const {
  auto it = data_.Services.find(serviceId);
  return it == data_.Services.end() ? std::to_string(serviceId) : it->second.ShortName;
}

SessionId Exchange::OpenSession(const std::string& peer) {
  const SessionId id = nextSession_++;
  Session& s = sessions_[id];
  s.Peer = peer;
  s.RndStr = NewRndStr();
  Send(id, AuthenticationMessage(s.RndStr));
  Log("session " + std::to_string(id) + " opened from " + peer);
  return id;
}

void Exchange::CloseSession(SessionId session, const std::string& why) {
  auto it = sessions_.find(session);
  if (it == sessions_.end()) return;
  Log("session " + std::to_string(session) + " closed (" + why + ")" +
      (it->second.LoggedIn ? " login " + it->second.Login : std::string()));
  sessions_.erase(it);
}

std::int32_t Exchange::ServiceOf(SessionId session) const {
  auto it = sessions_.find(session);
  return it != sessions_.end() && it->second.LoggedIn ? it->second.ServiceId : 0;
}

double Exchange::Balance(std::int32_t serviceId) const {
  auto it = balances_.find(serviceId);
  return it == balances_.end() ? 0 : it->second;
}

std::vector<OutgoingBlock> Exchange::TakeOutgoing() {
  std::vector<OutgoingBlock> out;
  out.swap(outgoing_);
  return out;
}

std::vector<SessionId> Exchange::TakeClosing() {
  std::vector<SessionId> out;
  out.swap(closing_);
  return out;
}

void Exchange::Send(SessionId session, const Json::Value& message) {
  if (session == kNoSession || !sessions_.count(session)) return;
  outgoing_.push_back(OutgoingBlock{session, JsonBlock(message)});
  if (!capture_.Answer || session != capture_.Session) return;
  const Json::Value& commandId = message["CommandId"];
  if (!commandId.isUInt() || commandId.asUInt() != capture_.CommandId) return;
  capture_.Answer->Blocks.push_back(outgoing_.back().Bytes);
  const Json::Value& orderId = message["OrderId"];
  if (orderId.isInt()) capture_.Answer->OrderId = orderId.asInt();
}

void Exchange::AnswerAgain(SessionId session, const AnswerMemory::Answer& answer) {
  for (const std::string& bytes : answer.Blocks) outgoing_.push_back(OutgoingBlock{session, bytes});
  const ExchangeOrder* order = answer.OrderId ? FindOrder(answer.OrderId) : nullptr;
  if (!order) return;
  const Session& s = sessions_[session];
  const bool own = order->Publisher == s.ServiceId || order->Acceptor == s.ServiceId;
  if (own || order->Stage == OrderStage::InPool) {
    Send(session, OrderMessage(own ? KBRReason_MyOrder : KBRReason_NewOrder, AnswerTo{}, *order, s.ServiceId));
  }
}

void Exchange::Answer(const Request& req, std::int32_t status, const std::string& text, std::int32_t num) {
  Send(req.Session, Envelope(kReasonPlainAnswer, req.To, status, num, text));
}

Exchange::Verdict Exchange::HandleBlock(SessionId session, const std::string& block, std::int64_t now) {
  auto it = sessions_.find(session);
  if (it == sessions_.end()) return Verdict::Drop;
  if (block.find_first_not_of(" \t\r\n") == std::string::npos) return Verdict::Keep;
  Json::Value root;
  if (!ParseJsonText(block, root) || !root.isObject()) {
    Log("session " + std::to_string(session) + " sent a block that is not a JSON object");
    return Verdict::Drop;
  }
  RequestFields fields(root);
  Request req;
  req.Session = session;
  // A missing or mistyped number is answered with 0 in its place.
  std::uint32_t commandId = 0;
  std::int32_t code = 0;
  const bool envelopeOk = fields.UInt32("CommandId", commandId) & fields.Int("CommandCode", code);
  req.To = AnswerTo{commandId, code};
  Session& s = it->second;
  const std::string who = "session " + std::to_string(session) + (s.LoggedIn ? " [" + s.Login + "]" : "");

  CommandOutcome outcome;
  if (!envelopeOk) {
    outcome = {KBRStatus_CommonError, "Неверный формат запроса: поле " + fields.FirstBadMember()};
    Answer(req, outcome.Status, outcome.Text);
  } else if (code == KBRCommand_GetDirectory && fields.Has("Login")) {
    outcome = Login(session, req.To, fields, now);
  } else if (!s.LoggedIn) {
    outcome = {KBRStatus_AuthentError, "Сначала выполните вход на биржу"};
    Answer(req, outcome.Status, outcome.Text);
  } else {
    req.ServiceId = s.ServiceId;
    // Id 0 is no request's own: its answer could not be told from notifications.
    AnswerMemory* memory = commandId != 0 ? &answers_[s.Login] : nullptr;
    const AnswerMemory::Answer* earlier = memory ? memory->Find(commandId, block, now) : nullptr;
    if (earlier) {
      AnswerAgain(session, *earlier);
      Log(who + " " + CommandName(code) + " #" + std::to_string(commandId) + " repeated: answered again");
      return Verdict::Keep;
    }
    AnswerMemory::Answer answer;
    capture_ = AnswerCapture{session, commandId, &answer};
    outcome = Dispatch(req, code, fields, now);
    capture_ = AnswerCapture();
    if (memory) memory->Remember(commandId, block, std::move(answer), now);
  }
  char id[32];
  std::snprintf(id, sizeof id, "%u", static_cast<unsigned>(commandId));
  Log(who + " " + CommandName(code) + " #" + id + " -> " + StatusText(outcome.Status) +
      (outcome.Text.empty() ? std::string() : " (" + outcome.Text + ")"));
  return Verdict::Keep;
}

CommandOutcome Exchange::Login(SessionId session, const AnswerTo& to, RequestFields& fields, std::int64_t now) {
  Session& s = sessions_[session];
  std::string login, passHash;
  const Account* account = nullptr;
  if (fields.Text("Login", login, kMaxTextBytes) && fields.Text("PassHash", passHash, 64)) {
    account = FindAccount(data_, login);
  }
  // The client digests the password in code page 1251, as its operator typed it.
  if (!account || !SameHexDigits(passHash, PassHash(s.RndStr, platform::AnsiFromUtf8(account->Password)))) {
    s.LoggedIn = false;
    const std::string text = "Неверное имя пользователя или пароль";
    Send(session, Envelope(kReasonPlainAnswer, to, KBRStatus_AuthentError, 0, text));
    closing_.push_back(session);
    return {KBRStatus_AuthentError, text + ": " + login};
  }
  s.LoggedIn = true;
  s.Login = login;
  s.ServiceId = account->ServiceId;
  s.NotifyMode = 0;
  Send(session, DirectoriesMessage(to, data_, s.ServiceId));
  const std::int32_t shown = SendCurrentOrders(session, now);
  return {KBRStatus_Ok, "вход службы " + ServiceName(s.ServiceId) + ", заказов показано: " + std::to_string(shown)};
}

CommandOutcome Exchange::Dispatch(const Request& req, std::int32_t code, RequestFields& fields, std::int64_t now) {
  std::int32_t orderId = 0;
  const bool needsOrder = KBRCommandCarriesOrderId(code);
  if (needsOrder && !fields.Int("OrderId", orderId)) {
    CommandOutcome bad{KBRStatus_CommonError, "Неверный формат запроса: поле OrderId"};
    Answer(req, bad.Status, bad.Text);
    return bad;
  }
  switch (code) {
    case KBRCommand_InsertOrder:
      return InsertFromRequest(req, fields, now);
    case KBRCommand_GetDirectory:
      Send(req.Session, DirectoriesMessage(req.To, data_, req.ServiceId));
      return {KBRStatus_Ok, ""};
    case KBRCommand_AcceptOrder:
      return Accept(req, orderId, now);
    case KBRCommand_SetOrderStatus: {
      std::int32_t statusId = 0;
      double price = 0;
      if (!fields.Int("StatusId", statusId) || !fields.Number("Price", price)) {
        CommandOutcome bad{KBRStatus_SetOrderStatusError, "Неверный формат запроса: поле " + fields.FirstBadMember()};
        Answer(req, bad.Status, bad.Text);
        return bad;
      }
      return SetStatus(req, orderId, statusId, price, now);
    }
    case KBRCommand_GetStatement:
      return Statement(req);
    case KBRCommand_ReturnOrder:
      return Withdraw(req, orderId);
    case KBRCommand_ForceReturnOrder:
      return GiveBack(req, orderId, now);
    case KBRCommand_AddCarDescription:
      return CarDescription(req, fields, now);
    case KBRCommand_GetTariffByPubisherAndAcceptor:
      return TariffFor(req, fields);
    case KBRCommand_SetOrderNotifyMode:
      return NotifyMode(req, fields, now);
    case KBRCommand_GetOrderFullInfo:
      return OrderInfo(req, orderId, KBRReason_OrderFullInfo);
    case KBRCommand_GetOrderPartialInfo:
      return OrderInfo(req, orderId, KBRReason_OrderPartialInfo);
    default:
      break;
  }
  CommandOutcome unknown{KBRStatus_CommonError, "Неизвестная команда " + std::to_string(code)};
  Answer(req, unknown.Status, unknown.Text);
  return unknown;
}

CommandOutcome Exchange::Statement(const Request& req) {
  const double balance = Balance(req.ServiceId);
  char text[96];
  std::snprintf(text, sizeof text, "%.2f", balance);
  const double rounded = balance < 0 ? balance - 0.5 : balance + 0.5;
  const std::int32_t num = rounded >= 2147483647.0    ? 2147483647
                           : rounded <= -2147483648.0 ? INT32_MIN
                                                      : static_cast<std::int32_t>(rounded);
  CommandOutcome done{KBRStatus_Ok, "Баланс службы " + ServiceName(req.ServiceId) + ": " + text + " руб."};
  Answer(req, done.Status, done.Text, num);
  return done;
}

CommandOutcome Exchange::TariffFor(const Request& req, RequestFields& fields) {
  std::int32_t publisher = 0, acceptor = 0, cityId = 0;
  if (!fields.Int("Publisher", publisher) || !fields.Int("Acceptor", acceptor) || !fields.Int("CityId", cityId)) {
    CommandOutcome bad{KBRStatus_CommonError, "Неверный формат запроса: поле " + fields.FirstBadMember()};
    Answer(req, bad.Status, bad.Text);
    return bad;
  }
  const Tariff* tariff = FindTariff(data_, publisher, acceptor, cityId);
  if (!tariff) {
    CommandOutcome none{KBRStatus_CommonError, "Тариф для этих служб и города не найден"};
    Answer(req, none.Status, none.Text);
    return none;
  }
  Send(req.Session, TariffMessage(req.To, *tariff, publisher, acceptor, cityId));
  return {KBRStatus_Ok, tariff->TariffId};
}

CommandOutcome Exchange::NotifyMode(const Request& req, RequestFields& fields, std::int64_t now) {
  std::int32_t mode = 0;
  std::uint32_t begin = 0, end = 0;
  if (!fields.Int("Mode", mode) || !fields.UInt32("BeginTime", begin) || !fields.UInt32("EndTime", end)) {
    CommandOutcome bad{KBRStatus_CommonError, "Неверный формат запроса: поле " + fields.FirstBadMember()};
    Answer(req, bad.Status, bad.Text);
    return bad;
  }
  if (mode < 0 || mode > 2) {
    CommandOutcome bad{KBRStatus_CommonError, "Неизвестный режим информирования " + std::to_string(mode)};
    Answer(req, bad.Status, bad.Text);
    return bad;
  }
  Session& s = sessions_[req.Session];
  s.NotifyMode = mode;
  s.NotifyBegin = begin;
  s.NotifyEnd = end;
  // The answer goes first and counts the orders that follow it.
  const std::int32_t count = static_cast<std::int32_t>(ShownOrders(s, now).size());
  CommandOutcome done{KBRStatus_Ok, "Режим информирования установлен, заказов: " + std::to_string(count)};
  Answer(req, done.Status, done.Text, count);
  SendCurrentOrders(req.Session, now);
  return done;
}

bool Exchange::ModeShows(const Session& s, const ExchangeOrder& order, std::int64_t now) const {
  switch (s.NotifyMode) {
    case 1:
      return now - order.WriteTime <= static_cast<std::int64_t>(s.NotifyBegin);
    case 2:
      return WireTime(order.WriteTime) >= s.NotifyBegin && WireTime(order.WriteTime) <= s.NotifyEnd;
    default:
      return true;
  }
}

std::vector<const ExchangeOrder*> Exchange::ShownOrders(const Session& s, std::int64_t now) const {
  std::vector<const ExchangeOrder*> shown;
  // The newest first, so a long book is cut at its oldest orders.
  for (auto it = orders_.rbegin(); it != orders_.rend() && shown.size() < kMaxOrdersShown; ++it) {
    const ExchangeOrder& o = it->second;
    const bool own = o.Publisher == s.ServiceId || (o.Stage == OrderStage::Accepted && o.Acceptor == s.ServiceId);
    if ((own || o.Stage == OrderStage::InPool) && ModeShows(s, o, now)) shown.push_back(&o);
  }
  return std::vector<const ExchangeOrder*>(shown.rbegin(), shown.rend());
}

std::int32_t Exchange::SendCurrentOrders(SessionId session, std::int64_t now) {
  const Session& s = sessions_[session];
  const std::vector<const ExchangeOrder*> shown = ShownOrders(s, now);
  for (const ExchangeOrder* o : shown) {
    const bool own = o->Publisher == s.ServiceId || o->Acceptor == s.ServiceId;
    Send(session, OrderMessage(own ? KBRReason_MyOrder : KBRReason_NewOrder, AnswerTo{}, *o, s.ServiceId));
  }
  return static_cast<std::int32_t>(shown.size());
}

void Exchange::SendOrderToService(std::int32_t serviceId, std::int32_t reason, const ExchangeOrder& order,
                                  const Request* answering) {
  if (answering && answering->ServiceId == serviceId) {
    Send(answering->Session, OrderMessage(reason, answering->To, order, serviceId));
  }
  for (const auto& entry : sessions_) {
    if (!entry.second.LoggedIn || entry.second.ServiceId != serviceId) continue;
    if (answering && entry.first == answering->Session) continue;
    Send(entry.first, OrderMessage(reason, AnswerTo{}, order, serviceId));
  }
}

void Exchange::SendRemovalToService(std::int32_t serviceId, std::int32_t reason, std::int32_t orderId,
                                    const Request* answering) {
  if (answering && answering->ServiceId == serviceId) {
    Send(answering->Session, RemovalMessage(reason, answering->To, orderId));
  }
  for (const auto& entry : sessions_) {
    if (!entry.second.LoggedIn || entry.second.ServiceId != serviceId) continue;
    if (answering && entry.first == answering->Session) continue;
    Send(entry.first, RemovalMessage(reason, AnswerTo{}, orderId));
  }
}

void Exchange::OfferToOthers(const ExchangeOrder& order, std::int64_t now) {
  for (const auto& entry : sessions_) {
    const Session& s = entry.second;
    if (!s.LoggedIn || s.ServiceId == order.Publisher || !ModeShows(s, order, now)) continue;
    Send(entry.first, OrderMessage(KBRReason_NewOrder, AnswerTo{}, order, s.ServiceId));
  }
}

void Exchange::RemoveFromPools(std::int32_t orderId, std::int32_t exceptService) {
  for (const auto& entry : sessions_) {
    const Session& s = entry.second;
    if (!s.LoggedIn || (exceptService && s.ServiceId == exceptService)) continue;
    Send(entry.first, RemovalMessage(KBRReason_NewOrderRemoved, AnswerTo{}, orderId));
  }
}

ExchangeOrder* Exchange::FindOrder(std::int32_t orderId) {
  auto it = orders_.find(orderId);
  return it == orders_.end() ? nullptr : &it->second;
}
