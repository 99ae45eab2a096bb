// The asynchronous client of the order exchange: one TCP connection, one
// worker thread, a request queue and a response queue. Commands only build,
// number and queue a request; the application polls GetClientResponce, waits
// on it with a time limit, or is told by a notification when a response comes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/socket.h"
#include "platform/sync.h"
#include "protocol/AnswerMemoryLimits.h"
#include "protocol/KBRCodes.h"
#include "protocol/KBRStatus.h"
#include "protocol/KestoRecords.h"

// One queued request.
struct KestoBrimo_AsyncRequest {
  std::int32_t CommandId = 0;
  std::int32_t CommandCode = 0;  // 0 for the disconnect marker
  std::string Text;              // the serialised JSON, code page 1251
};

// How far the worker's connection has come.
enum class KestoConnectionPhase {
  NotRunning,          // no worker
  Connecting,          // looking up the server and connecting
  AwaitingChallenge,   // connected, waiting for the authentication block
  LoggingIn,           // the login request is queued or sent, no answer yet
  LoggedIn,            // a block with "OperationStatus" 0 has come on this connection
  WaitingToReconnect,  // the last attempt or connection failed; another follows
};

// Why the last connection attempt or connection failed.
enum class KestoFailureCause {
  None,
  Refused,           // nothing listens at the server's address and port
  TimedOut,          // the connect or the name lookup took too long
  Unreachable,       // no route to the server, or no resolver to ask
  NameNotFound,      // the server's name has no address
  ClosedByExchange,  // the exchange ended the connection in order
  Reset,             // the connection was reset
  BadData,           // a block could not be read, or the first one was no challenge
  SendError,         // a request could not be sent
  Other,
};

// A snapshot of the connection, for the operator's state line.
struct KestoConnectionState {
  KestoConnectionPhase Phase = KestoConnectionPhase::NotRunning;
  KestoFailureCause LastFailure = KestoFailureCause::None;
  std::string LastError;   // the text LastError holds, beside its cause
  std::string ServerName;  // the server and port of the latest attempt
  std::int32_t Port = 0;
  std::uint64_t LastBlockMonotonicMs = 0;  // platform::MonotonicMs of the last block received; 0 for none
  std::int64_t LastBlockTime = 0;          // the same moment in seconds since 1970; 0 for none
};

// The text of the disconnect marker in the request queue.
extern const char* const kDisconnectMarkerText;

// The process-wide request counter. It starts at 1, moves only under a
// client's Lock and after 2147483647 goes on from 1: 0 belongs to the login request.
std::int32_t PeekNextCommandId();
std::int32_t TakeNextCommandId();
// For tests that check the numbering near the limit.
void SetNextCommandIdForTesting(std::int32_t value);

class KestoBrimoClientAsync {
 public:
  KestoBrimoClientAsync();
  // Stops a running worker first.
  ~KestoBrimoClientAsync();
  KestoBrimoClientAsync(const KestoBrimoClientAsync&) = delete;
  KestoBrimoClientAsync& operator=(const KestoBrimoClientAsync&) = delete;

  // Takes effect at the next connection attempt.
  void SetConnectionParam(const std::string& ServerName, int Port, const std::string& Login,
                          const std::string& Password);

  // Moves the oldest response into `Responce`; false, and `Responce`
  // untouched, when none is queued.
  bool GetClientResponce(KestoBrimo_AsyncResponce& Responce);
  // The same, waiting at most `waitMs` for a response when none is queued
  // (for programs without a window and a timer).
  bool GetClientResponce(KestoBrimo_AsyncResponce& Responce, std::uint32_t waitMs);

  // Called on the worker thread right after each response is queued, outside
  // Lock, with `context`; null for none. It must return at once (a window
  // posts itself a message) and may call the client.
  using ResponseNotify = void (*)(void* context);
  void SetResponseNotify(ResponseNotify notify, void* context);

  std::map<std::int32_t, std::string> GetCarrierTypeDirectory();
  std::map<std::int32_t, std::string> GetOrderStatusDirectory();
  std::map<std::int32_t, std::string> GetCityDirectory();
  std::map<std::int32_t, KestoDirectoryItem> GetTaxiDirectory();
  // The city's name, or empty when the id is not in the city directory.
  std::string GetCity(int CityId);

  // Commands: each queues one request and returns its "CommandId" at once.
  int GetDirectory(bool WithLogin);
  int InsertOrder(KestoOrder order);
  int ChangeOrderStatus(int OrderId, int StatusId, float Price);
  int AddCarDescription(int OrderId, const std::string& FullDescription, const std::string& GovNumber, int CallNumber,
                        int ToCarMin);
  int GetStatement();
  int GetTariff(int Publisher, int Acceptor, int CityId);
  int SetOrderNotifyMode(int Mode, std::int64_t BeginTime, std::int64_t EndTime);
  // The commands that carry only an order id: their text comes from the command table.
  int AcceptOrder(int OrderId) { return QueueOrderIdRequest(KBRCommand_AcceptOrder, OrderId); }
  int ReturnMyOrder(int OrderId) { return QueueOrderIdRequest(KBRCommand_ReturnOrder, OrderId); }
  int ReturnForeignOrder(int OrderId) { return QueueOrderIdRequest(KBRCommand_ForceReturnOrder, OrderId); }
  int GetOrderFullInfo(int OrderId) { return QueueOrderIdRequest(KBRCommand_GetOrderFullInfo, OrderId); }
  int GetOrderpartialInfo(int OrderId) { return QueueOrderIdRequest(KBRCommand_GetOrderPartialInfo, OrderId); }

  // Starts the worker (stopping a running one first).
  void Connect();
  // Queues the disconnect marker at the front and waits for the worker, at most 20 s.
  // The worker first finishes the request in flight; requests sent whole are
  // done with, even if unanswered. Requests not yet sent stay queued: a later
  // Connect sends them after its login.
  void Disconnect();

  // Turns one received block into at most one queued response (worker thread).
  KBRStatus ParseBlock(const std::string& block);

  // Any thread.
  KestoConnectionState GetConnectionState();

  // Read by the desk without the lock, only to enable and disable buttons.
  std::atomic<platform::ThreadId> ThreadId{0};
  std::atomic<bool> Authorized{false};

 private:
  friend struct KestoBrimoClientTestAccess;

  // Wakes the worker at once when a request is queued (commands, Disconnect).
  void WakeWorker();
  // Appends a response under Lock, then wakes a waiting GetClientResponce and
  // calls the notification (worker thread).
  void QueueResponse(KestoBrimo_AsyncResponce record);

  // Where QueueRequest puts a request: behind every waiting one, or ahead of
  // them all but never ahead of a disconnect marker.
  enum class QueuePlace { AtBack, AheadOfWaiting };

  // Builds the text of a request given its "CommandId"; called under Lock.
  using RequestBuilder = std::function<std::string(std::int32_t commandId)>;
  // Numbers, builds, logs and queues one request under Lock, then wakes the
  // worker. The login request is built from Login, RndStr and Password,
  // takes "CommandId" 0 and leaves the counter alone. Returns the "CommandId".
  int QueueRequest(KBRCommand code, const RequestBuilder& build, bool withLogin = false,
                   QueuePlace place = QueuePlace::AtBack);
  int QueuePlainRequest(KBRCommand code);
  int QueueOrderIdRequest(KBRCommand code, int OrderId);
  // The login request of a new connection. It goes ahead of requests left
  // over from an earlier connection, which the exchange would refuse before a login.
  void QueueLoginRequest();
  // Under Lock: the front of RequestQueue behind any disconnect markers.
  std::deque<KestoBrimo_AsyncRequest>::iterator FrontBehindMarkers();

  // Worker and transport steps.
  void CallBackThread();
  KBRStatus QueueProcessing();
  // The logged-in part of one connection: sends and reads until an error, or
  // until the disconnect marker is at the front (left there, with 0).
  KBRStatus ServeRequests();
  KBRStatus TryConnect();
  KBRStatus SendTextBlock(const std::string& text);
  KBRStatus ReadBlock(std::string& out);
  KBRStatus ReceiveAuthentBlock();

  // How the worker waits without spinning and still stops within about a second.
  // True while the disconnect marker is at the front of RequestQueue.
  bool StopRequested();
  // Takes the marker from the front, if it is there, and queues the disconnect notice.
  bool TakeDisconnectMarker();
  // Sleeps `ms`, or less when a stop is requested meanwhile.
  void PauseUnlessStopped(std::uint32_t ms);
  // Waits for Socket, or for any wake-up, at most `ms`.
  platform::SocketReady WaitOnSocket(platform::SocketWaitFor what, std::uint32_t ms);
  // Waits until the socket can be written (connected, or room to send):
  // Ready; TimedOut at the deadline; Woken on a stop request; Failed.
  platform::SocketReady WaitWritable(std::uint64_t deadlineMs);
  // Connection steps that must give way to a stop request.
  platform::SocketError LookUpServer(const std::string& name, std::uint32_t& address, std::uint64_t deadlineMs);
  KBRStatus FinishConnect(std::uint64_t deadlineMs);
  KBRStatus ConnectError(KestoFailureCause cause);
  KBRStatus ConnectStopped();
  // Logs `logLine`, sets LastError (and its cause, when given) under Lock, and returns `status`.
  KBRStatus Fail(KBRStatus status, const char* logLine, const char* lastError, KestoFailureCause cause);
  KBRStatus Fail(KBRStatus status, const char* logLine, const char* lastError);
  void ClearLastError();

  // What no broken connection may lose (worker thread). A sent request waits
  // in awaitingAnswer_ until a block with its "CommandId" is parsed; when the
  // connection ends, the complete blocks still buffered are parsed, and if it
  // broke, the unanswered requests go back to the front of RequestQueue.
  void AwaitAnswer(const KestoBrimo_AsyncRequest& request);
  void AnswerArrived(std::uint32_t commandId);
  void ParseBufferedBlocks();
  void SettleUnansweredRequests(bool connectionBroke);
  // A request sent before and unanswered for longer than the exchange
  // remembers answers is given up: true after it left the queue with a record.
  bool TooOldToSendAgain(const KestoBrimo_AsyncRequest& request);
  // Tells the application that `request` may or may not have been handled.
  void GiveUp(const KestoBrimo_AsyncRequest& request);
  // Under Lock: removes the element that was copied as `request`, wherever it stands now.
  void RemoveFromQueue(const KestoBrimo_AsyncRequest& request);

  std::deque<KestoBrimo_AsyncRequest> RequestQueue;
  std::deque<KestoBrimo_AsyncResponce> ResponseQueue;
  std::string ServerName;
  std::int32_t Port = 0;
  std::string Login;
  std::string Password;
  std::string RndStr;
  std::string LastError;
  platform::SocketHandle Socket = platform::kNoSocket;
  std::string RecvBuffer;
  std::map<std::int32_t, std::string> CarrierTypeDirectory;
  std::map<std::int32_t, std::string> OrderStatusDirectory;
  std::map<std::int32_t, std::string> CityDirectory;
  std::map<std::int32_t, KestoDirectoryItem> TaxiDirectory;
  platform::Thread ThreadHandle;
  // Wakes the worker as soon as a request is queued: waker_ cuts short its
  // socket waits; requestQueued_ stands in for it while it cannot be opened.
  platform::SocketWaker waker_;
  platform::Event requestQueued_;
  // A wait of the worker's was cut short by a wake-up still to be drained; worker thread only.
  bool wokenWait_ = false;
  // Set after each queued response, for GetClientResponce with a time limit.
  platform::Event responseQueued_;
  ResponseNotify notify_ = nullptr;  // both under Lock
  void* notifyContext_ = nullptr;
  // A connect attempt (name lookup included) gives up after this long.
  std::uint32_t connectTimeLimitMs_ = 10000;
  // Bytes buffered without a terminator beyond this end the connection.
  std::size_t recvBufferLimit_ = 16u * 1024u * 1024u;
  // Sent requests whose answer has not come yet, oldest first; worker thread only.
  std::deque<KestoBrimo_AsyncRequest> awaitingAnswer_;
  // When each request of awaitingAnswer_, or handed back to RequestQueue by a
  // broken connection, first went out (MonotonicMs), by CommandId; worker thread only.
  std::map<std::int32_t, std::uint64_t> firstSentMs_;
  // An exchange that never answers some command must not grow awaitingAnswer_
  // without bound: beyond this many, the oldest is given up.
  std::size_t awaitingAnswerLimit_ = kAnswerMemoryCount;
  // Sent again later than this, a request could be handled twice: the
  // exchange no longer remembers its answer.
  std::uint32_t resendAgeLimitMs_ = kAnswerMemoryMs;
  // What GetConnectionState reports. The phase and the times of the last
  // block are written by the worker alone; the cause and the server tried go with LastError.
  std::atomic<KestoConnectionPhase> phase_{KestoConnectionPhase::NotRunning};
  std::atomic<std::uint64_t> lastBlockMonotonicMs_{0};
  std::atomic<std::int64_t> lastBlockTime_{0};
  KestoFailureCause failureCause_ = KestoFailureCause::None;
  std::string triedServer_;
  std::int32_t triedPort_ = 0;
  platform::Mutex Lock;
};
