#include <cstdint>
#include <string_view>

#include "core/integer_rule.h"
#include "core/text.h"
#include "net/exceptions.h"
#include "net/stack.h"

namespace orvex {
namespace {

// Takes the text before the next dot (or all of it) off the front of rest.
std::string_view NextPiece(std::string_view& rest) {
  auto dot = rest.find('.');
  std::string_view piece = rest.substr(0, dot);
  rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
  return piece;
}

bool HexGroup(std::string_view text, std::uint32_t& group) {
  std::int32_t value;
  std::string prefixed = "$" + Trim(text);
  if (!TextToInteger(prefixed, value) || value < 0 || value > 0xFFFF) return false;
  group = static_cast<std::uint32_t>(value);
  return true;
}

bool DecimalByte(std::string_view text, std::uint32_t& value) {
  if (text.empty() || text.size() > 3) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value <= 255;
}

std::string Hex(std::uint32_t value, int width = 0) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
  return text;
}

}  // namespace

bool TNetStack::IsIPv4Literal(const std::string& text) {
  std::string_view rest = text;
  for (int i = 0; i < 4; ++i) {
    std::int32_t value;
    if (!TextToInteger(Trim(NextPiece(rest)), value)) value = -1;
    if (value < 0 || value > 255) return false;
  }
  return rest.empty();
}

std::string TNetStack::CanonicalIPv6(const std::string& input) {
  if (input.empty()) return {};
  std::string text = input;
  if (text.front() == ':') text.insert(text.begin(), '0');
  if (text.back() == ':') text.push_back('0');

  int colons = 0, dots = 0;
  std::size_t first_dot = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') continue;
    if (((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) && first_dot == std::string::npos)
      continue;
    if (c == ':') {
      if (++colons > 7 || first_dot != std::string::npos) return {};
    } else if (c == '.') {
      if (++dots > 3) return {};
      if (first_dot == std::string::npos) first_dot = i;
    } else {
      return {};
    }
  }
  bool with_ipv4 = dots == 3;
  if (dots != 0 && !with_ipv4) return {};
  if (with_ipv4 ? (colons < 2 || colons > 6) : (colons < 2)) return {};

  // Groups separated by colons; the last one is the IPv4 part when there are dots.
  std::vector<std::string_view> parts;
  std::string_view rest = text;
  for (;;) {
    auto colon = rest.find(':');
    parts.push_back(rest.substr(0, colon));
    if (colon == std::string_view::npos) break;
    rest = rest.substr(colon + 1);
  }
  // The groups a full address has before the end: 8, or 6 in front of an IPv4 part.
  const int hex_groups = with_ipv4 ? 6 : 8;
  const int explicit_groups = static_cast<int>(parts.size()) - (with_ipv4 ? 1 : 0);
  std::string out;
  bool compressed = false;
  for (int i = 0; i < explicit_groups; ++i) {
    std::string_view part = parts[static_cast<std::size_t>(i)];
    if (part.empty() && i > 0 && i < static_cast<int>(parts.size()) - 1) {
      if (compressed) return {};
      compressed = true;
      // The empty slot stands for the missing groups (at least one).
      int zeros = hex_groups - (explicit_groups - 1);
      if (zeros < 1) return {};
      for (int z = 0; z < zeros; ++z) out += "0:";
      continue;
    }
    std::uint32_t group;
    if (!HexGroup(part, group)) return {};
    out += Hex(group) + ":";
  }
  if (!compressed && explicit_groups != hex_groups) return {};
  if (with_ipv4) {
    std::string_view v4 = parts.back();
    std::uint32_t bytes[4];
    for (auto& byte : bytes)
      if (!DecimalByte(NextPiece(v4), byte)) return {};
    out += Hex(bytes[0], 2) + Hex(bytes[1], 2) + ":" + Hex(bytes[2], 2) + Hex(bytes[3], 2) + ":";
  }
  out.pop_back();
  return out;
}

std::vector<std::uint8_t> TNetStack::TextToAddress(const std::string& text, TNetIPVersion version) {
  if (version == Net_IPv4) {
    std::vector<std::uint8_t> address;
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
      std::string piece = Trim(NextPiece(rest));
      std::int32_t value;
      if (!TextToInteger(piece, value))
        throw ENetConvertError(FormatMessage(kTextInvalidInteger, piece));
      if (value < 0 || value > 255) throw ENetException("Range check error");
      address.push_back(static_cast<std::uint8_t>(value));
    }
    return address;
  }
  if (version != Net_IPv6) throw ENetIPVersionUnsupported(kTextIPVersionUnsupported);
  std::string canonical = CanonicalIPv6(text);
  if (canonical.empty()) throw ENetInvalidIPv6Address(FormatMessage(kTextInvalidIPv6Address, text));
  std::vector<std::uint8_t> address(16, 0);
  std::string_view rest = canonical;
  for (int i = 0; i < 8 && !rest.empty(); ++i) {
    auto colon = rest.find(':');
    std::uint32_t group = 0;
    HexGroup(rest.substr(0, colon), group);
    address[static_cast<std::size_t>(i) * 2] = static_cast<std::uint8_t>(group >> 8);
    address[static_cast<std::size_t>(i) * 2 + 1] = static_cast<std::uint8_t>(group & 0xFF);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
  }
  return address;
}

std::string TNetStack::AddressToText(std::span<const std::uint8_t> address, TNetIPVersion version) {
  std::string text;
  if (version == Net_IPv4) {
    for (std::size_t i = 0; i < 4 && i < address.size(); ++i)
      text += (i ? "." : "") + std::to_string(address[i]);
    return text;
  }
  for (std::size_t i = 0; i + 1 < address.size() && i < 16; i += 2)
    text += (i ? ":" : "") + Hex(static_cast<std::uint32_t>(address[i] << 8 | address[i + 1]));
  return text;
}

std::string TNetStack::ResolveHost(const std::string& host, TNetIPVersion version) {
  if (version == Net_IPv4) {
    if (SameText(host, "localhost")) return "127.0.0.1";
    if (IsIPv4Literal(host)) return host;
    return HostByName(host, Net_IPv4);
  }
  std::string canonical = CanonicalIPv6(host);
  if (!canonical.empty()) return canonical;
  return HostByName(host, Net_IPv6);
}

std::string TNetStack::HostByName(const std::string& name, TNetIPVersion version) {
  platform::SocketAddress address;
  auto family = version == Net_IPv4 ? platform::AddressFamily::IPv4 : platform::AddressFamily::IPv6;
  int code = platform::LookupHost(name, family, address);
  if (code != 0) RaiseSocketError(code);
  return AddressToText(std::span<const std::uint8_t>(address.bytes, version == Net_IPv4 ? 4 : 16),
                       version);
}

}  // namespace orvex
