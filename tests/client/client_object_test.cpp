// The client object without a worker: response queue, directory lookups,
// the request counter and the disconnect marker.
#include "client/KestoBrimoClientAsync.h"

#include <gtest/gtest.h>

#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;

namespace {

KestoBrimo_AsyncResponce ResponseWithId(std::uint32_t id) {
  KestoBrimo_AsyncResponce r;
  r.CommandId = id;
  r.OperationStatus = KBRStatus_Ok;
  return r;
}

TEST(ClientResponses, LeaveInArrivalOrderAndEmptyQueueLeavesArgumentUntouched) {
  KestoBrimoClientAsync client;
  for (std::uint32_t id : {7u, 3u, 9u}) Access::PushResponse(client, ResponseWithId(id));

  KestoBrimo_AsyncResponce out;
  std::vector<std::uint32_t> ids;
  while (client.GetClientResponce(out)) ids.push_back(out.CommandId);
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{7, 3, 9}));

  out.ErrorString = "kept";
  out.Order.OrderId = 815;
  EXPECT_FALSE(client.GetClientResponce(out));
  EXPECT_EQ(out.CommandId, 9u);
  EXPECT_EQ(out.ErrorString, "kept");
  EXPECT_EQ(out.Order.OrderId, 815);
}

TEST(ClientDirectories, GetCityOfAnAbsentIdIsEmptyAndCopiesAreIndependent) {
  KestoBrimoClientAsync client;
  EXPECT_EQ(client.GetCity(1), "");
  Access::SetCities(client, {{1, "Москва"}, {2, "Тверь"}});
  EXPECT_EQ(client.GetCity(2), "Тверь");
  EXPECT_EQ(client.GetCity(3), "");
  EXPECT_EQ(client.GetCity(-1), "");

  auto copy = client.GetCityDirectory();
  copy.erase(1);
  EXPECT_EQ(client.GetCity(1), "Москва");
  EXPECT_TRUE(client.GetTaxiDirectory().empty());
  EXPECT_TRUE(client.GetCarrierTypeDirectory().empty());
  EXPECT_TRUE(client.GetOrderStatusDirectory().empty());
}

TEST(CommandCounter, WrapsFromTheLargestIdToOneNeverToZero) {
  const std::int32_t saved = PeekNextCommandId();
  SetNextCommandIdForTesting(2147483646);
  EXPECT_EQ(TakeNextCommandId(), 2147483646);
  EXPECT_EQ(TakeNextCommandId(), 2147483647);
  EXPECT_EQ(PeekNextCommandId(), 1);
  EXPECT_EQ(TakeNextCommandId(), 1);
  EXPECT_EQ(TakeNextCommandId(), 2);
  SetNextCommandIdForTesting(saved);
}

TEST(ClientDisconnect, WithoutWorkerQueuesMarkerAtTheFrontWithTheNextIdUnspent) {
  KestoBrimoClientAsync client;
  client.Disconnect();
  client.Disconnect();
  const auto queue = Access::Requests(client);
  ASSERT_EQ(queue.size(), 2u);
  for (const auto& marker : queue) {
    EXPECT_EQ(marker.Text, "Disconnect");
    EXPECT_EQ(marker.CommandCode, 0);
    EXPECT_EQ(marker.CommandId, PeekNextCommandId());
  }
  EXPECT_EQ(client.ThreadId.load(), 0u);
  EXPECT_FALSE(client.Authorized.load());
}

}  // namespace
