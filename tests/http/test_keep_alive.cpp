#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "http_fixture.h"

namespace orvex::test {
namespace {

TEST(KeepAlive, TheHeadDecides) {
  struct Case {
    const char* headers;  // header lines of a 200 response
    bool kept11;          // for an HTTP/1.1 client
    bool kept10;          // for an HTTP/1.0 client
  } cases[] = {
      {"", true, false},
      {"Connection: close\r\n", false, false},
      {"Connection: CLOSE\r\n", false, false},
      {"Connection:   Close  \r\n", false, false},
      {"Connection: \tclose\r\n", false, false},
      {"Connection: keep-alive\r\n", true, true},
      {"Connection: Keep-Alive\r\n", true, true},
      {"Connection: keep-alive, close\r\n", true, false},
      {"Proxy-Connection: close\r\n", false, false},
      {"Proxy-Connection: keep-alive\r\n", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.headers);
    for (TNetHTTPProtocolVersion version : {pv1_1, pv1_0}) {
      TNetMemorySource source(std::string("HTTP/1.1 200 OK\r\n") + c.headers +
                              "Content-Length: 1\r\n\r\nx");
      TNetHTTP client(nullptr);
      client.ProtocolVersion = version;
      TMemoryStream stream;
      ReadReply(client, source, stream);
      EXPECT_EQ(client.Response().HeadAllowsKeepAlive(), version == pv1_1 ? c.kept11 : c.kept10);
    }
  }
}

TEST(KeepAlive, TheConnectionFollowsTheResponse) {
  struct Case {
    const char* name;
    std::string response;
    bool kept;
  } cases[] = {
      {"framed", Reply("200 OK", "x"), true},
      {"Connection: close", Reply("200 OK\r\nConnection: close", "x"), false},
      {"body until the server closes", "HTTP/1.1 200 OK\r\n\r\nx", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(c.kept ? Serve({c.response})
                                 : ServerScript{ServerStep::ReadBlankLine(),
                                                ServerStep::Send(c.response), ServerStep::Close()});
    auto client = MakeClient();
    TMemoryStream stream;
    client->Get(UrlOf(server, "/a"), stream);
    EXPECT_EQ(stream.Text(), "x");
    EXPECT_EQ(client->Connected(), c.kept);
  }
}

TEST(KeepAlive, KeptConnectionServesTheSecondRequest) {
  ScriptedServer server(Serve({Reply("200 OK", "7\n"), Reply("200 OK", "jar")}));
  auto client = MakeClient();
  TMemoryStream version, jar;
  client->Get(UrlOf(server, "/version.txt"), version);
  client->Get(UrlOf(server, "/app.jar.tmp"), jar);
  EXPECT_EQ(jar.Text(), "jar");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(KeepAlive, ClosedConnectionIsReplaced) {
  // Closed on request: the second call connects anew.
  ScriptedServer server({ServerScript{ServerStep::ReadBlankLine(),
                                      ServerStep::Send(Reply("200 OK\r\nConnection: close", "1")),
                                      ServerStep::Close()},
                         Serve({Reply("200 OK", "2")})});
  auto client = MakeClient();
  TMemoryStream first, second;
  client->Get(UrlOf(server, "/a"), first);
  client->Get(UrlOf(server, "/b"), second);
  EXPECT_EQ(second.Text(), "2");
  EXPECT_EQ(server.Accepted(), 2);
}

TEST(KeepAlive, CloseBeforeTheSecondRequestIsNoticed) {
  // An HTTP/1.0 server that closes after a counted body, without saying so.
  ScriptedServer server({ServerScript{ServerStep::ReadBlankLine(),
                                      ServerStep::Send("HTTP/1.0 200 OK\r\nContent-Length: 1\r\n"
                                                       "\r\n1"),
                                      ServerStep::Close()},
                         Serve({Reply("200 OK", "2")})});
  auto client = MakeClient();
  TMemoryStream first, second;
  client->Get(UrlOf(server, "/a"), first);
  ASSERT_TRUE(server.WaitDone(0));
  // Give the close time to reach the client's socket.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  client->Get(UrlOf(server, "/b"), second);
  EXPECT_EQ(second.Text(), "2");
  EXPECT_EQ(server.Accepted(), 2);
}

TEST(KeepAlive, ResetWhileIdleLeadsToANewConnection) {
  ScriptedServer server({ServerScript{ServerStep::ReadBlankLine(),
                                      ServerStep::Send(Reply("200 OK", "1")), ServerStep::Reset()},
                         Serve({Reply("200 OK", "2")})});
  auto client = MakeClient();
  TMemoryStream first, second;
  client->Get(UrlOf(server, "/a"), first);
  ASSERT_TRUE(server.WaitDone(0));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  client->Get(UrlOf(server, "/b"), second);
  EXPECT_EQ(second.Text(), "2");
  EXPECT_EQ(server.Accepted(), 2);
}

TEST(KeepAlive, AKeptConnectionEndedUnansweredGetsTheRequestOnceMoreOnANewOne) {
  // The server ended the kept connection right after its reply without saying so; the request
  // went out on it and nothing came back. It goes once more, on a new connection.
  for (ServerStep end : {ServerStep::Close(), ServerStep::Reset()}) {
    SCOPED_TRACE(end.kind);
    ScriptedServer server(
        {ServerScript{ServerStep::ReadBlankLine(), ServerStep::Send(Reply("200 OK", "1")),
                      ServerStep::ReadBlankLine(), end},
         Serve({Reply("200 OK", "2")})});
    auto client = MakeClient();
    TMemoryStream first, second;
    client->Get(UrlOf(server, "/a"), first);
    client->Get(UrlOf(server, "/b"), second);
    EXPECT_EQ(second.Text(), "2");
    EXPECT_EQ(server.Accepted(), 2);
    EXPECT_NE(server.Received(1).find("GET /b HTTP/1.1"), std::string::npos);
  }
}

TEST(KeepAlive, ARequestIsSentAgainOnlyOnceAndOnlyWhenNothingCame) {
  struct Case {
    const char* name;
    std::vector<ServerScript> scripts;
    int accepted;
  };
  const ServerScript answerOnce{ServerStep::ReadBlankLine(), ServerStep::Send(Reply("200 OK", "1")),
                                ServerStep::ReadBlankLine(), ServerStep::Close()};
  const ServerScript unanswered{ServerStep::ReadBlankLine(), ServerStep::Close()};
  const Case cases[] = {
      // The new connection ends unanswered too: no third try.
      {"the second try fails as well", {answerOnce, unanswered}, 2},
      // Part of a reply came: the server did see the request.
      {"part of a status line came",
       {ServerScript{ServerStep::ReadBlankLine(), ServerStep::Send(Reply("200 OK", "1")),
                     ServerStep::ReadBlankLine(), ServerStep::Send("HTTP/1.1 2"),
                     ServerStep::Close()},
        Serve({Reply("200 OK", "2")})},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(c.scripts);
    auto client = MakeClient();
    TMemoryStream first, second;
    client->Get(UrlOf(server, "/a"), first);
    EXPECT_THROW(client->Get(UrlOf(server, "/b"), second), ENetConnClosedGracefully);
    EXPECT_EQ(server.Accepted(), c.accepted);
    EXPECT_FALSE(client->Connected());
  }
  // A fresh connection that ends unanswered is not tried again.
  ScriptedServer server({ServerScript{ServerStep::ReadBlankLine(), ServerStep::Close()},
                         Serve({Reply("200 OK", "2")})});
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/a"), stream), ENetConnClosedGracefully);
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(KeepAlive, BytesBeyondTheResponseDropTheConnection) {
  // Whatever follows a complete response answers nothing that was asked: kept, it would be read
  // as the reply to the next request.
  const std::string stale = Reply("200 OK", "stale");
  struct Case {
    const char* name;
    ServerScript script;
  } cases[] = {
      {"with the response",
       {ServerStep::ReadBlankLine(), ServerStep::Send(Reply("200 OK", "1") + stale),
        ServerStep::ReadBlankLine()}},
      {"while the connection is idle",
       {ServerStep::ReadBlankLine(), ServerStep::Send(Reply("200 OK", "1")), ServerStep::Pause(100),
        ServerStep::Send(stale), ServerStep::ReadBlankLine()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server({c.script, Serve({Reply("200 OK", "2")})});
    auto client = MakeClient();
    TMemoryStream first, second;
    client->Get(UrlOf(server, "/a"), first);
    EXPECT_EQ(first.Text(), "1");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    client->Get(UrlOf(server, "/b"), second);
    EXPECT_EQ(second.Text(), "2");
    EXPECT_EQ(server.Accepted(), 2);
  }
}

TEST(KeepAlive, ErrorStatusKeepsACleanConnection) {
  ScriptedServer server(
      Serve({Reply("404 Not Found", "<html>gone</html>"), Reply("200 OK", "ok")}));
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/a"), stream), ENetHTTPProtocolException);
  EXPECT_TRUE(client->Connected());
  client->Get(UrlOf(server, "/b"), stream);
  EXPECT_EQ(stream.Text(), "ok");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(KeepAlive, Http10ClientAsksForKeepAlive) {
  ScriptedServer server(
      Serve({Reply("200 OK\r\nConnection: keep-alive", "a"), Reply("200 OK", "b")}));
  auto client = MakeClient();
  client->ProtocolVersion = pv1_0;
  TMemoryStream stream;
  client->Get(UrlOf(server, "/a"), stream);
  EXPECT_TRUE(client->Connected());
  client->Get(UrlOf(server, "/b"), stream);
  // Without "keep-alive" from the server, HTTP/1.0 ends the connection.
  EXPECT_FALSE(client->Connected());
  std::string received = server.Received(0);
  EXPECT_EQ(received.rfind("GET /a HTTP/1.0\r\nConnection: keep-alive\r\nHost: ", 0), 0u)
      << received;
}

}  // namespace
}  // namespace orvex::test
