#pragma once

#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "http/cookie.h"
#include "http/uri.h"

namespace orvex {

// The client's in-memory cookie store: cookies grouped by domain, in the order first stored.
// Several readers or one writer at a time. A server cannot make it grow without end: a cookie's
// text is capped, a domain keeps its newest cookies, and a full store takes no new names.
class TNetCookieManager {
 public:
  static constexpr std::size_t kMaxCookieBytes = 4096;
  static constexpr std::size_t kMaxCookiesPerDomain = 50;
  static constexpr std::size_t kMaxCookies = 300;

  TNetCookieManager() = default;
  ~TNetCookieManager();
  TNetCookieManager(const TNetCookieManager&) = delete;
  TNetCookieManager& operator=(const TNetCookieManager&) = delete;

  // A "Set-cookie" / "Set-cookie2" value received from host.
  void AddServerCookie(std::string_view text, std::string_view host);
  void AddServerCookie2(std::string_view text, std::string_view host);
  // The value for a "Cookie" header for the URL's host and directory; empty when none applies.
  std::string BuildCookieHeader(const TNetURI& uri, bool secure);
  void PurgeExpired();

  // The stored cookies of a domain, in stored order (for tests and diagnostics).
  std::vector<std::string> CookieNames(std::string_view domain) const;
  // All stored cookies.
  std::size_t CookieCount() const;

 private:
  struct Domain {
    std::string name;
    std::vector<std::unique_ptr<TNetNetscapeCookie>> cookies;
  };

  void AcceptCookie(std::unique_ptr<TNetNetscapeCookie> cookie, std::string_view text,
                    std::string_view host);
  void StoreCookie(std::unique_ptr<TNetNetscapeCookie> cookie);

  mutable std::shared_mutex lock_;
  std::vector<Domain> domains_;
  std::size_t count_ = 0;
};

}  // namespace orvex
