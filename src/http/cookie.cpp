#include "http/cookie.h"

#include <cmath>
#include <unordered_map>

#include "core/text.h"
#include "http/http_exception.h"
#include "http/internet_date.h"

namespace orvex {

namespace {

std::vector<std::string> SplitParts(std::string_view text) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (true) {
    auto end = text.find(';', begin);
    if (end == std::string_view::npos) {
      std::string last = Trim(text.substr(begin));
      // A piece after the last ";" counts only when it holds something.
      if (!last.empty() || parts.empty()) parts.push_back(last);
      break;
    }
    parts.push_back(Trim(text.substr(begin, end - begin)));
    begin = end + 1;
  }
  return parts;
}

}  // namespace

std::string TNetNetscapeCookie::Attribute(const std::vector<std::string>& parts,
                                          std::string_view name) {
  for (const std::string& part : parts) {
    auto eq = part.find('=');
    if (eq != std::string::npos && SameText(std::string_view(part).substr(0, eq), name)) {
      return part.substr(eq + 1);
    }
  }
  return {};
}

bool TNetNetscapeCookie::HasFlag(const std::vector<std::string>& parts, std::string_view name) {
  for (const std::string& part : parts) {
    if (SameText(part, name)) return true;
  }
  return false;
}

void TNetNetscapeCookie::SetCookieText(std::string_view text) {
  if (text == cookieText_) return;
  cookieText_ = text;
  std::vector<std::string> parts = SplitParts(text);
  const std::string& first = parts.front();
  auto eq = first.find('=');
  Name = eq == std::string::npos ? std::string() : first.substr(0, eq);
  Value = eq == std::string::npos ? std::string() : first.substr(eq + 1);
  parts.erase(parts.begin());

  // Attribute names are upper-cased; a repeated attribute keeps its first value. The first
  // values are looked up by name in one pass, so the work grows with the text, not its square.
  std::unordered_map<std::string, std::string> firstValues;
  for (const std::string& part : parts) {
    auto at = part.find('=');
    if (at != std::string::npos)
      firstValues.try_emplace(UpperCase(part.substr(0, at)), part.substr(at + 1));
  }
  std::vector<std::string> attributes;
  attributes.reserve(parts.size());
  for (const std::string& part : parts) {
    auto at = part.find('=');
    if (at == std::string::npos) {
      attributes.push_back(UpperCase(part));
      continue;
    }
    std::string name = UpperCase(part.substr(0, at));
    attributes.push_back(name + "=" + firstValues[name]);
  }
  LoadAttributes(attributes);
}

void TNetNetscapeCookie::LoadAttributes(const std::vector<std::string>& parts) {
  Path = Attribute(parts, "PATH");
  if (Path.empty()) {
    Path = "/";
  } else {
    if (Path.front() == '"') Path.erase(0, 1);
    if (!Path.empty() && Path.back() == '"') Path.pop_back();
  }
  SetExpires(Attribute(parts, "EXPIRES"));
  Domain = Attribute(parts, "DOMAIN");
  Secure = HasFlag(parts, "SECURE");
}

std::string TNetNetscapeCookie::ServerText() const {
  std::string text;
  if (!Value.empty()) text = Name + "=" + Value;
  auto add = [&text](const char* name, const std::string& value) {
    if (!value.empty()) text += std::string("; ") + name + "=" + value;
  };
  add("path", Path);
  if (CookieSyntax == TNetCookieSyntax::csNetscape) add("expires", Expires);
  add("domain", Domain);
  if (Secure) text += "; secure";
  return text;
}

bool IsDottedIPv4(std::string_view host) {
  int parts = 0;
  std::size_t begin = 0;
  while (parts < 4) {
    auto end = host.find('.', begin);
    std::string_view piece =
        host.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
    if (piece.empty() || piece.size() > 3) return false;
    int value = 0;
    for (char c : piece) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    if (value > 255) return false;
    ++parts;
    if (parts == 4) return true;
    if (end == std::string_view::npos) return false;
    begin = end + 1;
  }
  return true;
}

bool TNetNetscapeCookie::IsValidFor(std::string_view host) const {
  if (IsDottedIPv4(host)) return Domain == host;
  if (host.empty() || host.front() != '.') {
    return Domain.size() <= host.size() && host.substr(host.size() - Domain.size()) == Domain;
  }
  auto dot = host.find('.');
  return SameText(Domain, host.substr(dot));
}

void TNetCookieRFC2109::SetExpires(std::string_view text) {
  if (!text.empty()) {
    try {
      double seconds = (InternetDateToLocal(text) - NowLocal()) * kSecondsPerDay;
      if (std::isfinite(seconds)) MaxAge = static_cast<std::int64_t>(std::trunc(seconds));
    } catch (const Exception&) {
      // An unreadable zone leaves the lifetime as it was.
    }
  }
  Expires = text;
}

void TNetCookieRFC2109::LoadAttributes(const std::vector<std::string>& parts) {
  TNetNetscapeCookie::LoadAttributes(parts);
  MaxAge = StrToInt32Def(Attribute(parts, "MAX-AGE"), -1);
  Version = Attribute(parts, "VERSION");
  Comment = Attribute(parts, "COMMENT");
  if (Expires.empty()) {
    CookieSyntax = TNetCookieSyntax::csNetscape;
    if (MaxAge >= 0) SetExpires(FormatHttpDate(NowUtc() + MaxAge / kSecondsPerDay));
  }
}

std::string TNetCookieRFC2109::ServerText() const {
  std::string text = TNetNetscapeCookie::ServerText();
  if (MaxAge >= 0 && Expires.empty()) text += "; max-age=" + std::to_string(MaxAge);
  if (!Comment.empty()) text += "; comment=" + Comment;
  if (!Version.empty()) text += "; version=" + Version;
  return text;
}

void TNetCookieRFC2965::LoadAttributes(const std::vector<std::string>& parts) {
  TNetCookieRFC2109::LoadAttributes(parts);
  CommentURL = Attribute(parts, "CommentURL");
  Discard = HasFlag(parts, "DISCARD");
  PortList.clear();
  std::string ports = Attribute(parts, "Port");
  if (ports.empty()) {
    PortList.push_back(80);
  } else if (ports.size() >= 2 && ports.front() == '"' && ports.back() == '"') {
    std::string list = ports.substr(1, ports.size() - 2);
    std::size_t begin = 0;
    while (begin < list.size()) {
      auto end = list.find_first_of(", ", begin);
      if (end == std::string::npos) end = list.size();
      std::string piece = list.substr(begin, end - begin);
      if (!piece.empty()) {
        auto number = TryStrToInt32(piece);
        if (!number) {
          throw ENetConvertError(FormatMessage(kTextInvalidInteger, piece));
        }
        PortList.push_back(*number);
      }
      begin = end + 1;
    }
    if (PortList.empty()) PortList.push_back(80);
  }
}

}  // namespace orvex
