#include "http/cookie_manager.h"

#include <mutex>

#include "core/text.h"
#include "http/internet_date.h"

namespace orvex {

TNetCookieManager::~TNetCookieManager() {
  try {
    PurgeExpired();
  } catch (...) {
    // Nothing to do with a failure while the store goes away.
  }
}

void TNetCookieManager::AddServerCookie(std::string_view text, std::string_view host) {
  AcceptCookie(std::make_unique<TNetCookieRFC2109>(), text, host);
}

void TNetCookieManager::AddServerCookie2(std::string_view text, std::string_view host) {
  AcceptCookie(std::make_unique<TNetCookieRFC2965>(), text, host);
}

void TNetCookieManager::AcceptCookie(std::unique_ptr<TNetNetscapeCookie> cookie,
                                     std::string_view text, std::string_view host) {
  if (text.size() > kMaxCookieBytes) return;  // no real cookie is this long
  cookie->SetCookieText(text);
  if (cookie->Domain.empty()) cookie->Domain = host;
  if (!cookie->IsValidFor(host)) return;
  StoreCookie(std::move(cookie));
}

void TNetCookieManager::StoreCookie(std::unique_ptr<TNetNetscapeCookie> cookie) {
  std::unique_lock guard(lock_);
  Domain* domain = nullptr;
  for (Domain& entry : domains_) {
    if (SameText(entry.name, cookie->Domain)) {
      domain = &entry;
      break;
    }
  }
  if (domain) {
    for (auto& stored : domain->cookies) {
      if (SameText(stored->Name, cookie->Name)) {
        // The stored cookie keeps its place and takes over the new one's attributes.
        stored->SetCookieText(cookie->ServerText());
        stored->CookieSyntax = cookie->CookieSyntax;
        return;
      }
    }
    if (domain->cookies.size() >= kMaxCookiesPerDomain) {
      // The domain's oldest cookie makes room for its newest.
      domain->cookies.erase(domain->cookies.begin());
      --count_;
    }
  }
  if (count_ >= kMaxCookies) return;
  if (!domain) domain = &domains_.emplace_back(Domain{cookie->Domain, {}});
  domain->cookies.push_back(std::move(cookie));
  ++count_;
}

void TNetCookieManager::PurgeExpired() {
  TDateTime now = NowLocal();
  std::unique_lock guard(lock_);
  for (Domain& domain : domains_) {
    for (std::size_t i = domain.cookies.size(); i-- > 0;) {
      const std::string& expires = domain.cookies[i]->Expires;
      if (!expires.empty() && now > InternetDateToLocal(expires)) {
        domain.cookies.erase(domain.cookies.begin() + static_cast<std::ptrdiff_t>(i));
        --count_;
      }
    }
  }
  std::erase_if(domains_, [](const Domain& domain) { return domain.cookies.empty(); });
}

std::size_t TNetCookieManager::CookieCount() const {
  std::shared_lock guard(lock_);
  return count_;
}

std::string TNetCookieManager::BuildCookieHeader(const TNetURI& uri, bool secure) {
  PurgeExpired();
  std::vector<std::string> collected;
  {
    std::shared_lock guard(lock_);
    for (const Domain& domain : domains_) {
      if (uri.Host.find(domain.name) == std::string::npos) continue;
      for (auto it = domain.cookies.rbegin(); it != domain.cookies.rend(); ++it) {
        const TNetNetscapeCookie& cookie = **it;
        if (uri.Path.rfind(cookie.Path, 0) != 0) continue;
        if (cookie.Secure && !secure) continue;
        if (cookie.Value.empty()) continue;
        collected.push_back(cookie.ClientText());
      }
    }
  }
  std::string header;
  for (auto it = collected.rbegin(); it != collected.rend(); ++it) {
    if (!header.empty()) header += "; ";
    header += *it;
  }
  return header;
}

std::vector<std::string> TNetCookieManager::CookieNames(std::string_view domain) const {
  std::shared_lock guard(lock_);
  std::vector<std::string> names;
  for (const Domain& entry : domains_) {
    if (!SameText(entry.name, domain)) continue;
    for (const auto& cookie : entry.cookies) names.push_back(cookie->Name);
  }
  return names;
}

}  // namespace orvex
