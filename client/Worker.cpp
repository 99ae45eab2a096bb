// The worker thread: one connection after another until the disconnect
// marker, sending queued requests and turning received blocks into responses.
#include <algorithm>
#include <iterator>
#include <mutex>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/clock.h"
#include "protocol/Framing.h"

namespace {

constexpr std::uint32_t kDisconnectWaitMs = 20000;
constexpr std::uint32_t kReconnectPauseMs = 500;
constexpr std::uint32_t kIdlePauseMs = 500;

bool IsDisconnectMarker(const KestoBrimo_AsyncRequest& request) { return request.Text == kDisconnectMarkerText; }

bool SameRequest(const KestoBrimo_AsyncRequest& a, const KestoBrimo_AsyncRequest& b) {
  return a.CommandId == b.CommandId && a.CommandCode == b.CommandCode && a.Text == b.Text;
}

bool IsLoginRequest(const KestoBrimo_AsyncRequest& request) {
  return request.CommandCode == KBRCommand_GetDirectory && request.CommandId == 0;
}

}  // namespace

void KestoBrimoClientAsync::WakeWorker() {
  waker_.Wake();
  requestQueued_.Set();
}

void KestoBrimoClientAsync::Connect() {
  // A worker that already took a marker by itself needs no stop: a marker
  // queued for it would only end the new worker at once.
  if (ThreadHandle.Joinable() && ThreadHandle.WaitFor(0)) ThreadId.store(0);
  if (ThreadId.load() != 0) Disconnect();
  // A worker that outlived Disconnect's wait still owns the socket and the
  // buffers: a second one must not start beside it.
  if (ThreadHandle.Joinable() && !ThreadHandle.WaitFor(kDisconnectWaitMs)) {
    PrintToDebugLog("start thread refused: previous thread still running");
    return;
  }
  PrintToDebugLog("start thread");
  if (!ThreadHandle.Start([this] { CallBackThread(); })) PrintToDebugLog("start thread fail");
}

void KestoBrimoClientAsync::Disconnect() {
  platform::ThreadId worker;
  {
    std::lock_guard<platform::Mutex> hold(Lock);
    PrintToDebugLog("Add disconnect");
    KestoBrimo_AsyncRequest marker;
    marker.CommandId = PeekNextCommandId();
    marker.CommandCode = KBRCommand_Disconnect;
    marker.Text = kDisconnectMarkerText;
    RequestQueue.push_front(marker);
    worker = ThreadId.load();
  }
  WakeWorker();
  if (ThreadHandle.Joinable() && worker != platform::CurrentThreadId()) {
    PrintToDebugLog("wait thread");
    if (ThreadHandle.WaitFor(kDisconnectWaitMs)) {
      PrintToDebugLog("wait thread success");
    } else {
      // The handle is kept so that Connect knows the old worker still runs.
      PrintToDebugLog("wait thread fail");
    }
  }
  ThreadId.store(0);
}

bool KestoBrimoClientAsync::StopRequested() {
  std::lock_guard<platform::Mutex> hold(Lock);
  return !RequestQueue.empty() && IsDisconnectMarker(RequestQueue.front());
}

bool KestoBrimoClientAsync::TakeDisconnectMarker() {
  KestoBrimo_AsyncResponce notice;
  {
    std::lock_guard<platform::Mutex> hold(Lock);
    if (RequestQueue.empty() || !IsDisconnectMarker(RequestQueue.front())) return false;
    notice.CommandId = static_cast<std::uint32_t>(RequestQueue.front().CommandId);
    RequestQueue.pop_front();
  }
  notice.OperationStatus = KBRStatus_Ok;
  notice.ErrorString = "Отсоединение от сервера успешно выполнено";
  notice.reason = 0;
  QueueResponse(std::move(notice));
  return true;
}

platform::SocketReady KestoBrimoClientAsync::WaitOnSocket(platform::SocketWaitFor what, std::uint32_t ms) {
  if (waker_.IsOpen()) return platform::WaitForSocket(Socket, what, &waker_, ms);
  if (Socket != platform::kNoSocket) return platform::WaitForSocket(Socket, what, nullptr, ms);
  return requestQueued_.Wait(ms) ? platform::SocketReady::Woken : platform::SocketReady::TimedOut;
}

void KestoBrimoClientAsync::PauseUnlessStopped(std::uint32_t ms) {
  const std::uint64_t deadline = platform::MonotonicMs() + ms;
  for (;;) {
    if (StopRequested()) return;
    const std::uint64_t now = platform::MonotonicMs();
    if (now >= deadline) return;
    // A queued request does not shorten the pause between attempts; a stop does.
    if (WaitOnSocket(platform::SocketWaitFor::Reading, static_cast<std::uint32_t>(deadline - now)) ==
        platform::SocketReady::Woken)
      waker_.Drain();
  }
}

void KestoBrimoClientAsync::CallBackThread() {
  ThreadId.store(platform::CurrentThreadId());
  PrintToDebugLog(">>CallBackThread");
  for (;;) {
    if (!waker_.IsOpen()) waker_.Open();
    PrintToDebugLog(">> in thread");
    const KBRStatus status = QueueProcessing();
    PrintToDebugLog("<< in thread");
    platform::CloseSocket(Socket);
    Authorized.store(false);
    Socket = platform::kNoSocket;
    // Bytes of a broken connection would only spoil the next handshake.
    std::string().swap(RecvBuffer);
    if (status == KBRStatus_Ok) break;
    phase_.store(KestoConnectionPhase::WaitingToReconnect);
    PauseUnlessStopped(kReconnectPauseMs);
  }
  phase_.store(KestoConnectionPhase::NotRunning);
  waker_.Close();
  PrintToDebugLog("<<CallBackThread");
}

KBRStatus KestoBrimoClientAsync::QueueProcessing() {
  PrintToDebugLog(">>QueueProcessing");
  // A stop requested before or between attempts ends the worker without connecting.
  if (TakeDisconnectMarker()) return KBRStatus_Ok;
  KBRStatus status = TryConnect();
  if (status != KBRStatus_Ok) return status;
  phase_.store(KestoConnectionPhase::AwaitingChallenge);
  status = ReceiveAuthentBlock();
  if (status != KBRStatus_Ok) return status;
  phase_.store(KestoConnectionPhase::LoggingIn);
  QueueLoginRequest();

  status = ServeRequests();
  // However the connection ends, answers that came whole are delivered.
  ParseBufferedBlocks();
  SettleUnansweredRequests(status != KBRStatus_Ok);
  if (status == KBRStatus_Ok) TakeDisconnectMarker();
  return status;
}

KBRStatus KestoBrimoClientAsync::ServeRequests() {
  // Requests may have been queued during the handshake.
  wokenWait_ = true;
  for (;;) {
    // Wake-ups so far are answered by looking at the queue now; later ones
    // cut the next wait short. A wait that was not cut short leaves nothing
    // to drain: each drain costs two calls into the system, which Wine
    // answers slowly on a busy machine.
    if (wokenWait_) {
      waker_.Drain();
      wokenWait_ = false;
    }
    KestoBrimo_AsyncRequest request;
    bool queued;
    {
      std::lock_guard<platform::Mutex> hold(Lock);
      queued = !RequestQueue.empty();
      if (queued) request = RequestQueue.front();
    }

    if (!queued) {
      PrintToDebugLog("~~QueueSize==0");
      PrintToDebugLog("~~ReadBlock");
      std::string block;
      KBRStatus status = ReadBlock(block);
      if (status < 0) {
        PrintToDebugLog("Status=%d", static_cast<int>(status));
        return status;
      }
      if (status == KBRStatus_Ok) {
        PrintToDebugLog("~~ParseBlock");
        status = ParseBlock(block);
        if (status < 0) return status;
      } else if (status == KBRStatus_NoData) {
        PrintToDebugLog("Status==KBRStatus_NoData");
        // Data or a queued request ends the pause at once; a read that a
        // queued request cut short has no pause to make.
        if (!wokenWait_ && WaitOnSocket(platform::SocketWaitFor::Reading, kIdlePauseMs) == platform::SocketReady::Woken)
          wokenWait_ = true;
      }
      continue;
    }

    if (IsDisconnectMarker(request)) return KBRStatus_Ok;
    if (TooOldToSendAgain(request)) continue;

    // A request that did not go out whole stays queued and goes first on the next connection.
    KBRStatus status = SendTextBlock(request.Text);
    if (status != KBRStatus_Ok) return status;
    // Once sent, it waits for its answer in awaitingAnswer_, which a broken
    // connection hands back to the queue; so it leaves the queue after one
    // read whatever that read brought.
    AwaitAnswer(request);
    std::string block;
    status = ReadBlock(block);
    if (status == KBRStatus_Ok) status = ParseBlock(block);
    RemoveFromQueue(request);
    if (status < 0) return status;
  }
}

void KestoBrimoClientAsync::RemoveFromQueue(const KestoBrimo_AsyncRequest& request) {
  // Only markers can have been put ahead of it meanwhile.
  std::lock_guard<platform::Mutex> hold(Lock);
  const auto sent = std::find_if(RequestQueue.begin(), RequestQueue.end(),
                                 [&](const KestoBrimo_AsyncRequest& r) { return SameRequest(r, request); });
  if (sent != RequestQueue.end()) RequestQueue.erase(sent);
}

std::deque<KestoBrimo_AsyncRequest>::iterator KestoBrimoClientAsync::FrontBehindMarkers() {
  return std::find_if_not(RequestQueue.begin(), RequestQueue.end(), IsDisconnectMarker);
}

void KestoBrimoClientAsync::AwaitAnswer(const KestoBrimo_AsyncRequest& request) {
  // A login belongs to its connection: the next one sends its own.
  if (request.CommandId == 0) return;
  // A request sent again keeps the time of its first send.
  firstSentMs_.emplace(request.CommandId, platform::MonotonicMs());
  awaitingAnswer_.push_back(request);
  if (awaitingAnswer_.size() > awaitingAnswerLimit_) {
    PrintToDebugLog("~~too many requests unanswered: request %d will not be sent again",
                    static_cast<int>(awaitingAnswer_.front().CommandId));
    GiveUp(awaitingAnswer_.front());
    awaitingAnswer_.pop_front();
  }
}

bool KestoBrimoClientAsync::TooOldToSendAgain(const KestoBrimo_AsyncRequest& request) {
  const auto sent = firstSentMs_.find(request.CommandId);
  if (sent == firstSentMs_.end() || platform::MonotonicMs() - sent->second < resendAgeLimitMs_) return false;
  PrintToDebugLog("~~request %d first sent %u s ago: too old to send again", static_cast<int>(request.CommandId),
                  static_cast<unsigned>((platform::MonotonicMs() - sent->second) / 1000));
  RemoveFromQueue(request);
  GiveUp(request);
  return true;
}

void KestoBrimoClientAsync::GiveUp(const KestoBrimo_AsyncRequest& request) {
  firstSentMs_.erase(request.CommandId);
  KestoBrimo_AsyncResponce unknown;
  unknown.CommandId = static_cast<std::uint32_t>(request.CommandId);
  unknown.CommandCode = request.CommandCode;
  unknown.OperationStatus = KBRStatus_UnknownResponse;
  unknown.ErrorString = "Команда не подтверждена биржей: проверьте результат";
  unknown.reason = 0;
  QueueResponse(std::move(unknown));
}

void KestoBrimoClientAsync::AnswerArrived(std::uint32_t commandId) {
  // 0 is the login's answer or a notification nobody asked for.
  if (commandId == 0) return;
  const auto answered = std::find_if(
      awaitingAnswer_.begin(), awaitingAnswer_.end(),
      [&](const KestoBrimo_AsyncRequest& r) { return static_cast<std::uint32_t>(r.CommandId) == commandId; });
  if (answered == awaitingAnswer_.end()) return;
  firstSentMs_.erase(answered->CommandId);
  awaitingAnswer_.erase(answered);
}

void KestoBrimoClientAsync::ParseBufferedBlocks() {
  // Stops where a live connection would have ended: at the first unreadable block.
  std::string block;
  while (CutBlock(RecvBuffer, block)) {
    PrintToDebugLog("~~ParseBlock buffered");
    if (ParseBlock(block) < 0) return;
  }
}

void KestoBrimoClientAsync::SettleUnansweredRequests(bool connectionBroke) {
  std::lock_guard<platform::Mutex> hold(Lock);
  // A login still queued carries the digest of this connection's random
  // string; the exchange would refuse it on the next one, which queues its own.
  const auto stale = std::remove_if(RequestQueue.begin(), RequestQueue.end(), IsLoginRequest);
  if (stale != RequestQueue.end()) {
    PrintToDebugLog("~~login request of the ended connection dropped");
    RequestQueue.erase(stale, RequestQueue.end());
  }
  if (awaitingAnswer_.empty()) return;
  if (!connectionBroke) {
    // A clean end: whatever went out whole was the exchange's to handle, and
    // sending it again could have it handled twice.
    PrintToDebugLog("~~%d sent requests unanswered at the disconnect: not sent again",
                    static_cast<int>(awaitingAnswer_.size()));
    for (const KestoBrimo_AsyncRequest& request : awaitingAnswer_) firstSentMs_.erase(request.CommandId);
    awaitingAnswer_.clear();
    return;
  }
  PrintToDebugLog("~~%d sent requests unanswered: queued again", static_cast<int>(awaitingAnswer_.size()));
  RequestQueue.insert(FrontBehindMarkers(), std::make_move_iterator(awaitingAnswer_.begin()),
                      std::make_move_iterator(awaitingAnswer_.end()));
  awaitingAnswer_.clear();
}
