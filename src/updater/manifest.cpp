#include "updater/manifest.h"

#include <limits>

#include "core/exception.h"
#include "updater/version_text.h"

namespace orvex {

namespace {

constexpr std::size_t kSha256HexDigits = 64;
// A line is shown in an error text only up to this length.
constexpr std::size_t kShownLine = 80;

[[noreturn]] void Malformed(std::string_view line) {
  std::string shown(line.substr(0, kShownLine));
  if (line.size() > kShownLine) shown += "...";
  throw Exception(FormatMessage("Manifest line '%s' is malformed", shown));
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decimal digits only (no sign, no blanks), within a signed 64-bit size.
bool ReadSize(std::string_view digits, std::int64_t& size) {
  if (digits.empty()) return false;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    const int digit = c - '0';
    if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return false;
    value = value * 10 + digit;
  }
  size = value;
  return true;
}

bool ReadDigest(std::string_view hex, std::string& digest) {
  if (hex.size() != kSha256HexDigits) return false;
  std::string lower;
  for (char c : hex) {
    const int value = HexValue(c);
    if (value < 0) return false;
    lower += "0123456789abcdef"[value];
  }
  digest = lower;
  return true;
}

}  // namespace

Manifest ParseManifest(std::string_view text) {
  Manifest manifest;
  manifest.version = ParseVersionText(text);
  text = text.substr(0, text.find('\0'));
  bool first = true;
  bool sawSize = false;
  bool sawDigest = false;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (end == std::string_view::npos) {
      text = {};
    } else {
      // CR LF is one line end.
      const std::size_t next =
          text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
      text.remove_prefix(next);
    }
    if (first) {  // the version, read above
      first = false;
      continue;
    }
    if (line.starts_with("size=")) {
      if (sawSize || !ReadSize(line.substr(5), manifest.size)) Malformed(line);
      sawSize = true;
    } else if (line.starts_with("sha256=")) {
      if (sawDigest || !ReadDigest(line.substr(7), manifest.sha256)) Malformed(line);
      sawDigest = true;
    }
  }
  return manifest;
}

std::string HexText(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    text += "0123456789abcdef"[bytes[i] >> 4];
    text += "0123456789abcdef"[bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace orvex
