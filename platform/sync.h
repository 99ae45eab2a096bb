// Locks, threads and pauses: the concurrency primitives the client and the desk build on.
// One implementation per platform lives in posix/ and win32/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

using ThreadId = std::uint32_t;

// The id of the calling thread; never 0.
ThreadId CurrentThreadId();

void SleepMs(std::uint32_t ms);

// A non-recursive mutual-exclusion lock (a critical section on Windows).
// Satisfies BasicLockable, so std::lock_guard works with it.
class Mutex {
 public:
  Mutex();
  ~Mutex();
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock();
  void unlock();

 private:
  friend class Event;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// An auto-reset event: Set wakes one waiter, or the next one to wait.
class Event {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  // Returns true when the event was set, false after `ms` without it.
  bool Wait(std::uint32_t ms);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// One thread of execution. The destructor never blocks: a thread that was
// neither waited for nor detached is detached.
class Thread {
 public:
  Thread();
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts `body` on a new thread; false when the system refuses.
  bool Start(std::function<void()> body);
  // True while a started thread has been neither waited for to its end nor detached.
  bool Joinable() const;
  // Waits at most `ms` for the thread to end. True when it ended (the handle
  // is then released); false on time-out (the thread stays joinable).
  bool WaitFor(std::uint32_t ms);
  // Lets the thread run on unwatched.
  void Detach();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
