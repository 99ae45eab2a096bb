// Fuzz entry: ParseBlock queues at most one record for a block it accepts and
// none, with its error text, for one it refuses.
#include <string>

#include "client/KestoBrimoClientAsync.h"
#include "fuzz/entries/FuzzEntries.h"
#include "tests/support/ClientTestAccess.h"

void FuzzParseBlock(const std::uint8_t* data, std::size_t size) {
  static KestoBrimoClientAsync client;
  const std::string block(reinterpret_cast<const char*>(data), size);
  KestoBrimoClientTestAccess::LastError(client).clear();
  const KBRStatus status = client.ParseBlock(block);

  int records = 0;
  KestoBrimo_AsyncResponce record;
  while (client.GetClientResponce(record)) ++records;
  if (status == KBRStatus_Ok) {
    FuzzCheck(records <= 1, "an accepted block queued more than one record");
  } else {
    FuzzCheck(status == KBRStatus_ParseError, "a refused block gave a status other than ParseError");
    FuzzCheck(records == 0, "a refused block queued a record");
    FuzzCheck(KestoBrimoClientTestAccess::LastError(client) == "JSON parsing not success",
              "a refused block left no error text");
  }
}
