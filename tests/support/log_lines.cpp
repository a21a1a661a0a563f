#include "support/log_lines.h"

#include <cctype>
#include <fstream>
#include <regex>

namespace orvex::test {

namespace {

// Reads one value at `at`: bare up to a blank, or quoted with C escapes.
bool ReadValue(const std::string& text, std::size_t& at, std::string& value) {
  value.clear();
  if (at < text.size() && text[at] == '"') {
    for (++at; at < text.size(); ++at) {
      char c = text[at];
      if (c == '"') {
        ++at;
        return true;
      }
      if (c != '\\') {
        value += c;
        continue;
      }
      if (++at >= text.size()) return false;
      switch (text[at]) {
        case 'r':
          value += '\r';
          break;
        case 'n':
          value += '\n';
          break;
        case 't':
          value += '\t';
          break;
        case '"':
          value += '"';
          break;
        case '\\':
          value += '\\';
          break;
        case 'x':
          if (at + 2 >= text.size()) return false;
          value += static_cast<char>(std::stoi(text.substr(at + 1, 2), nullptr, 16));
          at += 2;
          break;
        default:
          return false;
      }
    }
    return false;
  }
  const std::size_t end = text.find(' ', at);
  value = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  at = end == std::string::npos ? text.size() : end;
  return !value.empty();
}

}  // namespace

std::string LogLine::Get(const std::string& key) const {
  auto found = fields.find(key);
  return found == fields.end() ? std::string("<missing>") : found->second;
}

LogLine ParseLogLine(const std::string& text) {
  LogLine line;
  line.text = text;
  static const std::regex head(
      R"(^(\d{4}-\d{2}-\d{2}) (\d{2}:\d{2}:\d{2}\.\d{3}) ([+-]\d{2}:\d{2}) ([a-z.]+)( |$))");
  std::smatch match;
  if (!std::regex_search(text, match, head)) return line;
  line.date = match[1];
  line.time = match[2];
  line.offset = match[3];
  line.event = match[4];
  std::size_t at = static_cast<std::size_t>(match.length(0));
  while (at < text.size()) {
    const std::size_t equals = text.find('=', at);
    if (equals == std::string::npos || equals == at) return line;
    const std::string key = text.substr(at, equals - at);
    if (key.find(' ') != std::string::npos) return line;
    at = equals + 1;
    std::string value;
    if (!ReadValue(text, at, value)) return line;
    line.fields[key] = value;
    if (at < text.size()) {
      if (text[at] != ' ') return line;
      ++at;
    }
  }
  line.wellFormed = true;
  return line;
}

std::vector<LogLine> ReadLogLines(const std::filesystem::path& path) {
  std::vector<LogLine> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string text; std::getline(in, text);) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    lines.push_back(ParseLogLine(text));
  }
  return lines;
}

std::vector<LogLine> EventsOf(const std::vector<LogLine>& lines, const std::string& event) {
  std::vector<LogLine> found;
  for (const LogLine& line : lines) {
    if (line.event == event) found.push_back(line);
  }
  return found;
}

std::optional<LogLine> FindEvent(const std::vector<LogLine>& lines, const std::string& event,
                                 const std::map<std::string, std::string>& match) {
  for (const LogLine& line : lines) {
    if (line.event != event) continue;
    bool all = true;
    for (const auto& [key, value] : match) all = all && line.Has(key) && line.Get(key) == value;
    if (all) return line;
  }
  return std::nullopt;
}

std::string DescribeLog(const std::vector<LogLine>& lines) {
  std::string text = "log:\n";
  for (const LogLine& line : lines) text += "  " + line.text + "\n";
  return text;
}

}  // namespace orvex::test
