// The project's own client against the demo exchange: orders passed between
// two desks, a race of two acceptors, a refused password, and Russian texts
// that make the whole trip through both code page conversions.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RunningExchange.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/sync.h"

namespace {

// One desk: a connected client and the responses it has taken so far.
class DeskClient {
 public:
  DeskClient(std::uint16_t port, const std::string& login, const std::string& password) {
    client_.SetConnectionParam("127.0.0.1", port, login, password);
    client_.Connect();
  }
  ~DeskClient() { client_.Disconnect(); }

  KestoBrimoClientAsync& operator*() { return client_; }
  KestoBrimoClientAsync* operator->() { return &client_; }

  bool WaitAuthorized() {
    return WaitUntil([&] { return client_.Authorized.load(); });
  }
  // Waits for a response that `match` accepts; every response seen stays in Seen().
  bool WaitFor(const std::function<bool(const KestoBrimo_AsyncResponce&)>& match, KestoBrimo_AsyncResponce& out) {
    for (const KestoBrimo_AsyncResponce& r : seen_) {
      if (match(r)) {
        out = r;
        return true;
      }
    }
    return WaitUntil([&] {
      KestoBrimo_AsyncResponce r;
      while (client_.GetClientResponce(r)) {
        seen_.push_back(r);
        if (match(r)) {
          out = r;
          return true;
        }
      }
      return false;
    });
  }
  bool WaitForAnswer(int commandId, KestoBrimo_AsyncResponce& out) {
    return WaitFor([&](const KestoBrimo_AsyncResponce& r) { return r.CommandId == static_cast<std::uint32_t>(commandId); },
                   out);
  }
  bool WaitForKind(int reason, int orderId, KestoBrimo_AsyncResponce& out) {
    return WaitFor([&](const KestoBrimo_AsyncResponce& r) { return r.reason == reason && r.Order.OrderId == orderId; },
                   out);
  }

 private:
  static bool WaitUntil(const std::function<bool()>& done) {
    const std::uint64_t deadline = platform::MonotonicMs() + 10000;
    while (!done()) {
      if (platform::MonotonicMs() >= deadline) return false;
      platform::SleepMs(5);
    }
    return true;
  }

  KestoBrimoClientAsync client_;
  std::vector<KestoBrimo_AsyncResponce> seen_;
};

KestoOrder SampleOrder() {
  KestoOrder order;
  order.Clear();
  order.CityIdFrom = 1;
  order.CityIdTo = 2;
  order.StreetFrom = "ул. Тверская";  // code page 1251 in memory
  order.AdditionalFrom = "д. 7";
  order.StreetTo = "Вокзал";
  order.CarrierType = 1;
  order.Price = 450.5f;
  order.ClientPhone = "+7 900 123-45-67";
  order.StatusId = 17;
  order.Time0Km1Fixed2 = 2;
  order.Comment = "Детское кресло";
  return order;
}

TEST(ExchangeWithClient, OnePublishesAnotherAcceptsAndEachIsTold) {
  RunningExchange exchange;
  DeskClient alpha(exchange.Port(), "alpha", "a-pass");
  DeskClient beta(exchange.Port(), "beta", "b-pass");
  ASSERT_TRUE(alpha.WaitAuthorized());
  ASSERT_TRUE(beta.WaitAuthorized());
  EXPECT_EQ(alpha->GetCity(1), "Moscow");
  EXPECT_EQ(alpha->GetTaxiDirectory().at(2).ShortName, "Beta");

  const int insertId = alpha->InsertOrder(SampleOrder());
  KestoBrimo_AsyncResponce published;
  ASSERT_TRUE(alpha.WaitForAnswer(insertId, published));
  EXPECT_EQ(published.reason, 5);
  EXPECT_EQ(published.CommandCode, 1);
  EXPECT_EQ(published.OperationStatus, 0);
  const int orderId = published.Order.OrderId;
  ASSERT_GT(orderId, 0);
  EXPECT_EQ(published.Order.Publisher, 1);
  EXPECT_EQ(published.Order.StreetFrom, "ул. Тверская");

  KestoBrimo_AsyncResponce offered;
  ASSERT_TRUE(beta.WaitForKind(3, orderId, offered));
  EXPECT_EQ(offered.Order.BrimoOrderState, 0);
  EXPECT_EQ(offered.Order.StreetFrom, "ул. Тверская");
  EXPECT_EQ(offered.Order.Comment, "Детское кресло");
  EXPECT_FLOAT_EQ(offered.Order.Price, 450.5f);

  const int acceptId = beta->AcceptOrder(orderId);
  KestoBrimo_AsyncResponce accepted, removed, told;
  ASSERT_TRUE(beta.WaitForAnswer(acceptId, accepted));
  EXPECT_EQ(accepted.reason, 5);
  EXPECT_EQ(accepted.OperationStatus, 0);
  EXPECT_EQ(accepted.Order.BrimoOrderState, 1);
  EXPECT_EQ(accepted.Order.Acceptor, 2);
  ASSERT_TRUE(beta.WaitForKind(4, orderId, removed));
  ASSERT_TRUE(alpha.WaitFor(
      [&](const KestoBrimo_AsyncResponce& r) { return r.reason == 5 && r.Order.OrderId == orderId && r.CommandId == 0; },
      told));
  EXPECT_EQ(told.Order.BrimoOrderState, 3);
  EXPECT_EQ(told.Order.Acceptor, 2);

  const int carId = beta->AddCarDescription(orderId, "Белая «Лада»", "А123ВС77", 17, 6);
  KestoBrimo_AsyncResponce car;
  ASSERT_TRUE(beta.WaitForAnswer(carId, car));
  EXPECT_EQ(car.Order.CarDescription, "Белая «Лада»");
  ASSERT_TRUE(alpha.WaitFor(
      [&](const KestoBrimo_AsyncResponce& r) { return r.reason == 5 && r.Order.CarGovNumber == "А123ВС77"; }, car));
  EXPECT_EQ(car.Order.ToCarMin, 6);
}

TEST(ExchangeWithClient, OfTwoAcceptorsAtOnceExactlyOneWins) {
  RunningExchange exchange;
  DeskClient alpha(exchange.Port(), "alpha", "a-pass");
  DeskClient beta(exchange.Port(), "beta", "b-pass");
  DeskClient gamma(exchange.Port(), "gamma", "g-pass");
  ASSERT_TRUE(alpha.WaitAuthorized());
  ASSERT_TRUE(beta.WaitAuthorized());
  ASSERT_TRUE(gamma.WaitAuthorized());
  for (int round = 0; round < 3; ++round) {
    const int insertId = alpha->InsertOrder(SampleOrder());
    KestoBrimo_AsyncResponce published, offered;
    ASSERT_TRUE(alpha.WaitForAnswer(insertId, published));
    const int orderId = published.Order.OrderId;
    ASSERT_TRUE(beta.WaitForKind(3, orderId, offered));
    ASSERT_TRUE(gamma.WaitForKind(3, orderId, offered));

    const int betaId = beta->AcceptOrder(orderId);
    const int gammaId = gamma->AcceptOrder(orderId);
    KestoBrimo_AsyncResponce betaAnswer, gammaAnswer;
    ASSERT_TRUE(beta.WaitForAnswer(betaId, betaAnswer));
    ASSERT_TRUE(gamma.WaitForAnswer(gammaId, gammaAnswer));
    EXPECT_EQ((betaAnswer.OperationStatus == 0) + (gammaAnswer.OperationStatus == 0), 1) << "round " << round;
    const KestoBrimo_AsyncResponce& loser = betaAnswer.OperationStatus == 0 ? gammaAnswer : betaAnswer;
    EXPECT_NE(loser.OperationStatus, 0);
    EXPECT_FALSE(loser.ErrorString.empty());
    EXPECT_NE(loser.reason, 5);
    // Both lose the offer from their list of new orders.
    KestoBrimo_AsyncResponce removed;
    EXPECT_TRUE(beta.WaitForKind(4, orderId, removed));
    EXPECT_TRUE(gamma.WaitForKind(4, orderId, removed));
  }
}

TEST(ExchangeWithClient, AWrongPasswordIsRefused) {
  RunningExchange exchange;
  DeskClient intruder(exchange.Port(), "alpha", "guess");
  KestoBrimo_AsyncResponce refused;
  ASSERT_TRUE(intruder.WaitFor([](const KestoBrimo_AsyncResponce& r) { return r.OperationStatus == -7; }, refused));
  EXPECT_EQ(refused.CommandId, 0u);
  EXPECT_EQ(refused.ErrorString, "Неверное имя пользователя или пароль");
  EXPECT_FALSE(intruder->Authorized.load());
}

}  // namespace
