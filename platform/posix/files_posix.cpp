// Executable path, whole files and shared append-mode files over POSIX calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/files.h"

namespace platform {

std::string ExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  out = content.str();
  return !in.bad();
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  file.close();  // a full disk shows when the last bytes go out
  return !file.fail();
}

bool ReplaceWholeFile(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  if (!WriteWholeFile(temporary, content)) return false;
  if (::rename(temporary.c_str(), path.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

struct SharedAppendFile::Impl {
  int fd = -1;
};

SharedAppendFile::SharedAppendFile() : impl_(new Impl) {}
SharedAppendFile::~SharedAppendFile() { Close(); }

bool SharedAppendFile::Open(const std::string& path) {
  Close();
  impl_->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  return impl_->fd >= 0;
}

bool SharedAppendFile::IsOpen() const { return impl_->fd >= 0; }

void SharedAppendFile::Append(const char* data, std::size_t size) {
  while (impl_->fd >= 0 && size > 0) {
    const ssize_t n = ::write(impl_->fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void SharedAppendFile::Close() {
  if (impl_->fd >= 0) ::close(impl_->fd);
  impl_->fd = -1;
}

}  // namespace platform
