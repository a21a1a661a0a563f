#include "platform/profile.h"

#include <windows.h>

#include <vector>

namespace orvex::platform {

std::string ReadProfileText(const std::string& section, const std::string& key,
                            const std::string& fallback, const std::string& path,
                            std::size_t bufferSize) {
  if (bufferSize == 0) return {};
  std::vector<char> buffer(bufferSize, '\0');
  DWORD length =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                               static_cast<DWORD>(bufferSize), path.c_str());
  return std::string(buffer.data(), length);
}

bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& path) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

bool FlushProfile(const std::string& path) {
  return WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()) != 0;
}

}  // namespace orvex::platform
