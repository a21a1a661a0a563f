#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvex {

// Raw header lines "Name: value". Names compare without case; a line beginning with a blank or
// TAB continues the previous line's value (unfolded on reading); values written are folded at
// FoldLength.
class TNetHeaderList {
 public:
  explicit TNetHeaderList(int foldLength = 78) : foldLength_(foldLength) {}

  int FoldLength() const { return foldLength_; }
  void SetFoldLength(int length) { foldLength_ = length; }

  const std::vector<std::string>& Lines() const { return lines_; }
  std::size_t Count() const { return lines_.size(); }
  const std::string& operator[](std::size_t index) const { return lines_[index]; }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  void Assign(const TNetHeaderList& other) { lines_ = other.lines_; }
  bool Empty() const { return lines_.empty(); }

  // Name of line i: the text before its first ":" (empty without one).
  std::string NameOf(std::size_t index) const;
  // Value of line i, joined with its continuation lines and trimmed.
  std::string ValueOf(std::size_t index) const;
  int IndexOfName(std::string_view name) const;
  std::string Value(std::string_view name) const;
  // Writes "name: value" in place of the first line of that name (or at the end); an empty
  // value removes the line.
  void SetValue(std::string_view name, std::string_view value);
  // Appends the value of every line with that name, in order.
  void ExtractValues(std::string_view name, std::vector<std::string>& values) const;

  // The folded pieces of a line: the first as is, the others beginning with a blank.
  static std::vector<std::string> FoldLine(std::string_view line, int width);

 private:
  static bool IsContinuation(const std::string& line);
  void RemoveContinuations(std::size_t index);

  std::vector<std::string> lines_;
  int foldLength_;
};

}  // namespace orvex
