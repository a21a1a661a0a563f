#include <gtest/gtest.h>

#include "http_fixture.h"
#include "support/expect_failure.h"

namespace orvex::test {
namespace {

struct OutcomeCase {
  const char* name;
  std::string response;
  int errorCode;  // 0: success
  std::string streamText;
  std::string errorMessage;
  bool kept;  // the connection stays open for the next call
};

TEST(Outcomes, EveryStatusOfTheTable) {
  const std::string html = "<html>not here</html>";
  const OutcomeCase cases[] = {
      {"100 then 200", "HTTP/1.1 100 Continue\r\n\r\n" + Reply("200 OK", "body"), 0, "body", "",
       true},
      {"200", Reply("200 OK", "body"), 0, "body", "", true},
      {"204", "HTTP/1.1 204 No Content\r\n\r\n", 0, "", "", true},
      {"301 with Location", Reply("301 Moved\r\nLocation: http://elsewhere/", "moved"), 301, "",
       "moved", true},
      {"200 with Location", Reply("200 OK\r\nLocation: /x", "body"), 200, "", "body", true},
      {"304", "HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n", 304, "", "", true},
      {"401", Reply("401 Unauthorized", "who"), 401, "", "who", true},
      {"404 with html", Reply("404 Not Found\r\nContent-Type: text/html", html), 404, "", html,
       true},
      {"407", Reply("407 Proxy Authentication Required", "proxy"), 407, "", "proxy", true},
      {"101 until close", "HTTP/1.1 101 Switching\r\n\r\nrest", 101, "", "rest", false},
      {"no number", "HTTPWITHOUTBLANK\r\nContent-Length: 3\r\n\r\nabc", -1, "", "abc", true},
      {"500 closing", Reply("500 Oops\r\nConnection: close", "bad"), 500, "", "bad", false},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    // A body without framing ends when the server closes.
    ScriptedServer server(c.kept ? Serve({c.response})
                                 : ServerScript{ServerStep::ReadBlankLine(),
                                                ServerStep::Send(c.response), ServerStep::Close()});
    auto client = MakeClient();
    TMemoryStream stream;
    stream.Write("pre", 3);
    try {
      client->Get(UrlOf(server, "/v.txt"), stream);
      EXPECT_EQ(c.errorCode, 0) << "succeeded";
    } catch (const ENetHTTPProtocolException& e) {
      EXPECT_EQ(e.ErrorCode(), c.errorCode);
      EXPECT_EQ(e.Message(), c.response.substr(0, c.response.find("\r\n")));
      EXPECT_EQ(e.ErrorMessage(), c.errorMessage);
    }
    EXPECT_EQ(stream.Text(), "pre" + c.streamText);
    EXPECT_EQ(client->Connected(), c.kept);
  }
}

TEST(Outcomes, RedirectIsCountedAndItsBodyReadOff) {
  ScriptedServer server(
      Serve({Reply("302 Found\r\nLocation: /other", "redirect body"), Reply("200 OK", "next")}));
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/a"), stream), ENetHTTPProtocolException);
  EXPECT_EQ(client->RedirectCount(), 1);
  // The redirect's body was consumed: the next response on the connection reads cleanly.
  client->Get(UrlOf(server, "/b"), stream);
  EXPECT_EQ(stream.Text(), "next");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(Outcomes, PeerClosingBeforeTheStatusLineFails) {
  ScriptedServer server(ServerScript{ServerStep::ReadBlankLine(), ServerStep::Close()});
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_TRUE(test::FailsWith<ENetConnClosedGracefully>(
      [&] { client->Get(UrlOf(server, "/a"), stream); }, "Connection Closed Gracefully."));
  EXPECT_FALSE(client->Connected());
}

TEST(Outcomes, HeadCutShortFails) {
  // The peer closes inside the header block: nothing of it counts as a response.
  ScriptedServer server(ServerScript{ServerStep::ReadBlankLine(),
                                     ServerStep::Send("HTTP/1.1 200 OK\r\nServer: s\r\n"),
                                     ServerStep::Close()});
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/app.jar.tmp"), stream), ENetConnClosedGracefully);
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_FALSE(client->Connected());
}

TEST(Outcomes, SilentServerRunsIntoTheReadLimit) {
  ScriptedServer server(ServerScript{ServerStep::ReadBlankLine(), ServerStep::Silent()});
  auto client = MakeClient();
  client->SetReadTimeout(300);
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/a"), stream), ENetReadTimeout);
  EXPECT_FALSE(client->Connected());
  server.Stop();
}

TEST(Outcomes, AStallAtAnyLineRunsIntoTheReadLimit) {
  // A line that times out is a failure, never an empty line: taken as one it would end the head
  // or a chunk, and every later line would wait out the limit again.
  const char* const partials[] = {
      "HTTP/1.1 200 OK\r\n",
      "HTTP/1.1 200 OK\r\nServer: s\r\n",
      "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n",
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab",
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nab\r\n0\r\n",
  };
  for (const char* partial : partials) {
    SCOPED_TRACE(partial);
    ScriptedServer server(
        ServerScript{ServerStep::ReadBlankLine(), ServerStep::Send(partial), ServerStep::Silent()});
    auto client = MakeClient();
    client->SetReadTimeout(300);
    TMemoryStream stream;
    EXPECT_THROW(client->Get(UrlOf(server, "/a"), stream), ENetReadTimeout);
    EXPECT_FALSE(client->Connected());
    server.Stop();
  }
}

TEST(Outcomes, TooManyHeaderLinesFail) {
  std::string head = "HTTP/1.1 200 OK\r\n";
  for (int i = 0; i < 300; ++i) head += "X-Line-" + std::to_string(i) + ": v\r\n";
  ScriptedServer server(Serve({head + "Content-Length: 1\r\n\r\nx"}));
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/a"), stream), ENetHTTPHeaderLimitExceeded);
  EXPECT_EQ(stream.Size(), 0);
  // The rest of that head is never read as a response: the connection is gone.
  EXPECT_FALSE(client->Connected());

  ScriptedServer within(Serve({head + "Content-Length: 1\r\n\r\nx"}));
  auto roomy = MakeClient();
  roomy->MaxHeaderLines = 301;
  roomy->Get(UrlOf(within, "/a"), stream);
  EXPECT_EQ(stream.Text(), "x");
}

}  // namespace
}  // namespace orvex::test
