// Locks, events and threads over critical sections, event objects and _beginthreadex.
#include <windows.h>
#include <process.h>

#include "platform/sync.h"

namespace platform {

ThreadId CurrentThreadId() { return static_cast<ThreadId>(::GetCurrentThreadId()); }

void SleepMs(std::uint32_t ms) { ::Sleep(ms); }

struct Mutex::Impl {
  CRITICAL_SECTION cs;
};

Mutex::Mutex() : impl_(new Impl) { ::InitializeCriticalSection(&impl_->cs); }
Mutex::~Mutex() { ::DeleteCriticalSection(&impl_->cs); }
void Mutex::lock() { ::EnterCriticalSection(&impl_->cs); }
void Mutex::unlock() { ::LeaveCriticalSection(&impl_->cs); }

struct Event::Impl {
  HANDLE handle = nullptr;
};

Event::Event() : impl_(new Impl) { impl_->handle = ::CreateEventA(nullptr, FALSE, FALSE, nullptr); }
Event::~Event() {
  if (impl_->handle) ::CloseHandle(impl_->handle);
}
void Event::Set() { ::SetEvent(impl_->handle); }
bool Event::Wait(std::uint32_t ms) { return ::WaitForSingleObject(impl_->handle, ms) == WAIT_OBJECT_0; }

struct Thread::Impl {
  HANDLE handle = nullptr;
};

namespace {
unsigned __stdcall ThreadEntry(void* arg) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(arg));
  (*body)();
  return 0;
}
}  // namespace

Thread::Thread() : impl_(new Impl) {}
Thread::~Thread() { Detach(); }

bool Thread::Start(std::function<void()> body) {
  if (impl_->handle) return false;
  auto* arg = new std::function<void()>(std::move(body));
  const uintptr_t handle = ::_beginthreadex(nullptr, 0, &ThreadEntry, arg, 0, nullptr);
  if (handle == 0) {
    delete arg;
    return false;
  }
  impl_->handle = reinterpret_cast<HANDLE>(handle);
  return true;
}

bool Thread::Joinable() const { return impl_->handle != nullptr; }

bool Thread::WaitFor(std::uint32_t ms) {
  if (!impl_->handle) return true;
  if (::WaitForSingleObject(impl_->handle, ms) != WAIT_OBJECT_0) return false;
  ::CloseHandle(impl_->handle);
  impl_->handle = nullptr;
  return true;
}

void Thread::Detach() {
  if (impl_->handle) ::CloseHandle(impl_->handle);
  impl_->handle = nullptr;
}

}  // namespace platform
