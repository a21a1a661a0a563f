// "Set-cookie" and "Set-cookie2" values: parsed by each cookie class and stored by the manager.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/exception.h"
#include "http/cookie.h"
#include "http/cookie_manager.h"
#include "http/uri.h"

namespace {

template <class Cookie>
void ParseAs(std::string_view text) {
  Cookie cookie;
  try {
    cookie.SetCookieText(text);
    (void)cookie.ServerText();
    (void)cookie.IsValidFor("www.example.com");
  } catch (const orvex::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  ParseAs<orvex::TNetNetscapeCookie>(text);
  ParseAs<orvex::TNetCookieRFC2109>(text);
  ParseAs<orvex::TNetCookieRFC2965>(text);
  (void)orvex::IsDottedIPv4(text);

  orvex::TNetCookieManager manager;
  try {
    manager.AddServerCookie(text, "www.example.com");
  } catch (const orvex::Exception&) {
  }
  try {
    manager.AddServerCookie2(text, "www.example.com");
  } catch (const orvex::Exception&) {
  }
  orvex::TNetURI uri("http://www.example.com/a/b.html");
  (void)manager.BuildCookieHeader(uri, false);
  manager.PurgeExpired();
  return 0;
}
