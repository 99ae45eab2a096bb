// ParseBlock: one received block becomes at most one queued response record.
// A block that cannot be read whole changes nothing, so the worker drops the
// connection.
#include <mutex>
#include <utility>

#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "protocol/ResponseParser.h"

KBRStatus KestoBrimoClientAsync::ParseBlock(const std::string& block) {
  KestoParsedBlock parsed = ParseResponseBlock(block);
  if (parsed.Status != KBRStatus_Ok)
    return Fail(parsed.Status, "~JSON parsing not success", "JSON parsing not success", KestoFailureCause::BadData);
  // Queued or absorbed, a block with a request's "CommandId" is that request's answer.
  AnswerArrived(parsed.Record.CommandId);

  if (parsed.HasDirectories) {
    // One short hold; the old maps are released after it, outside the lock.
    std::lock_guard<platform::Mutex> hold(Lock);
    CarrierTypeDirectory.swap(parsed.Directories.CarrierTypeDirectory);
    OrderStatusDirectory.swap(parsed.Directories.OrderStatusDirectory);
    CityDirectory.swap(parsed.Directories.CityDirectory);
    TaxiDirectory.swap(parsed.Directories.TaxiDirectory);
  }
  if (parsed.Record.OperationStatus == KBRStatus_Ok) {
    Authorized.store(true);
    KestoConnectionPhase loggingIn = KestoConnectionPhase::LoggingIn;
    phase_.compare_exchange_strong(loggingIn, KestoConnectionPhase::LoggedIn);
  }
  // The successful answer to the login request has done its work above.
  if (!parsed.IsLoginAnswer) QueueResponse(std::move(parsed.Record));
  return KBRStatus_Ok;
}
