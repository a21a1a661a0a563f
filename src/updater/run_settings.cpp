#include "updater/run_settings.h"

#include "core/exception.h"

namespace orvex {

void CheckJarName(const std::string& jarName) {
  bool safe = !jarName.empty() && jarName.find("..") == std::string::npos;
  for (const char c : jarName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f || c == '/' || c == '\\' || c == ':' || c == '"') safe = false;
  }
  if (!safe) {
    throw Exception("The setting jarName \"" + jarName +
                    "\" is not a file name: it must not be empty nor hold a path separator, \"..\","
                    " a quote or a control character");
  }
}

void CheckMemory(const std::string& memory) {
  bool safe =
      !memory.empty() && memory.size() <= 7 && memory.find_first_not_of('0') != std::string::npos;
  for (const char c : memory) {
    if (c < '0' || c > '9') safe = false;
  }
  if (!safe) {
    throw Exception("The setting memory \"" + memory +
                    "\" is not a number of megabytes (1 to 9999999)");
  }
}

}  // namespace orvex
