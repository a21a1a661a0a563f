#include <gtest/gtest.h>

#include <string>

#include "http/cookie_manager.h"
#include "http_fixture.h"
#include "support/reaper.h"

namespace orvex::test {
namespace {

TEST(CookieBounds, TheStoreIsCappedPerDomainInAllAndPerCookie) {
  struct Case {
    const char* name;
    int cookies;
    int hosts;  // cookies go round these hosts
    std::size_t stored;
  } cases[] = {
      {"a few cookies of one host are all kept", 20, 1, 20},
      {"a flood from one host keeps its newest", 100000, 1,
       TNetCookieManager::kMaxCookiesPerDomain},
      {"a flood over many hosts stops at the total", 100000, 1000, TNetCookieManager::kMaxCookies},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TNetCookieManager manager;
    for (int i = 0; i < c.cookies; ++i) {
      const std::string host = "h" + std::to_string(i % c.hosts) + ".example.com";
      manager.AddServerCookie("n" + std::to_string(i) + "=" + std::string(100, 'v'), host);
    }
    EXPECT_EQ(manager.CookieCount(), c.stored);
    if (c.hosts == 1) {
      auto names = manager.CookieNames("h0.example.com");
      ASSERT_EQ(names.size(), c.stored);
      EXPECT_EQ(names.back(), "n" + std::to_string(c.cookies - 1));
    }
  }
  // Replacing a stored name needs no room; a cookie longer than the cap is not stored.
  TNetCookieManager manager;
  for (int i = 0; i < 1000; ++i) manager.AddServerCookie("same=" + std::to_string(i), "h");
  manager.AddServerCookie("big=" + std::string(TNetCookieManager::kMaxCookieBytes, 'v'), "h");
  EXPECT_EQ(manager.CookieNames("h"), (std::vector<std::string>{"same"}));
  EXPECT_EQ(manager.BuildCookieHeader(TNetURI("http://h/"), false), "same=999");
}

TEST(CookieBounds, AHugeAttributeListIsReadInOnePass) {
  // 100000 attributes, repeated names among them: the first value of each name counts.
  std::string text = "n=v; Path=/first; Comment=c1";
  for (int i = 0; i < 100000; ++i) text += "; a" + std::to_string(i % 1000) + "=x; Path=/later";
  TNetCookieRFC2109 cookie;
  cookie.SetCookieText(text);
  EXPECT_EQ(cookie.Name, "n");
  EXPECT_EQ(cookie.Path, "/first");
  EXPECT_EQ(cookie.Comment, "c1");
}

TEST(CookieBounds, ASetCookieFloodThroughTheClientStaysBounded) {
  Reaper reaper;
  // Each reply carries as many Set-Cookie lines as the head allows, each a new name.
  std::string head = "200 OK";
  for (int i = 0; i < 200; ++i) head += "\r\nSet-Cookie: c" + std::to_string(i) + "=v";
  ScriptedServer server(Serve({Reply(head, "1"), Reply(head, "2")}));
  auto client = MakeClient();
  TMemoryStream stream;
  client->Get(UrlOf(server, "/a"), stream);
  client->Get(UrlOf(server, "/b"), stream);
  EXPECT_EQ(client->CookieManager()->CookieCount(), TNetCookieManager::kMaxCookiesPerDomain);
}

}  // namespace
}  // namespace orvex::test
