// The executable's path, whole files read and written at once, and a file
// that several writers append to.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// Full path of the running executable; empty if the system does not tell.
std::string ExecutablePath();

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

// Replaces a file's content; false when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& content);

// Replaces a file's content through a temporary file beside it and a rename,
// so that a crash leaves either the old content or the new, never half of it.
bool ReplaceWholeFile(const std::string& path, const std::string& content);

// True when something exists at `path`, readable or not.
bool FileExists(const std::string& path);

// A file opened for appending, created if missing, shared for reading and
// writing with other handles and processes. Every Append goes to the end.
class SharedAppendFile {
 public:
  SharedAppendFile();
  ~SharedAppendFile();
  SharedAppendFile(const SharedAppendFile&) = delete;
  SharedAppendFile& operator=(const SharedAppendFile&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const;
  // Errors are ignored: the caller has nowhere to report them.
  void Append(const char* data, std::size_t size);
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
