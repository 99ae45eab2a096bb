// Requests issued from three threads at once: every number is taken once, and
// the queue holds them in the order of their numbers.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "client/KestoBrimoClientAsync.h"
#include "support/ClientTestAccess.h"

using Access = KestoBrimoClientTestAccess;

namespace {

TEST(RequestNumberingThreads, CallersNeverShareANumberAndTheQueueIsInNumberOrder) {
  SetNextCommandIdForTesting(1);
  KestoBrimoClientAsync client;
  constexpr int kPerThread = 500;
  auto issue = [&client] {
    for (int i = 0; i < kPerThread; ++i) client.AcceptOrder(i);
  };
  std::thread first(issue), second(issue);
  for (int i = 0; i < kPerThread; ++i) client.GetDirectory(true);  // the worker's login request meanwhile
  first.join();
  second.join();

  std::set<std::int32_t> seen;
  std::int32_t previous = 0;
  int logins = 0;
  for (const KestoBrimo_AsyncRequest& r : Access::Requests(client)) {
    if (r.CommandId == 0) {
      ++logins;
      continue;
    }
    EXPECT_GT(r.CommandId, previous);
    previous = r.CommandId;
    EXPECT_TRUE(seen.insert(r.CommandId).second);
    EXPECT_NE(r.Text.find("\"CommandId\":" + std::to_string(r.CommandId) + ","), std::string::npos);
  }
  EXPECT_EQ(logins, kPerThread);
  EXPECT_EQ(seen.size(), 2u * kPerThread);
  EXPECT_EQ(PeekNextCommandId(), 2 * kPerThread + 1);
}

}  // namespace
