// Another taxi service on the same exchange, through the project's own
// client: it logs in, publishes orders for the desk to see and follows what
// the exchange tells it. Every wait is bounded.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "DeskWindows.h"
#include "client/KestoBrimoClientAsync.h"
#include "protocol/KBRCodes.h"
#include "protocol/KestoRecords.h"

class OtherService {
 public:
  OtherService(int port, const std::string& login, const std::string& password) {
    client_.SetConnectionParam("127.0.0.1", port, login, password);
  }
  ~OtherService() { client_.Disconnect(); }

  // Connects and waits for the login to be accepted, at most `timeoutMs`.
  bool LogIn(DWORD timeoutMs) {
    client_.Connect();
    return WaitUntil([&] { return LoggedIn(); }, timeoutMs);
  }
  bool LoggedIn() { return client_.Authorized.load(); }
  std::map<std::int32_t, std::string> Cities() { return client_.GetCityDirectory(); }

  // Publishes `order` and waits for the exchange's answer; the new order's
  // id, or 0 when the answer did not come or reports a failure.
  std::int32_t Publish(const KestoOrder& order, DWORD timeoutMs) {
    const auto commandId = static_cast<std::uint32_t>(client_.InsertOrder(order));
    KestoBrimo_AsyncResponce answer;
    if (!Await(answer, timeoutMs, 50, [&] { return answer.CommandId == commandId; })) return 0;
    return answer.OperationStatus == KBRStatus_Ok && answer.reason == KBRReason_MyOrder ? answer.Order.OrderId : 0;
  }
  // Queues the order without waiting for the answer.
  void PublishNoWait(const KestoOrder& order) { client_.InsertOrder(order); }
  // Waits until the exchange tells that another service accepted `orderId`.
  bool WaitTaken(std::int32_t orderId, DWORD timeoutMs) {
    KestoBrimo_AsyncResponce told;
    return Await(told, timeoutMs, 5, [&] {
      return told.reason == KBRReason_MyOrder && told.Order.OrderId == orderId && told.Order.Acceptor != 0;
    });
  }
  // Applies what the exchange told so far to the orders this service is
  // offered and its own, as a desk keeps them.
  void Follow(std::set<std::int32_t>& offered, std::set<std::int32_t>& own) {
    KestoBrimo_AsyncResponce told;
    while (client_.GetClientResponce(told)) {
      const std::int32_t id = told.Order.OrderId;
      if (told.reason == KBRReason_NewOrder) offered.insert(id);
      if (told.reason == KBRReason_NewOrderRemoved) offered.erase(id);
      if (told.reason == KBRReason_MyOrder) own.insert(id);
      if (told.reason == KBRReason_MyOrderRemoved) own.erase(id);
    }
  }

 private:
  // Takes the responses into `response` until one is `wanted`, looking every `pollMs`.
  bool Await(KestoBrimo_AsyncResponce& response, DWORD timeoutMs, DWORD pollMs, const std::function<bool()>& wanted) {
    const auto answered = [&] {
      while (client_.GetClientResponce(response)) {
        if (wanted()) return true;
      }
      return false;
    };
    return WaitUntil(answered, timeoutMs, pollMs);
  }

  KestoBrimoClientAsync client_;
};
