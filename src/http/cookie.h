#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

enum class TNetCookieSyntax { csNetscape, csRFC2109, csRFC2965 };

// One cookie as a server set it. Setting CookieText parses a "Set-cookie" value.
class TNetNetscapeCookie {
 public:
  virtual ~TNetNetscapeCookie() = default;

  const std::string& CookieText() const { return cookieText_; }
  // Parses the text into the fields; nothing happens when it equals the current text.
  // A cookie's bad Port list raises ENetConvertError.
  void SetCookieText(std::string_view text);

  virtual std::string ServerText() const;
  virtual void SetExpires(std::string_view text) { Expires = text; }
  std::string ClientText() const { return Name + "=" + Value; }
  // Whether a cookie with this Domain may be set by `host`.
  virtual bool IsValidFor(std::string_view host) const;

  std::string Domain, Expires, Name, Path, Value;
  bool Secure = false;
  TNetCookieSyntax CookieSyntax = TNetCookieSyntax::csNetscape;

 protected:
  // `parts` are the attribute parts in their stored form (NAME=value or NAME).
  virtual void LoadAttributes(const std::vector<std::string>& parts);
  static std::string Attribute(const std::vector<std::string>& parts, std::string_view name);
  static bool HasFlag(const std::vector<std::string>& parts, std::string_view name);

 private:
  std::string cookieText_;
};

// A "Set-cookie" value.
class TNetCookieRFC2109 : public TNetNetscapeCookie {
 public:
  TNetCookieRFC2109() { CookieSyntax = TNetCookieSyntax::csRFC2109; }
  std::string ServerText() const override;
  void SetExpires(std::string_view text) override;

  std::int64_t MaxAge = -1;
  std::string Version, Comment;

 protected:
  void LoadAttributes(const std::vector<std::string>& parts) override;
};

// A "Set-cookie2" value.
class TNetCookieRFC2965 : public TNetCookieRFC2109 {
 public:
  TNetCookieRFC2965() { CookieSyntax = TNetCookieSyntax::csRFC2965; }

  std::string CommentURL;
  bool Discard = false;
  std::vector<std::int32_t> PortList;

 protected:
  void LoadAttributes(const std::vector<std::string>& parts) override;
};

// Whether the text is a dotted IPv4 address (four numbers 0..255; text after the fourth part
// is not looked at).
bool IsDottedIPv4(std::string_view host);

}  // namespace orvex
