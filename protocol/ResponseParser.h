// Reading one received block (UTF-8, as cut from the wire) into what the
// client applies: the response record and, for a directory message, the
// new directories.
#pragma once

#include <string>

#include "protocol/Directories.h"
#include "protocol/KBRStatus.h"
#include "protocol/KestoRecords.h"

struct KestoParsedBlock {
  // KBRStatus_Ok, or KBRStatus_ParseError when the block cannot be read whole.
  KBRStatus Status = KBRStatus_ParseError;
  KestoBrimo_AsyncResponce Record;
  // The successful answer to the login request: applied, never queued.
  bool IsLoginAnswer = false;
  // A directory message: Directories replace the client's.
  bool HasDirectories = false;
  KestoDirectories Directories;
};

// Any block that cannot be read whole, whether it is not JSON or a member does
// not convert, gives KBRStatus_ParseError and nothing else.
KestoParsedBlock ParseResponseBlock(const std::string& block);
