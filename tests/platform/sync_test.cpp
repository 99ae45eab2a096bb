// Threads, events and locks: bounded waits and mutual exclusion.
#include "platform/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace {

TEST(Thread, BoundedWaitTimesOutWhileRunningAndSucceedsAfterTheEnd) {
  platform::Event release;
  std::atomic<platform::ThreadId> worker{0};
  platform::Thread thread;
  ASSERT_TRUE(thread.Start([&] {
    worker = platform::CurrentThreadId();
    release.Wait(10000);
  }));
  EXPECT_TRUE(thread.Joinable());
  EXPECT_FALSE(thread.WaitFor(50));
  release.Set();
  EXPECT_TRUE(thread.WaitFor(10000));
  EXPECT_FALSE(thread.Joinable());
  EXPECT_NE(worker.load(), 0u);
  EXPECT_NE(worker.load(), platform::CurrentThreadId());
}

TEST(Event, SetBeforeWaitIsKeptOnceAndWaitTimesOut) {
  platform::Event event;
  EXPECT_FALSE(event.Wait(10));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(10));
}

TEST(Mutex, TwoThreadsCountWithoutLosingUpdates) {
  platform::Mutex lock;
  long counter = 0;
  platform::Thread threads[2];
  for (platform::Thread& thread : threads)
    ASSERT_TRUE(thread.Start([&] {
      for (int i = 0; i < 100000; ++i) {
        std::lock_guard<platform::Mutex> hold(lock);
        ++counter;
      }
    }));
  for (platform::Thread& thread : threads) ASSERT_TRUE(thread.WaitFor(30000));
  EXPECT_EQ(counter, 200000);
}

}  // namespace
