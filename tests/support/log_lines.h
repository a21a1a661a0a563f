#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvex::test {

// One line of the launcher's log, taken apart: "DATE TIME OFFSET EVENT key=value...".
struct LogLine {
  std::string date;    // 2026-12-10
  std::string time;    // 14:03:07.125
  std::string offset;  // +01:00
  std::string event;
  std::map<std::string, std::string> fields;  // values unquoted and unescaped
  bool wellFormed = false;                    // every part in its place
  std::string text;                           // the line as written

  bool Has(const std::string& key) const { return fields.count(key) != 0; }
  std::string Get(const std::string& key) const;
};

LogLine ParseLogLine(const std::string& text);
// Every line of the file (none when it is missing).
std::vector<LogLine> ReadLogLines(const std::filesystem::path& path);
// The lines of one event, in order.
std::vector<LogLine> EventsOf(const std::vector<LogLine>& lines, const std::string& event);
// The first line of the event whose fields hold all of `match`.
std::optional<LogLine> FindEvent(const std::vector<LogLine>& lines, const std::string& event,
                                 const std::map<std::string, std::string>& match = {});
// The log as text, for failure messages.
std::string DescribeLog(const std::vector<LogLine>& lines);

}  // namespace orvex::test
