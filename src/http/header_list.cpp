#include "http/header_list.h"

#include "core/text.h"

namespace orvex {

bool TNetHeaderList::IsContinuation(const std::string& line) {
  return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

std::string TNetHeaderList::NameOf(std::size_t index) const {
  const std::string& line = lines_[index];
  auto colon = line.find(':');
  return colon == std::string::npos ? std::string() : line.substr(0, colon);
}

std::string TNetHeaderList::ValueOf(std::size_t index) const {
  const std::string& line = lines_[index];
  auto colon = line.find(':');
  std::string value = colon == std::string::npos ? line : line.substr(colon + 1);
  for (std::size_t next = index + 1; next < lines_.size() && IsContinuation(lines_[next]); ++next) {
    value = Trim(value) + " " + Trim(lines_[next]);
  }
  return Trim(value);
}

int TNetHeaderList::IndexOfName(std::string_view name) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (IsContinuation(lines_[i])) continue;
    if (SameText(NameOf(i), name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TNetHeaderList::Value(std::string_view name) const {
  int index = IndexOfName(name);
  return index < 0 ? std::string() : ValueOf(static_cast<std::size_t>(index));
}

void TNetHeaderList::RemoveContinuations(std::size_t index) {
  std::size_t end = index + 1;
  while (end < lines_.size() && IsContinuation(lines_[end])) ++end;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index + 1),
               lines_.begin() + static_cast<std::ptrdiff_t>(end));
}

void TNetHeaderList::SetValue(std::string_view name, std::string_view value) {
  int found = IndexOfName(name);
  if (value.empty()) {
    if (found >= 0) {
      RemoveContinuations(static_cast<std::size_t>(found));
      lines_.erase(lines_.begin() + found);
    }
    return;
  }
  std::size_t index;
  if (found < 0) {
    lines_.emplace_back();
    index = lines_.size() - 1;
  } else {
    index = static_cast<std::size_t>(found);
    RemoveContinuations(index);
  }
  std::string line = std::string(name) + ": " + std::string(value);
  auto pieces = FoldLine(line, foldLength_);
  lines_[index] = pieces.front();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index + 1), pieces.begin() + 1,
                pieces.end());
}

void TNetHeaderList::ExtractValues(std::string_view name, std::vector<std::string>& values) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (IsContinuation(lines_[i])) continue;
    if (SameText(NameOf(i), name)) values.push_back(ValueOf(i));
  }
}

std::vector<std::string> TNetHeaderList::FoldLine(std::string_view line, int width) {
  std::vector<std::string> pieces;
  std::string rest(line);
  const std::size_t limit = width > 0 ? static_cast<std::size_t>(width) : rest.size();
  while (rest.size() > limit) {
    // The last blank, TAB or comma outside double quotes that keeps the piece within the width.
    std::size_t breakAt = std::string::npos;
    bool quoted = false;
    for (std::size_t i = 1; i < rest.size() && i < limit; ++i) {
      char c = rest[i];
      if (c == '"') quoted = !quoted;
      if (!quoted && (c == ' ' || c == '\t' || c == ',')) breakAt = i;
    }
    if (breakAt == std::string::npos) break;  // no break point: the line is not broken
    pieces.push_back(TrimRight(rest.substr(0, breakAt + 1)));
    rest = " " + TrimLeft(rest.substr(breakAt + 1));
  }
  pieces.push_back(TrimRight(rest));
  return pieces;
}

}  // namespace orvex
