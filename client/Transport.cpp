// The transport, on the worker thread: opening the connection, sending one
// request block, and cutting received bytes into blocks.
#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

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
  platform::Mutex Lock;
  bool Done = false;
  platform::SocketError Error = platform::SocketError::Other;
  std::uint32_t Address = 0;
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

// What a failed socket call means for the operator; any other failure is Other.
constexpr std::pair<platform::SocketError, KestoFailureCause> kCauses[] = {
    {platform::SocketError::Refused, KestoFailureCause::Refused},
    {platform::SocketError::TimedOut, KestoFailureCause::TimedOut},
    {platform::SocketError::Unreachable, KestoFailureCause::Unreachable},
    {platform::SocketError::NameNotFound, KestoFailureCause::NameNotFound},
    {platform::SocketError::Reset, KestoFailureCause::Reset},
    {platform::SocketError::Closed, KestoFailureCause::ClosedByExchange},
};

KestoFailureCause CauseOf(platform::SocketError error) {
  for (const auto& cause : kCauses)
    if (cause.first == error) return cause.second;
  return KestoFailureCause::Other;
}

}  // namespace

KBRStatus KestoBrimoClientAsync::Fail(KBRStatus status, const char* logLine, const char* lastError,
                                      KestoFailureCause cause) {
  PrintToDebugLog("%s", logLine);
  std::lock_guard<platform::Mutex> hold(Lock);
  LastError = lastError;
  failureCause_ = cause;
  return status;
}

KBRStatus KestoBrimoClientAsync::Fail(KBRStatus status, const char* logLine, const char* lastError) {
  PrintToDebugLog("%s", logLine);
  std::lock_guard<platform::Mutex> hold(Lock);
  LastError = lastError;
  return status;
}

void KestoBrimoClientAsync::ClearLastError() {
  std::lock_guard<platform::Mutex> hold(Lock);
  LastError.clear();
  failureCause_ = KestoFailureCause::None;
}

KBRStatus KestoBrimoClientAsync::ConnectError(KestoFailureCause cause) {
  return Fail(KBRStatus_ConnectError, "~~<ConnectToDB - KBRStatus_ConnectError", "Ошибка установления соединения",
              cause);
}

KBRStatus KestoBrimoClientAsync::ConnectStopped() {
  PrintToDebugLog("~~<ConnectToDB - stopped");
  return KBRStatus_CommonError;
}

// The system's lookup cannot be interrupted, so it runs on a helper thread
// that the worker abandons on a stop request or at the deadline.
platform::SocketError KestoBrimoClientAsync::LookUpServer(const std::string& name, std::uint32_t& address,
                                                          std::uint64_t deadlineMs) {
  auto lookup = std::make_shared<HostLookup>();
  platform::Thread helper;
  const bool started = helper.Start([lookup, name] {
    std::uint32_t found = 0;
    const platform::SocketError error = platform::LookUpHostName(name, found);
    std::lock_guard<platform::Mutex> hold(lookup->Lock);
    lookup->Done = true;
    lookup->Error = error;
    lookup->Address = found;
  });
  if (!started) return platform::LookUpHostName(name, address);
  helper.Detach();
  for (;;) {
    {
      std::lock_guard<platform::Mutex> hold(lookup->Lock);
      if (lookup->Done) {
        address = lookup->Address;
        return lookup->Error;
      }
    }
    if (MsUntil(deadlineMs) == 0) return platform::SocketError::TimedOut;
    if (StopRequested()) return platform::SocketError::Other;
    if (WaitOnSocket(platform::SocketWaitFor::Reading, std::min(kLookUpPollMs, MsUntil(deadlineMs))) ==
        platform::SocketReady::Woken)
      waker_.Drain();
  }
}

platform::SocketReady KestoBrimoClientAsync::WaitWritable(std::uint64_t deadlineMs) {
  for (;;) {
    const std::uint32_t waitMs = MsUntil(deadlineMs);
    if (waitMs == 0) return platform::SocketReady::TimedOut;
    switch (WaitOnSocket(platform::SocketWaitFor::Writing, waitMs)) {
      case platform::SocketReady::Ready:
        return platform::SocketReady::Ready;
      case platform::SocketReady::Failed:
        return platform::SocketReady::Failed;
      case platform::SocketReady::Woken:
        // A queued request waits its turn; only a stop cuts the wait short.
        waker_.Drain();
        if (StopRequested()) return platform::SocketReady::Woken;
        break;
      case platform::SocketReady::TimedOut:
        if (StopRequested()) return platform::SocketReady::Woken;
        break;
    }
  }
}

KBRStatus KestoBrimoClientAsync::FinishConnect(std::uint64_t deadlineMs) {
  switch (WaitWritable(deadlineMs)) {
    case platform::SocketReady::Ready: {
      const platform::SocketError outcome = platform::ConnectOutcome(Socket);
      return outcome == platform::SocketError::None ? KBRStatus_Ok : ConnectError(CauseOf(outcome));
    }
    case platform::SocketReady::Woken:
      return ConnectStopped();
    case platform::SocketReady::TimedOut:
      return ConnectError(KestoFailureCause::TimedOut);
    case platform::SocketReady::Failed:
      break;
  }
  return ConnectError(KestoFailureCause::Other);
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
    triedServer_ = server;
    triedPort_ = port;
  }
  phase_.store(KestoConnectionPhase::Connecting);
  const std::uint64_t deadlineMs = platform::MonotonicMs() + connectTimeLimitMs_;

  std::uint32_t address = 0;
  platform::SocketError found = platform::SocketError::None;
  if (!platform::IsDottedAddress(server)) {
    found = LookUpServer(server, address, deadlineMs);
  } else if (!platform::ParseDottedAddress(WithoutSpaces(server), address)) {
    found = platform::SocketError::NameNotFound;
  }
  if (StopRequested()) return ConnectStopped();
  if (found != platform::SocketError::None) return ConnectError(CauseOf(found));

  Socket = platform::CreateTcpSocket();
  if (Socket == platform::kNoSocket)
    return Fail(KBRStatus_SocketError, "~~<ConnectToDB - KBRStatus_SocketError", "socket error",
                KestoFailureCause::Other);
  PrintToDebugLog("socket ok");

  // Non-blocking before connecting, so the attempt has a time limit and gives way to a stop.
  if (!platform::SetNonBlocking(Socket))
    return Fail(KBRStatus_IOCtlSocketError, "~~<ConnectToDB - KBRStatus_IOCtlSocketError", "Ошибка настройки сокета",
                KestoFailureCause::Other);
  platform::SocketError refusal = platform::SocketError::Other;
  switch (platform::StartConnect(Socket, address, static_cast<std::uint16_t>(port), &refusal)) {
    case platform::ConnectStart::Connected:
      break;
    case platform::ConnectStart::Failed:
      return ConnectError(CauseOf(refusal));
    case platform::ConnectStart::InProgress: {
      const KBRStatus status = FinishConnect(deadlineMs);
      if (status != KBRStatus_Ok) return status;
      break;
    }
  }
  PrintToDebugLog("connect ok");
  PrintToDebugLog("ioctlsocket ok");
  ClearLastError();
  return KBRStatus_Ok;
}

KBRStatus KestoBrimoClientAsync::SendTextBlock(const std::string& text) {
  PrintToDebugLog("~~>SendTextBlock");
  // The converter sizes its output itself, so "№", "…" or "€" (three UTF-8
  // bytes each) never leave a request empty.
  const std::string frame = FrameRequest(platform::Utf8FromAnsi(text));
  const std::uint64_t deadlineMs = platform::MonotonicMs() + kSendStallLimitMs;
  std::size_t sent = 0;
  while (sent < frame.size()) {
    platform::SocketError error = platform::SocketError::Other;
    const long count = Socket == platform::kNoSocket
                           ? -1
                           : platform::SendSome(Socket, frame.data() + sent, frame.size() - sent, &error);
    // A full send buffer is a slow reader, not a broken connection: wait for room.
    if (count == platform::kSendWouldBlock && WaitWritable(deadlineMs) == platform::SocketReady::Ready) continue;
    if (count <= 0) {
      const bool reset = count == -1 && error == platform::SocketError::Reset;
      return Fail(KBRStatus_SendError, "~~<SendTextBlock - KBRStatus_SendError", "send error",
                  reset ? KestoFailureCause::Reset : KestoFailureCause::SendError);
    }
    sent += static_cast<std::size_t>(count);
  }
  PrintToDebugLog("~~<SendTextBlock - KBRStatus_Ok");
  ClearLastError();
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
        return Fail(KBRStatus_SocketError, "socket error", "socket error", KestoFailureCause::Other);
      case platform::SocketReady::Ready: {
        char chunk[kReceiveChunk];
        platform::SocketError error = platform::SocketError::Other;
        const long count = platform::ReceiveSome(Socket, chunk, sizeof chunk, &error);
        if (count < 0) return Fail(KBRStatus_RecvError, "recv error", "recv error", CauseOf(error));
        // The exchange has closed: nothing more can come, so the connection ends here.
        if (count == 0)
          return Fail(KBRStatus_RecvError, "recv closed", "connection closed", KestoFailureCause::ClosedByExchange);
        AppendReceivedChunk(RecvBuffer, chunk, static_cast<std::size_t>(count));
        break;
      }
      case platform::SocketReady::Woken:
        wokenWait_ = true;
        break;
      case platform::SocketReady::TimedOut:
        break;
    }
  }

  if (RecvBuffer.empty()) return KBRStatus_NoData;
  // The buffer stays below recvBufferLimit_ plus one chunk, so its length fits.
  PrintToDebugLog("RecvBuffer.length()=%d", static_cast<int>(RecvBuffer.size()));
  if (!CutBlock(RecvBuffer, out)) {
    if (RecvBuffer.size() > recvBufferLimit_) {
      std::string().swap(RecvBuffer);
      return Fail(KBRStatus_RecvError, "recv buffer overflow", "recv buffer overflow", KestoFailureCause::BadData);
    }
    return KBRStatus_PartialBlock;
  }
  lastBlockMonotonicMs_.store(platform::MonotonicMs());
  lastBlockTime_.store(platform::NowSeconds());
  PrintToDebugLog("!!! p. n=%d", static_cast<int>(out.size()));
  if (RecvBuffer.empty())
    PrintToDebugLog("!RecvBuffer=''");
  else
    PrintToDebugLog("!RecvBuffer-n");
  return KBRStatus_Ok;
}
