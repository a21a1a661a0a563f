#include "core/ini_text.h"

#include <vector>

#include "core/text.h"

namespace orvex {

namespace {

struct Line {
  std::string_view body;  // without its line ending
  std::size_t begin = 0;  // offset of the line in the text
  std::size_t end = 0;    // offset just after its line ending
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t newline = text.find('\n', begin);
    std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string_view body =
        text.substr(begin, (newline == std::string_view::npos ? end : newline) - begin);
    if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
    lines.push_back({body, begin, end});
    begin = end;
  }
  return lines;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Names and values lose blanks and tabs at their ends only: the private-profile rule, narrower
// than the text helpers' trim of every control byte.
std::string_view TrimBlanksAndTabs(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The section name when the line opens a section.
std::optional<std::string_view> SectionOf(std::string_view body) {
  body = TrimBlanksAndTabs(body);
  if (body.empty() || body.front() != '[') return std::nullopt;
  std::size_t close = body.find(']');
  std::string_view name =
      body.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
  return TrimBlanksAndTabs(name);
}

struct Entry {
  std::string_view key;
  std::string_view value;
};

std::optional<Entry> EntryOf(std::string_view body) {
  std::string_view trimmed = TrimBlanksAndTabs(body);
  if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
  std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Entry{TrimBlanksAndTabs(trimmed.substr(0, equals)),
               TrimBlanksAndTabs(trimmed.substr(equals + 1))};
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

bool Writable(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
  section = TrimBlanksAndTabs(section);
  key = TrimBlanksAndTabs(key);
  bool inSection = false;
  bool sectionSeen = false;
  for (const Line& line : SplitLines(text)) {
    if (auto name = SectionOf(line.body)) {
      // Only the first section of that name counts.
      if (inSection) return std::nullopt;
      inSection = !sectionSeen && SameText(*name, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    if (auto entry = EntryOf(line.body); entry && SameText(entry->key, key)) {
      return Unquote(entry->value);
    }
  }
  return std::nullopt;
}

std::optional<std::string> SetIniValue(std::string_view text, std::string_view section,
                                       std::string_view key, std::string_view value) {
  section = TrimBlanksAndTabs(section);
  key = TrimBlanksAndTabs(key);
  // A key starting with ';' or '[' would read back as a comment or a section head.
  if (section.empty() || key.empty() || !Writable(section) || !Writable(key) || !Writable(value) ||
      section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
      key.front() == ';' || key.front() == '[') {
    return std::nullopt;
  }
  const std::vector<Line> lines = SplitLines(text);
  const std::string newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  const std::string entry = std::string(key) + "=" + std::string(value);

  bool inSection = false;
  bool sectionSeen = false;
  std::size_t insertAt = std::string_view::npos;  // just after the section's last entry
  for (const Line& line : lines) {
    if (auto name = SectionOf(line.body)) {
      if (inSection) break;
      inSection = !sectionSeen && SameText(*name, section);
      sectionSeen = sectionSeen || inSection;
      if (inSection) insertAt = line.end;
      continue;
    }
    if (!inSection) continue;
    if (auto found = EntryOf(line.body)) {
      if (SameText(found->key, key)) {
        std::string result(text.substr(0, line.begin));
        result += entry;
        result += text.substr(line.begin + line.body.size());
        return result;
      }
      insertAt = line.end;
    }
  }

  std::string result(text);
  if (!sectionSeen) {
    if (!result.empty() && result.back() != '\n') result += newline;
    result += "[" + std::string(section) + "]" + newline + entry + newline;
    return result;
  }
  std::string added = entry + newline;
  // The section's last line may lack its line ending at the end of the text.
  if (insertAt == text.size() && !text.empty() && text.back() != '\n') added = newline + entry;
  result.insert(insertAt, added);
  return result;
}

}  // namespace orvex
