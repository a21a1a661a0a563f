#include <gtest/gtest.h>

#include "http/cookie_manager.h"
#include "http/internet_date.h"
#include "http_fixture.h"
#include "support/expect_failure.h"

namespace orvex::test {
namespace {

// The cookie header the second request of the updater would carry.
std::string SecondRequestCookies(std::initializer_list<const char*> setCookies,
                                 const char* host = "h.example.com",
                                 const char* secondUrl = "http://h.example.com/d/app.jar.tmp") {
  TNetCookieManager manager;
  for (const char* text : setCookies) manager.AddServerCookie(text, host);
  return manager.BuildCookieHeader(TNetURI(secondUrl), false);
}

TEST(Cookies, WhichCookiesTheSecondRequestCarries) {
  struct Case {
    const char* name;
    std::initializer_list<const char*> cookies;
    const char* expected;
  } cases[] = {
      {"plain", {"sid=abc"}, "sid=abc"},
      {"path under the base", {"sid=abc; path=/d/"}, "sid=abc"},
      {"quoted path", {"sid=abc; path=\"/d/\""}, "sid=abc"},
      {"other path", {"sid=abc; path=/other/"}, ""},
      {"path of the first document", {"sid=abc; path=/d/version.txt"}, ""},
      {"secure", {"a=1; secure"}, ""},
      {"empty value", {"a="}, ""},
      {"max-age=0", {"a=1; max-age=0"}, ""},
      {"max-age ahead", {"a=1; max-age=3600"}, "a=1"},
      {"past expires, RFC 1123", {"a=1; expires=Sun, 06 Nov 1994 08:49:37 GMT"}, ""},
      {"past expires, RFC 850", {"a=1; expires=Sunday, 06-Nov-94 08:49:37 GMT"}, ""},
      {"past expires, asctime", {"a=1; expires=Sun Nov  6 08:49:37 1994"}, ""},
      {"future expires", {"a=1; expires=Fri, 01 Jan 2100 00:00:00 GMT"}, "a=1"},
      {"parent domain", {"a=1; domain=.example.com"}, "a=1"},
      {"foreign domain", {"a=1; domain=other.org"}, ""},
      {"two in order", {"a=1", "b=2"}, "a=1; b=2"},
      {"replaced in place", {"a=1", "b=2", "a=3"}, "a=3; b=2"},
      {"attribute with a blank before =", {"a=1; path =/other/"}, "a=1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SecondRequestCookies(c.cookies), c.expected) << c.name;
  }
}

TEST(Cookies, DottedAddressMustMatchExactly) {
  EXPECT_EQ(SecondRequestCookies({"a=1"}, "10.0.0.1", "http://10.0.0.1/d/x"), "a=1");
  EXPECT_EQ(SecondRequestCookies({"a=1; domain=0.0.1"}, "10.0.0.1", "http://10.0.0.1/d/x"), "");
}

TEST(Cookies, ExpiredCookiesArePurged) {
  TNetCookieManager manager;
  manager.AddServerCookie("a=1; max-age=0", "h");
  manager.AddServerCookie("b=2", "h");
  EXPECT_EQ(manager.CookieNames("h"), (std::vector<std::string>{"a", "b"}));
  manager.PurgeExpired();
  EXPECT_EQ(manager.CookieNames("h"), (std::vector<std::string>{"b"}));
}

TEST(Cookies, CookieParsing) {
  TNetCookieRFC2109 cookie;
  cookie.SetCookieText("n=v=w; Path=/p; DOMAIN=.x.org; Secure; Comment=c; Version=1");
  EXPECT_EQ(cookie.Name, "n");
  EXPECT_EQ(cookie.Value, "v=w");
  EXPECT_EQ(cookie.Path, "/p");
  EXPECT_EQ(cookie.Domain, ".x.org");
  EXPECT_TRUE(cookie.Secure);
  EXPECT_EQ(cookie.Comment, "c");
  EXPECT_EQ(cookie.Version, "1");
  EXPECT_EQ(cookie.CookieSyntax, TNetCookieSyntax::csNetscape);

  TNetCookieRFC2965 two;
  two.SetCookieText("p=3; Port=\"80, 8080\"; Discard");
  EXPECT_EQ(two.PortList, (std::vector<std::int32_t>{80, 8080}));
  EXPECT_TRUE(two.Discard);
  two.SetCookieText("p=3");
  EXPECT_EQ(two.PortList, (std::vector<std::int32_t>{80}));
}

TEST(Cookies, SecondRequestCarriesCookiesAsItsLastLine) {
  ScriptedServer server(
      Serve({Reply("200 OK\r\nSet-Cookie: a=1\r\nset-cookie: b=2", "7"), Reply("200 OK", "jar")}));
  auto client = MakeClient();
  TMemoryStream stream;
  client->Get(UrlOf(server, "/d/version.txt"), stream);
  client->Get(UrlOf(server, "/d/app.jar.tmp"), stream);
  std::string received = server.Received(0);
  auto second = received.find("GET /d/app.jar.tmp");
  ASSERT_NE(second, std::string::npos);
  const std::string tail = ")\r\nCookie: a=1; b=2\r\n\r\n";
  EXPECT_EQ(received.substr(received.size() - tail.size()), tail) << received;
  EXPECT_EQ(received.find("Cookie:"), received.rfind("Cookie:"));
  EXPECT_TRUE(client->OwnsCookieManager());
}

TEST(Cookies, CookiesOffMeansNoStore) {
  ScriptedServer server(Serve({Reply("200 OK\r\nSet-Cookie: a=1", "7"), Reply("200 OK", "j")}));
  auto client = MakeClient();
  client->AllowCookies = false;
  TMemoryStream stream;
  client->Get(UrlOf(server, "/d/version.txt"), stream);
  client->Get(UrlOf(server, "/d/app.jar.tmp"), stream);
  EXPECT_EQ(server.Received(0).find("Cookie:"), std::string::npos);
  EXPECT_EQ(client->CookieManager(), nullptr);
}

TEST(Cookies, BadPortListFailsTheRequest) {
  ScriptedServer server(Serve({Reply("200 OK\r\nSet-Cookie2: p=3; Port=\"80,abc\"", "7")}));
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_TRUE(test::FailsWith<ENetConvertError>(
      [&] { client->Get(UrlOf(server, "/d/version.txt"), stream); },
      "'abc' is not a valid integer value"));
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_FALSE(client->Connected());
}

}  // namespace
}  // namespace orvex::test
