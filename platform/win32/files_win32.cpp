// Executable path, whole files and shared append-mode files over the Win32 file API.
#include <windows.h>

#include <vector>

#include "platform/files.h"

namespace platform {

std::string ExecutablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  out.clear();
  char chunk[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != 0) && got > 0) out.append(chunk, got);
  ::CloseHandle(file);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char* data = content.data();
  std::size_t left = content.size();
  bool ok = true;
  while (ok && left > 0) {
    DWORD wrote = 0;
    ok = ::WriteFile(file, data, static_cast<DWORD>(left), &wrote, nullptr) != 0 && wrote > 0;
    data += wrote;
    left -= wrote;
  }
  ::CloseHandle(file);
  return ok;
}

bool ReplaceWholeFile(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  if (!WriteWholeFile(temporary, content)) return false;
  if (::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  ::DeleteFileA(temporary.c_str());
  return false;
}

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct SharedAppendFile::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

SharedAppendFile::SharedAppendFile() : impl_(new Impl) {}
SharedAppendFile::~SharedAppendFile() { Close(); }

bool SharedAppendFile::Open(const std::string& path) {
  Close();
  // FILE_APPEND_DATA makes every write land at the current end, even when
  // another process appends to the same file.
  impl_->handle = ::CreateFileA(path.c_str(), FILE_APPEND_DATA | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return impl_->handle != INVALID_HANDLE_VALUE;
}

bool SharedAppendFile::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

void SharedAppendFile::Append(const char* data, std::size_t size) {
  while (impl_->handle != INVALID_HANDLE_VALUE && size > 0) {
    DWORD wrote = 0;
    if (!::WriteFile(impl_->handle, data, static_cast<DWORD>(size), &wrote, nullptr) || wrote == 0) return;
    data += wrote;
    size -= wrote;
  }
}

void SharedAppendFile::Close() {
  if (impl_->handle != INVALID_HANDLE_VALUE) ::CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
}

}  // namespace platform
