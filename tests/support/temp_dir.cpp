#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

namespace orvex::test {

TempDir::TempDir(const std::string& tag) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    std::ostringstream name;
    name << tag << "-" << std::hex << random() << "-" << counter++;
    path_ = base / name.str();
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Dir() const {
  return (path_ / "").string();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace orvex::test
