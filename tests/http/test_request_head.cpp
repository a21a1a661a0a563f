#include <gtest/gtest.h>

#include "http_fixture.h"
#include "support/expect_failure.h"

namespace orvex::test {
namespace {

constexpr const char* kTail =
    "Accept: text/html, */*\r\n"
    "Accept-Encoding: identity\r\n"
    "User-Agent: Mozilla/3.0 (compatible; Orvex Updater)\r\n";

TEST(RequestHead, TheUpdatersTwoRequestsByteForByte) {
  ScriptedServer server(
      Serve({"HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc\r\nContent-Length: 2\r\n"
             "\r\n7\n",
             Reply("200 OK", "JAR")}));
  auto client = MakeClient();
  TMemoryStream version, jar;
  client->Get(UrlOf(server, "/d/version.txt"), version);
  client->Get(UrlOf(server, "/d/my app.jar.tmp#frag"), jar);
  EXPECT_EQ(version.Text(), "7\n");
  EXPECT_EQ(jar.Text(), "JAR");
  std::string host = "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
  EXPECT_EQ(server.Received(0), "GET /d/version.txt HTTP/1.1\r\n" + host + kTail + "\r\n" +
                                    "GET /d/my app.jar.tmp HTTP/1.1\r\n" + host + kTail +
                                    "Cookie: sid=abc\r\n\r\n");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(RequestHead, RootTargetAndQuery) {
  ScriptedServer server(Serve({Reply("200 OK", "a"), Reply("200 OK", "b")}));
  auto client = MakeClient();
  TMemoryStream first, second;
  client->Get(UrlOf(server, ""), first);
  client->Get(UrlOf(server, "/a?x=1#top"), second);
  std::string received = server.Received(0);
  EXPECT_EQ(received.rfind("GET / HTTP/1.1\r\n", 0), 0u) << received;
  EXPECT_NE(received.find("\r\n\r\nGET /a?x=1 HTTP/1.1\r\n"), std::string::npos) << received;
}

TEST(RequestHead, TargetHostAndPortFromTheUrl) {
  struct Case {
    const char* url;
    const char* target;
    const char* hostHeader;
  } cases[] = {
      {"http://H/d/version.txt", "/d/version.txt", "H"},
      {"http://H", "/", "H"},
      {"HTTP://H:80/x", "/x", "H"},
      {"http://H:8080/x", "/x", "H:8080"},
      {"http://H:080/x", "/x", "H:080"},
      {"http://H/a?x=1#top", "/a?x=1", "H"},
      {"http://H/my app.jar.tmp", "/my app.jar.tmp", "H"},
      {"http://[::1]:8080/x", "/x", "[::1]:8080"},
      // https leaves out its own default port, 443, and keeps any other.
      {"https://H/x", "/x", "H"},
      {"HTTPS://H:443/x", "/x", "H"},
      {"https://H:8443/x", "/x", "H:8443"},
      {"https://H:80/x", "/x", "H:80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    TNetHTTP client(nullptr);
    client.Request().Method = "GET";
    client.ResolveTarget(c.url);
    EXPECT_EQ(client.Request().Target, c.target);
    EXPECT_EQ(client.Request().Host, c.hostHeader);
    EXPECT_EQ(client.Request().ContentLength(), -1);
  }
}

TEST(RequestHead, LaterUrlsKeepHostAndPort) {
  TNetHTTP client(nullptr);
  client.Request().Method = "GET";
  client.ResolveTarget("http://H:8080/d/a.txt");
  client.ResolveTarget("/e/b.txt");
  EXPECT_EQ(client.Request().Target, "/e/b.txt");
  EXPECT_EQ(client.Request().Host, "H:8080");
}

TEST(RequestHead, RefusedUrlsSendNothing) {
  ScriptedServer server(Serve({Reply("200 OK", "x")}));
  TMemoryStream stream;
  auto fresh = MakeClient();
  EXPECT_TRUE(test::FailsWith<ENetUnknownProtocol>([&] { fresh->Get("ftp://127.0.0.1/x", stream); },
                                                   "Unknown Protocol"));
  EXPECT_THROW(fresh->Get("version.txt", stream), ENetUnknownProtocol);
  EXPECT_EQ(server.Accepted(), 0);
  EXPECT_EQ(stream.Size(), 0);
}

}  // namespace
}  // namespace orvex::test
