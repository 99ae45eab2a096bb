// The exchange itself, free of sockets: sessions and their logins, the order
// book and its life cycle, balances, and the messages each event sends to
// which session. The network loop feeds it blocks and ships what it queues.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "exchange/AnswerMemory.h"
#include "exchange/ExchangeData.h"
#include "exchange/ExchangeOrder.h"
#include "exchange/JsonWire.h"
#include "exchange/Messages.h"

using SessionId = std::uint64_t;
// The session of a simulated service: whatever is sent to it is dropped.
constexpr SessionId kNoSession = 0;

struct OutgoingBlock {
  SessionId Session = kNoSession;
  std::string Bytes;  // one framed block
};

// What a command came to: its status and the text the requester is shown.
struct CommandOutcome {
  std::int32_t Status = 0;
  std::string Text;
};

// Limits that keep one service from exhausting the exchange.
constexpr std::size_t kMaxOrders = 50000;
constexpr std::size_t kMaxTextBytes = 4096;
constexpr double kMaxPrice = 10000000;
constexpr std::int32_t kMaxTimeToLiveSec = 30 * 24 * 3600;
// At login and on a new notify mode a service is shown at most this many
// orders, the newest, so that the burst fits a connection's output limit.
constexpr std::size_t kMaxOrdersShown = 500;

class Exchange {
 public:
  using LogSink = std::function<void(const std::string&)>;

  explicit Exchange(ExchangeData data, LogSink log = LogSink());

  // A new connection: queues its authentication block with a fresh RndStr.
  SessionId OpenSession(const std::string& peer);
  void CloseSession(SessionId session, const std::string& why);

  enum class Verdict { Keep, Drop };
  // One received block (UTF-8 JSON, without its terminator). Drop when the
  // block is not a JSON object: the peer does not speak the protocol.
  Verdict HandleBlock(SessionId session, const std::string& block, std::int64_t now);

  // Ends the life of every pooled order whose time to live has run out.
  void ExpireOrders(std::int64_t now);

  // Blocks queued since the last call, in sending order.
  std::vector<OutgoingBlock> TakeOutgoing();
  // Sessions to close once their queued blocks are sent (a refused login).
  std::vector<SessionId> TakeClosing();

  // The same actions for a service with no connection (the demo traffic).
  CommandOutcome PublishAs(std::int32_t serviceId, ExchangeOrder order, std::int64_t now);
  CommandOutcome AcceptAs(std::int32_t serviceId, std::int32_t orderId, std::int64_t now);
  CommandOutcome ChangeStatusAs(std::int32_t serviceId, std::int32_t orderId, std::int32_t statusId, double price,
                                std::int64_t now);
  CommandOutcome WithdrawAs(std::int32_t serviceId, std::int32_t orderId);

  // The order book (every order and the next order id) and the balances as
  // JSON text, for the next run of the exchange to go on where this one stopped.
  std::string StateText() const;
  // Takes the book and the balances from StateText's text; orders whose time
  // to live ran out meanwhile expire at `now`. False with a reason when the
  // text is damaged: the exchange is then left as it was.
  bool LoadState(const std::string& text, std::int64_t now, std::string& error);

  const ExchangeData& Data() const { return data_; }
  const std::map<std::int32_t, ExchangeOrder>& Orders() const { return orders_; }
  double Balance(std::int32_t serviceId) const;
  // The service a session logged in as; 0 before the login.
  std::int32_t ServiceOf(SessionId session) const;
  std::size_t SessionCount() const { return sessions_.size(); }

 private:
  struct Session {
    std::string Peer;
    std::string RndStr;
    bool LoggedIn = false;
    std::string Login;
    std::int32_t ServiceId = 0;
    std::int32_t NotifyMode = 0;
    std::uint32_t NotifyBegin = 0;
    std::uint32_t NotifyEnd = 0;
  };

  // The requester of one command.
  struct Request {
    SessionId Session = kNoSession;
    std::int32_t ServiceId = 0;
    AnswerTo To;
  };

  // Request handling, by command.
  CommandOutcome Dispatch(const Request& req, std::int32_t code, RequestFields& fields, std::int64_t now);
  CommandOutcome Login(SessionId session, const AnswerTo& to, RequestFields& fields, std::int64_t now);
  CommandOutcome InsertFromRequest(const Request& req, RequestFields& fields, std::int64_t now);
  CommandOutcome Insert(const Request& req, ExchangeOrder order, std::int64_t now);
  CommandOutcome Accept(const Request& req, std::int32_t orderId, std::int64_t now);
  CommandOutcome SetStatus(const Request& req, std::int32_t orderId, std::int32_t statusId, double price,
                           std::int64_t now);
  CommandOutcome Withdraw(const Request& req, std::int32_t orderId);
  CommandOutcome GiveBack(const Request& req, std::int32_t orderId, std::int64_t now);
  CommandOutcome CarDescription(const Request& req, RequestFields& fields, std::int64_t now);
  CommandOutcome Statement(const Request& req);
  CommandOutcome TariffFor(const Request& req, RequestFields& fields);
  CommandOutcome NotifyMode(const Request& req, RequestFields& fields, std::int64_t now);
  CommandOutcome OrderInfo(const Request& req, std::int32_t orderId, std::int32_t reason);

  // A repeated request: its remembered answer again, then the current state of
  // the order it was about, as a notification, when the requester is shown it.
  void AnswerAgain(SessionId session, const AnswerMemory::Answer& answer);

  // Sending.
  void Send(SessionId session, const Json::Value& message);
  void Answer(const Request& req, std::int32_t status, const std::string& text, std::int32_t num = 0);
  // `reason` about `order` to every session of `serviceId`; the requester's
  // copy is the answer, the others are notifications.
  void SendOrderToService(std::int32_t serviceId, std::int32_t reason, const ExchangeOrder& order,
                          const Request* answering);
  void SendRemovalToService(std::int32_t serviceId, std::int32_t reason, std::int32_t orderId,
                            const Request* answering);
  // Kind 3 to the sessions of every other service whose notify mode shows it.
  void OfferToOthers(const ExchangeOrder& order, std::int64_t now);
  // Kind 4 to every logged-in session, except the services' own if given.
  void RemoveFromPools(std::int32_t orderId, std::int32_t exceptService);
  // The orders a session is shown under its notify mode; returns their count.
  std::int32_t SendCurrentOrders(SessionId session, std::int64_t now);
  bool ModeShows(const Session& s, const ExchangeOrder& order, std::int64_t now) const;
  // The orders a session is shown under its notify mode, oldest first.
  std::vector<const ExchangeOrder*> ShownOrders(const Session& s, std::int64_t now) const;

  ExchangeOrder* FindOrder(std::int32_t orderId);
  std::string NewRndStr();
  std::string ServiceName(std::int32_t serviceId) const;
  void Log(const std::string& line);
  void LogSimulated(std::int32_t serviceId, const std::string& what, const CommandOutcome& outcome);

  ExchangeData data_;
  LogSink log_;
  std::mt19937_64 random_;
  SessionId nextSession_ = 1;
  std::map<SessionId, Session> sessions_;
  std::int32_t nextOrderId_ = 1;
  std::map<std::int32_t, ExchangeOrder> orders_;
  std::map<std::int32_t, double> balances_;
  std::vector<OutgoingBlock> outgoing_;
  std::vector<SessionId> closing_;
  // Per account login.
  std::map<std::string, AnswerMemory> answers_;
  // While a request is handled: the answer Send sees go to its requester.
  struct AnswerCapture {
    SessionId Session = kNoSession;
    std::uint32_t CommandId = 0;
    AnswerMemory::Answer* Answer = nullptr;
  } capture_;
};
