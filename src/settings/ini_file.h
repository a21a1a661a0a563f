#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace orvex {

// A settings file: holds only its path. Every read and write goes to the file at once; Close
// flushes the platform's cached copy. Reads never fail: anything missing or malformed gives
// the default.
class TIniFile {
 public:
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  // At most 2047 characters; a longer value arrives cut.
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& fallback) const;
  // The value by the integer rule, or the default when it does not convert.
  std::int32_t ReadNumber(const std::string& section, const std::string& key,
                          std::int32_t fallback) const;
  // ReadNumber with 1 or 0 as the default, not zero.
  bool ReadFlag(const std::string& section, const std::string& key, bool fallback) const;

  // EInOutError "Unable to write to %s" when the platform reports failure.
  void WriteText(const std::string& section, const std::string& key, const std::string& value);
  void WriteNumber(const std::string& section, const std::string& key, std::int32_t value);

  void Close();

 private:
  std::string fileName_;
};

}  // namespace orvex
