#include "core/text.h"

#include <algorithm>
#include <limits>

#include "core/integer_rule.h"

namespace orvex {

namespace {

bool IsBlankOrControl(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string TrimLeft(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlankOrControl(text[begin])) ++begin;
  return std::string(text.substr(begin));
}

std::string TrimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) {
  return TrimLeft(TrimRight(text));
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), Upper);
  return result;
}

std::string LowerCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), Lower);
  return result;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool StartsText(std::string_view prefix, std::string_view text) {
  return text.size() >= prefix.size() && SameText(prefix, text.substr(0, prefix.size()));
}

std::size_t FindText(std::string_view text, std::string_view sub) {
  if (sub.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + sub.size() <= text.size(); ++i) {
    if (SameText(text.substr(i, sub.size()), sub)) return i;
  }
  return std::string_view::npos;
}

std::optional<std::int32_t> TryStrToInt32(std::string_view text) {
  std::int32_t value = 0;
  if (!TextToInteger(text, value)) return std::nullopt;
  return value;
}

std::int32_t StrToInt32Def(std::string_view text, std::int32_t fallback) {
  return TryStrToInt32(text).value_or(fallback);
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i >= text.size()) return std::nullopt;
  std::uint64_t value = 0;
  const std::uint64_t limit = std::uint64_t{std::numeric_limits<std::int64_t>::max()} + 1;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (value > (limit - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  if (!negative && value == limit) return std::nullopt;
  return negative ? static_cast<std::int64_t>(0 - value) : static_cast<std::int64_t>(value);
}

}  // namespace orvex
