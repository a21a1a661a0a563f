#pragma once

#include <string>
#include <string_view>

#include "net/ip_version.h"

namespace orvex {

// A URL split into its parts, purely textually: nothing is decoded or encoded.
class TNetURI {
 public:
  TNetURI() = default;
  explicit TNetURI(std::string_view text) {
    if (!text.empty()) Parse(text);
  }

  // Replaces every field from the text; never fails (odd text gives odd fields).
  void Parse(std::string_view text);
  // Raises ENetURIException when Protocol or Host is empty.
  std::string ComposeURI(bool withUserInfo, bool withBookmark) const;

  // The path of a request given the current directory path.
  static std::string MergePath(std::string_view currentPath, std::string_view newPath);
  // Last 1-based position where `sub` occurs (ignoring case) within the first `start`
  // characters of `text` (all of it when start is -1); 0 when none.
  static int ReverseFind(std::string_view sub, std::string_view text, int start = -1);

  std::string Protocol, Username, Password, Host, Port, Path, Document, Params, Bookmark;
  TNetIPVersion IPVersion = Net_IPv4;
  const std::string& URI() const { return uri_; }

 private:
  std::string uri_;
};

}  // namespace orvex
