// The client object without a worker: directory lookups and the disconnect
// marker. (The response queue and the request counter are tested through
// ParseBlock and the commands, in tests/protocol.)
#include "client/KestoBrimoClientAsync.h"

#include <gtest/gtest.h>

#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;

namespace {

TEST(ClientDirectories, GetCityOfAnAbsentIdIsEmpty) {
  KestoBrimoClientAsync client;
  EXPECT_EQ(client.GetCity(1), "");
  Access::SetCities(client, {{1, "Москва"}, {2, "Тверь"}});
  EXPECT_EQ(client.GetCity(2), "Тверь");
  EXPECT_EQ(client.GetCity(3), "");
  EXPECT_EQ(client.GetCity(-1), "");
  EXPECT_TRUE(client.GetTaxiDirectory().empty());
  EXPECT_TRUE(client.GetCarrierTypeDirectory().empty());
  EXPECT_TRUE(client.GetOrderStatusDirectory().empty());
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
