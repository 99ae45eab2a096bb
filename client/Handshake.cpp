// The login challenge: the first block of every connection must be an
// authentication block, whose random string the login request digests.
#include "client/DebugLog.h"
#include "client/KestoBrimoClientAsync.h"
#include "platform/codepage.h"
#include "protocol/JsonRead.h"

namespace {

// "reason" must be the number 1; a missing one, text, true or a fraction is another kind.
bool IsAuthenticationKind(const Json::Value* reason) {
  std::int32_t kind = 0;
  return reason && !reason->isBool() && JsonToInt32(*reason, kind) && kind == KBRReason_Authentication;
}

}  // namespace

KBRStatus KestoBrimoClientAsync::ReceiveAuthentBlock() {
  std::string block;
  KBRStatus status;
  for (;;) {
    status = ReadBlock(block);
    if (status <= 0) break;
    // Each read waited for data or a wake-up. Requests queued meanwhile wait
    // for the login; only a stop request ends the wait early.
    waker_.Drain();
    if (StopRequested()) {
      PrintToDebugLog("~Authentication wait stopped");
      return KBRStatus_CommonError;
    }
  }
  // The read has recorded why it failed.
  if (status < 0)
    return Fail(status, "~JSON read block 1 not success", "Ошибка приема аутентификационной информации 1");

  Json::Value root;
  if (!ParseJsonText(block, root))
    return Fail(KBRStatus_ParseError, "~JSON parsing 1 not success", "Ошибка разбора аутентификационной информации 1",
                KestoFailureCause::BadData);
  const Json::Value* rndStr = FindJsonMember(root, "RndStr");
  if (!IsAuthenticationKind(FindJsonMember(root, "reason")) || (rndStr && !rndStr->isString() && !rndStr->isNull()))
    return Fail(KBRStatus_ParseError, "~No autent block", "Поступил блок аутентификационной информации другого типа",
                KestoFailureCause::BadData);
  // The digest is taken over code page 1251 bytes, as the exchange computes it.
  RndStr = rndStr && rndStr->isString() ? platform::AnsiFromUtf8(rndStr->asString()) : std::string();
  return KBRStatus_Ok;
}
