#include "settings/ini_file.h"

#include "core/exception.h"
#include "core/integer_rule.h"
#include "platform/profile.h"

namespace orvex {

namespace {

// The reads go through a 2048-byte buffer: one byte is the terminating NUL.
constexpr std::size_t kReadBufferSize = 2048;

}  // namespace

std::string TIniFile::ReadText(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
  return platform::ReadProfileText(section, key, fallback, fileName_, kReadBufferSize);
}

std::int32_t TIniFile::ReadNumber(const std::string& section, const std::string& key,
                                  std::int32_t fallback) const {
  std::int32_t value = fallback;
  if (!TextToInteger(ReadText(section, key, ""), value)) return fallback;
  return value;
}

bool TIniFile::ReadFlag(const std::string& section, const std::string& key, bool fallback) const {
  return ReadNumber(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteText(const std::string& section, const std::string& key,
                         const std::string& value) {
  if (!platform::WriteProfileText(section, key, value, fileName_)) {
    throw EInOutError(FormatMessage("Unable to write to %s", fileName_));
  }
}

void TIniFile::WriteNumber(const std::string& section, const std::string& key, std::int32_t value) {
  WriteText(section, key, std::to_string(value));
}

void TIniFile::Close() {
  platform::FlushProfile(fileName_);
}

}  // namespace orvex
