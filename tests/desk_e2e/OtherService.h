// Another taxi service on the same exchange, through the project's own
// client: it logs in and publishes orders for the desk to see.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "protocol/KestoRecords.h"

class OtherService {
 public:
  OtherService(int port, const std::string& login, const std::string& password);
  ~OtherService();

  // Connects and waits for the login to be accepted, at most `timeoutMs`.
  bool LogIn(unsigned timeoutMs);
  // Publishes `order` and waits for the exchange's answer; the new order's
  // id, or 0 when the answer did not come or reports a failure.
  std::int32_t Publish(const KestoOrder& order, unsigned timeoutMs);
  // Queues the order without waiting; ForgetAnswers drops the answers that came.
  void PublishNoWait(const KestoOrder& order) { client_.InsertOrder(order); }
  void ForgetAnswers();
  // Waits until the exchange tells that another service accepted `orderId`.
  bool WaitTaken(std::int32_t orderId, unsigned timeoutMs);
  // Applies the notifications received so far to the orders this service is
  // offered and its own, as a desk keeps them.
  void Follow(std::set<std::int32_t>& offered, std::set<std::int32_t>& own);
  bool LoggedIn() { return client_.Authorized.load(); }
  std::map<std::int32_t, std::string> Cities() { return client_.GetCityDirectory(); }

 private:
  // The next response before `deadline` (MonotonicMs), looking every `pollMs`; false when none came.
  bool NextResponse(KestoBrimo_AsyncResponce& response, std::uint64_t deadline, unsigned pollMs);
  KestoBrimoClientAsync client_;
};
