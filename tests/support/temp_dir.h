#pragma once

#include <filesystem>
#include <string>

namespace orvex::test {

// A fresh directory under the system's temporary directory, removed with everything in it
// when the object goes away.
class TempDir {
 public:
  explicit TempDir(const std::string& tag = "orvex");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The directory as text, with its trailing separator.
  std::string Dir() const;

 private:
  std::filesystem::path path_;
};

// Writes `text` to `path` byte for byte, replacing what was there.
void WriteFile(const std::filesystem::path& path, const std::string& text);
// The file's bytes, or the empty text when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace orvex::test
