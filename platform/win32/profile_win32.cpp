// Private-profile files through the Windows profile functions.
#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace platform {

std::string ReadProfileValue(const std::string& section, const std::string& key, const std::string& path) {
  std::vector<char> buffer(kProfileValueBuffer, '\0');
  const DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), path.c_str());
  return std::string(buffer.data(), length < buffer.size() ? length : buffer.size() - 1);
}

bool WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                        const std::string& path) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace platform
