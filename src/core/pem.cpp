#include "core/pem.h"

#include <string>

namespace orvex {

namespace {

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& out) {
  out.clear();
  std::uint32_t group = 0;
  int filled = 0;   // sextets in the current group
  int padding = 0;  // '=' seen; only whole groups may follow none
  for (char c : text) {
    if (IsBlank(c)) continue;
    if (c == '=') {
      // Padding only completes a group of two or three sextets.
      if (filled < 2 || filled + padding >= 4) return false;
      ++padding;
      if (filled + padding == 4) {
        if (filled == 2) {
          if (group & 0xF) return false;  // bits that belong to no byte
          out.push_back(static_cast<std::uint8_t>(group >> 4));
        } else {
          if (group & 0x3) return false;
          out.push_back(static_cast<std::uint8_t>(group >> 10));
          out.push_back(static_cast<std::uint8_t>(group >> 2));
        }
        group = 0;
        filled = 0;
        padding = -1;  // marks the end: nothing but blanks may follow
      }
      continue;
    }
    if (padding != 0) return false;
    int value = Base64Value(c);
    if (value < 0) return false;
    group = (group << 6) | static_cast<std::uint32_t>(value);
    if (++filled == 4) {
      out.push_back(static_cast<std::uint8_t>(group >> 16));
      out.push_back(static_cast<std::uint8_t>(group >> 8));
      out.push_back(static_cast<std::uint8_t>(group));
      group = 0;
      filled = 0;
    }
  }
  // A group left open (without its padding) or padding cut short is not base64.
  return filled == 0 && padding <= 0;
}

std::vector<std::vector<std::uint8_t>> DecodePemBlocks(std::string_view text,
                                                       std::string_view label) {
  std::vector<std::vector<std::uint8_t>> blocks;
  const std::string begin = "-----BEGIN " + std::string(label) + "-----";
  const std::string end = "-----END " + std::string(label) + "-----";
  std::size_t at = 0;
  while (blocks.size() < kMaxPemBlocks) {
    std::size_t start = text.find(begin, at);
    if (start == std::string_view::npos) break;
    std::size_t body = start + begin.size();
    std::size_t stop = text.find(end, body);
    if (stop == std::string_view::npos) break;  // no end line: the rest is no whole block
    at = stop + end.size();
    std::string_view encoded = text.substr(body, stop - body);
    // Four characters give three bytes, line ends aside: a body this long cannot fit the cap.
    if (encoded.size() > 2 * kMaxPemBlockBytes) continue;
    std::vector<std::uint8_t> der;
    if (!DecodeBase64(encoded, der) || der.empty() || der.size() > kMaxPemBlockBytes) continue;
    blocks.push_back(std::move(der));
  }
  return blocks;
}

}  // namespace orvex
