// Locks, events and threads over pthreads and the C++ standard library.
#include "platform/sync.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

ThreadId CurrentThreadId() {
  return static_cast<ThreadId>(::syscall(SYS_gettid));
}

void SleepMs(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Mutex::Impl {
  std::mutex m;
};

Mutex::Mutex() : impl_(new Impl) {}
Mutex::~Mutex() = default;
void Mutex::lock() { impl_->m.lock(); }
void Mutex::unlock() { impl_->m.unlock(); }

struct Event::Impl {
  std::mutex m;
  std::condition_variable cv;
  bool set = false;
};

Event::Event() : impl_(new Impl) {}
Event::~Event() = default;

void Event::Set() {
  {
    std::lock_guard<std::mutex> hold(impl_->m);
    impl_->set = true;
  }
  impl_->cv.notify_one();
}

bool Event::Wait(std::uint32_t ms) {
  std::unique_lock<std::mutex> hold(impl_->m);
  if (!impl_->cv.wait_for(hold, std::chrono::milliseconds(ms), [this] { return impl_->set; }))
    return false;
  impl_->set = false;
  return true;
}

// The thread body signals its end through shared state, so a bounded wait
// needs no platform-specific timed join.
struct Thread::Impl {
  struct Shared {
    std::mutex m;
    std::condition_variable cv;
    bool ended = false;
  };
  std::thread thread;
  std::shared_ptr<Shared> shared;
};

Thread::Thread() : impl_(new Impl) {}

Thread::~Thread() {
  if (impl_->thread.joinable()) impl_->thread.detach();
}

bool Thread::Start(std::function<void()> body) {
  if (impl_->thread.joinable()) return false;
  auto shared = std::make_shared<Impl::Shared>();
  try {
    impl_->thread = std::thread([shared, body = std::move(body)] {
      body();
      std::lock_guard<std::mutex> hold(shared->m);
      shared->ended = true;
      shared->cv.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  impl_->shared = shared;
  return true;
}

bool Thread::Joinable() const { return impl_->thread.joinable(); }

bool Thread::WaitFor(std::uint32_t ms) {
  if (!impl_->thread.joinable()) return true;
  {
    std::unique_lock<std::mutex> hold(impl_->shared->m);
    if (!impl_->shared->cv.wait_for(hold, std::chrono::milliseconds(ms),
                                    [this] { return impl_->shared->ended; }))
      return false;
  }
  impl_->thread.join();
  return true;
}

void Thread::Detach() {
  if (impl_->thread.joinable()) impl_->thread.detach();
}

}  // namespace platform
