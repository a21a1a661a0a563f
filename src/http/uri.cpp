#include "http/uri.h"

#include <algorithm>
#include <vector>

#include "core/text.h"
#include "http/http_exception.h"

namespace orvex {

namespace {

// Splits rest into directory (d characters), document and query. The query starts at the
// first "?", or without one at the first "=".
void SplitPath(const std::string& rest, std::string& directory, std::string& document,
               std::string& params) {
  std::size_t q = rest.find('?');
  if (q == std::string::npos) q = rest.find('=');
  std::size_t searchEnd = q == std::string::npos ? rest.size() : q;
  std::size_t slash = rest.rfind('/', searchEnd == 0 ? 0 : searchEnd - 1);
  if (searchEnd == 0) slash = std::string::npos;
  std::size_t d = slash == std::string::npos ? 0 : slash + 1;
  directory = rest.substr(0, d);
  if (q != std::string::npos) {
    document = rest.substr(d, q - d);
    params = rest.substr(q);
  } else {
    document = rest.substr(d);
  }
}

void SplitAt(std::string& text, char marker, std::string& after) {
  auto at = text.find(marker);
  if (at == std::string::npos) return;
  after = text.substr(at + 1);
  text.erase(at);
}

}  // namespace

void TNetURI::Parse(std::string_view text) {
  std::string rest(text);
  std::replace(rest.begin(), rest.end(), '\\', '/');
  uri_ = rest;
  Protocol.clear(), Username.clear(), Password.clear(), Host.clear(), Port.clear();
  Path.clear(), Document.clear(), Params.clear(), Bookmark.clear();
  IPVersion = Net_IPv4;

  auto scheme = rest.find("://");
  if (scheme != std::string::npos) {
    Protocol = rest.substr(0, scheme);
    rest.erase(0, scheme + 3);
    auto slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);

    if (auto at = authority.find('@'); at != std::string::npos) {
      std::string userInfo = authority.substr(0, at);
      authority.erase(0, at + 1);
      auto colon = userInfo.find(':');
      Username = userInfo.substr(0, colon);
      if (colon != std::string::npos) Password = userInfo.substr(colon + 1);
      if (Username.empty()) Password.clear();
    }

    auto open = authority.find('[');
    auto close = open == std::string::npos ? open : authority.find(']', open);
    if (close != std::string::npos) {
      Host = authority.substr(open + 1, close - open - 1);
      auto colon = authority.find(':', close);
      if (colon != std::string::npos) Port = authority.substr(colon + 1);
      IPVersion = Net_IPv6;
    } else {
      auto colon = authority.find(':');
      Host = authority.substr(0, colon);
      if (colon != std::string::npos) Port = authority.substr(colon + 1);
    }

    std::string directory;
    SplitPath(rest, directory, Document, Params);
    Path = "/" + directory;
    SplitAt(Document, '#', Bookmark);
  } else {
    SplitPath(rest, Path, Document, Params);
  }
  if (Bookmark.empty()) SplitAt(Params, '#', Bookmark);
}

std::string TNetURI::ComposeURI(bool withUserInfo, bool withBookmark) const {
  if (Protocol.empty()) throw ENetURIException("Protocol field is empty");
  std::string result = Protocol + "://";
  if (withUserInfo && !Username.empty()) {
    result += Username;
    if (!Password.empty()) result += ":" + Password;
    result += "@";
  }
  if (Host.empty()) throw ENetURIException("Host field is empty");
  result += Host;
  if (!Port.empty() && Port != "80") result += ":" + Port;
  result += Path + Document + Params;
  if (withBookmark && !Bookmark.empty()) result += "#" + Bookmark;
  return result;
}

std::string TNetURI::MergePath(std::string_view currentPath, std::string_view newPath) {
  if (!newPath.empty() && newPath.front() == '/') return std::string(newPath);
  // A relative path continues the current directory; "." and ".." segments are resolved
  // and never climb above the root.
  std::string joined(currentPath);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += newPath;
  bool rooted = !joined.empty() && joined.front() == '/';
  std::vector<std::string> segments;
  std::size_t begin = rooted ? 1 : 0;
  while (begin <= joined.size()) {
    auto end = joined.find('/', begin);
    if (end == std::string::npos) end = joined.size();
    std::string segment = joined.substr(begin, end - begin);
    bool last = end == joined.size();
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
      if (last) segments.emplace_back();
    } else if (segment == ".") {
      if (last) segments.emplace_back();
    } else if (!segment.empty() || last) {
      segments.push_back(segment);
    }
    begin = end + 1;
  }
  std::string result = rooted ? "/" : "";
  for (std::size_t i = 0; i < segments.size(); ++i) {
    result += segments[i];
    if (i + 1 < segments.size()) result += '/';
  }
  return result;
}

int TNetURI::ReverseFind(std::string_view sub, std::string_view text, int start) {
  int limit =
      start < 0 ? static_cast<int>(text.size()) : std::min(start, static_cast<int>(text.size()));
  int length = static_cast<int>(sub.size());
  if (length == 0) return 0;
  for (int p = limit - length; p >= 0; --p) {
    if (SameText(text.substr(static_cast<std::size_t>(p), sub.size()), sub)) return p + 1;
  }
  return 0;
}

}  // namespace orvex
