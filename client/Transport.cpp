// The transport, on the worker thread: opening the connection, sending one
// request block, and cutting received bytes into blocks.
#include <algorithm>
#include <memory>
#include <mutex>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "protocol/Framing.h"

namespace {

// One read waits this long for data, so the worker stays responsive when the exchange is silent.
constexpr std::uint32_t kReadWaitMs = 1000;
constexpr std::size_t kReceiveChunk = 1024;
// How often a pending name lookup is looked at while the worker watches for a stop.
constexpr std::uint32_t kLookUpPollMs = 50;
// No single socket wait outlasts this, so a stop request is seen in time.
constexpr std::uint32_t kLongestWaitMs = 1000;
// How long one request may wait for room in the system's send buffer, for
// an exchange that reads slowly, before the connection counts as broken.
constexpr std::uint32_t kSendStallLimitMs = 10000;

// The outcome of one name lookup, shared with the helper thread that may outlive the attempt.
struct HostLookup {
  platform::Mutex lock;
  bool done = false;
  bool found = false;
  std::uint32_t address = 0;
};

std::uint32_t MsUntil(std::uint64_t deadlineMs) {
  const std::uint64_t now = platform::MonotonicMs();
  return now >= deadlineMs ? 0 : static_cast<std::uint32_t>(std::min<std::uint64_t>(deadlineMs - now, kLongestWaitMs));
}

// A dotted address typed with a space before or after it still counts;
// not every system's inet_addr ignores the spaces.
std::string WithoutSpaces(const std::string& dotted) {
  const std::size_t first = dotted.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return dotted.substr(first, dotted.find_last_not_of(' ') - first + 1);
}

}  // namespace

KBRStatus KestoBrimoClientAsync::ConnectError() {
  PrintToDebugLog("~~<ConnectToDB - KBRStatus_ConnectError");
  LastError = "Ошибка установления соединения";
  return KBRStatus_ConnectError;
}

KBRStatus KestoBrimoClientAsync::ConnectStopped() {
  PrintToDebugLog("~~<ConnectToDB - stopped");
  return KBRStatus_CommonError;
}

// The system's lookup cannot be interrupted, so it runs on a helper thread
// that the worker abandons on a stop request or at the deadline.
bool KestoBrimoClientAsync::LookUpServer(const std::string& name, std::uint32_t& address, std::uint64_t deadlineMs) {
  auto lookup = std::make_shared<HostLookup>();
  platform::Thread helper;
  const bool started = helper.Start([lookup, name] {
    std::uint32_t found = 0;
    const bool ok = platform::LookUpHostName(name, found);
    std::lock_guard<platform::Mutex> hold(lookup->lock);
    lookup->done = true;
    lookup->found = ok;
    lookup->address = found;
  });
  if (!started) return platform::LookUpHostName(name, address);
  helper.Detach();
  for (;;) {
    {
      std::lock_guard<platform::Mutex> hold(lookup->lock);
      if (lookup->done) {
        address = lookup->address;
        return lookup->found;
      }
    }
    if (StopRequested() || MsUntil(deadlineMs) == 0) return false;
    if (WaitOnSocket(platform::SocketWaitFor::Reading, std::min(kLookUpPollMs, MsUntil(deadlineMs))) ==
        platform::SocketReady::Woken)
      Waker.Drain();
  }
}

KBRStatus KestoBrimoClientAsync::FinishConnect(std::uint64_t deadlineMs) {
  for (;;) {
    const std::uint32_t waitMs = MsUntil(deadlineMs);
    if (waitMs == 0) return ConnectError();
    switch (WaitOnSocket(platform::SocketWaitFor::Writing, waitMs)) {
      case platform::SocketReady::Ready:
        return platform::ConnectSucceeded(Socket) ? KBRStatus_Ok : ConnectError();
      case platform::SocketReady::Woken:
        // A queued request does not concern a connect; only a stop does.
        Waker.Drain();
        if (StopRequested()) return ConnectStopped();
        break;
      case platform::SocketReady::TimedOut:
        if (StopRequested()) return ConnectStopped();
        break;
      case platform::SocketReady::Failed:
        return ConnectError();
    }
  }
}

KBRStatus KestoBrimoClientAsync::TryConnect() {
  std::string server;
  std::int32_t port = 0;
  {
    // Only the parameters are read under the lock: the desk's timer takes it
    // too and must not wait for a lookup or a connect.
    std::lock_guard<platform::Mutex> hold(Lock);
    PrintToDebugLog("~~>TryConnect");
    server = ServerName;
    port = Port;
  }
  const std::uint64_t deadlineMs = platform::MonotonicMs() + ConnectTimeLimitMs;

  std::uint32_t address = 0;
  const bool found = platform::IsDottedAddress(server) ? platform::ParseDottedAddress(WithoutSpaces(server), address)
                                                        : LookUpServer(server, address, deadlineMs);
  if (StopRequested()) return ConnectStopped();
  if (!found) return ConnectError();

  Socket = platform::CreateTcpSocket();
  if (Socket == platform::kNoSocket) {
    PrintToDebugLog("~~<ConnectToDB - KBRStatus_SocketError");
    LastError = "socket error";
    return KBRStatus_SocketError;
  }
  PrintToDebugLog("socket ok");

  // Non-blocking before connecting, so the attempt has a time limit and gives way to a stop.
  if (!platform::SetNonBlocking(Socket)) {
    PrintToDebugLog("~~<ConnectToDB - KBRStatus_IOCtlSocketError");
    LastError = "Ошибка настройки сокета";
    return KBRStatus_IOCtlSocketError;
  }
  switch (platform::StartConnect(Socket, address, static_cast<std::uint16_t>(port))) {
    case platform::ConnectStart::Connected:
      break;
    case platform::ConnectStart::Failed:
      return ConnectError();
    case platform::ConnectStart::InProgress: {
      const KBRStatus status = FinishConnect(deadlineMs);
      if (status != KBRStatus_Ok) return status;
      break;
    }
  }
  PrintToDebugLog("connect ok");
  PrintToDebugLog("ioctlsocket ok");
  LastError.clear();
  return KBRStatus_Ok;
}

bool KestoBrimoClientAsync::WaitForSendRoom(std::uint64_t deadlineMs) {
  for (;;) {
    const std::uint32_t waitMs = MsUntil(deadlineMs);
    if (waitMs == 0) return false;
    switch (WaitOnSocket(platform::SocketWaitFor::Writing, waitMs)) {
      case platform::SocketReady::Ready:
        return true;
      case platform::SocketReady::Woken:
        // A queued request waits its turn; only a stop cuts the send short.
        Waker.Drain();
        if (StopRequested()) return false;
        break;
      case platform::SocketReady::TimedOut:
        if (StopRequested()) return false;
        break;
      case platform::SocketReady::Failed:
        return false;
    }
  }
}

KBRStatus KestoBrimoClientAsync::SendTextBlock(const std::string& text) {
  PrintToDebugLog("~~>SendTextBlock");
  // The converter sizes its output itself, so "№", "…" or "€" (three UTF-8
  // bytes each) never leave a request empty.
  const std::string frame = FrameRequest(platform::Utf8FromAnsi(text));
  const std::uint64_t deadlineMs = platform::MonotonicMs() + kSendStallLimitMs;
  std::size_t sent = 0;
  while (sent < frame.size()) {
    const long count =
        Socket == platform::kNoSocket ? -1 : platform::SendSome(Socket, frame.data() + sent, frame.size() - sent);
    // A full send buffer is a slow reader, not a broken connection: wait for room.
    if (count == platform::kSendWouldBlock && WaitForSendRoom(deadlineMs)) continue;
    if (count <= 0) {
      PrintToDebugLog("~~<SendTextBlock - KBRStatus_SendError");
      LastError = "send error";
      return KBRStatus_SendError;
    }
    sent += static_cast<std::size_t>(count);
  }
  PrintToDebugLog("~~<SendTextBlock - KBRStatus_Ok");
  LastError.clear();
  return KBRStatus_Ok;
}

// Hands the block over as the UTF-8 it came in: ParseBlock converts each text it reads.
KBRStatus KestoBrimoClientAsync::ReadBlock(std::string& out) {
  out.clear();
  if (Socket == platform::kNoSocket) return KBRStatus_SocketError;

  // A block already buffered is handed out without waiting, so a burst does not trickle.
  if (RecvBuffer.find(kBlockTerminator) == std::string::npos) {
    switch (WaitOnSocket(platform::SocketWaitFor::Reading, kReadWaitMs)) {
      case platform::SocketReady::Failed:
        PrintToDebugLog("socket error");
        LastError = "socket error";
        return KBRStatus_SocketError;
      case platform::SocketReady::Ready: {
        char chunk[kReceiveChunk];
        const long count = platform::ReceiveSome(Socket, chunk, sizeof chunk);
        if (count < 0) {
          PrintToDebugLog("recv error");
          LastError = "recv error";
          return KBRStatus_RecvError;
        }
        if (count == 0) {
          // The exchange has closed: nothing more can come, so the connection ends here.
          PrintToDebugLog("recv closed");
          LastError = "connection closed";
          return KBRStatus_RecvError;
        }
        AppendReceivedChunk(RecvBuffer, chunk, static_cast<std::size_t>(count));
        break;
      }
      case platform::SocketReady::Woken:
      case platform::SocketReady::TimedOut:
        break;
    }
  }

  if (RecvBuffer.empty()) return KBRStatus_NoData;
  // The buffer stays below RecvBufferLimit plus one chunk, so its length fits.
  PrintToDebugLog("RecvBuffer.length()=%d", static_cast<int>(RecvBuffer.size()));
  if (!CutBlock(RecvBuffer, out)) {
    if (RecvBuffer.size() > RecvBufferLimit) {
      PrintToDebugLog("recv buffer overflow");
      LastError = "recv buffer overflow";
      std::string().swap(RecvBuffer);
      return KBRStatus_RecvError;
    }
    return KBRStatus_PartialBlock;
  }
  PrintToDebugLog("!!! p. n=%d", static_cast<int>(out.size()));
  if (RecvBuffer.empty())
    PrintToDebugLog("!RecvBuffer=''");
  else
    PrintToDebugLog("!RecvBuffer-n");
  return KBRStatus_Ok;
}
