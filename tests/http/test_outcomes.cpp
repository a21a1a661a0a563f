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
};

TEST(Outcomes, EveryStatusOfTheTable) {
  const std::string html = "<html>not here</html>";
  const OutcomeCase cases[] = {
      {"100 then 200", "HTTP/1.1 100 Continue\r\n\r\n" + Reply("200 OK", "body"), 0, "body", ""},
      {"200", Reply("200 OK", "body"), 0, "body", ""},
      {"204", "HTTP/1.1 204 No Content\r\n\r\n", 0, "", ""},
      {"301 with Location", Reply("301 Moved\r\nLocation: http://elsewhere/", "moved"), 301, "",
       "moved"},
      {"200 with Location", Reply("200 OK\r\nLocation: /x", "body"), 200, "", "body"},
      {"304", "HTTP/1.1 304 Not Modified\r\nContent-Length: 0\r\n\r\n", 304, "", ""},
      {"401", Reply("401 Unauthorized", "who"), 401, "", "who"},
      {"404 with html", Reply("404 Not Found\r\nContent-Type: text/html", html), 404, "", html},
      {"407", Reply("407 Proxy Authentication Required", "proxy"), 407, "", "proxy"},
      {"101 until close", "HTTP/1.1 101 Switching\r\n\r\nrest", 101, "", "rest"},
      {"no number", "HTTPWITHOUTBLANK\r\nContent-Length: 3\r\n\r\nabc", -1, "", "abc"},
      {"500 closing", Reply("500 Oops\r\nConnection: close", "bad"), 500, "", "bad"},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TNetMemorySource source(c.response);
    auto client = MakeClient();
    TMemoryStream stream;
    stream.Write("pre", 3);
    try {
      ReadReply(*client, source, stream);
      EXPECT_EQ(c.errorCode, 0) << "succeeded";
    } catch (const ENetHTTPProtocolException& e) {
      EXPECT_EQ(e.ErrorCode(), c.errorCode);
      EXPECT_EQ(e.Message(), c.response.substr(0, c.response.find("\r\n")));
      EXPECT_EQ(e.ErrorMessage(), c.errorMessage);
    }
    EXPECT_EQ(stream.Text(), "pre" + c.streamText);
    // Every outcome reads its response to the end, so a kept connection stays in step.
    EXPECT_EQ(source.Input().Size() + source.Pending(), 0u);
  }
}

TEST(Outcomes, RedirectIsCountedAndItsBodyReadOff) {
  TNetMemorySource source(Reply("302 Found\r\nLocation: /other", "redirect body") +
                          Reply("200 OK", "next"));
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(ReadReply(*client, source, stream), ENetHTTPProtocolException);
  EXPECT_EQ(client->RedirectCount(), 1);
  // The redirect's body was consumed: the next response reads cleanly.
  ReadReply(*client, source, stream);
  EXPECT_EQ(stream.Text(), "next");
}

TEST(Outcomes, AResponseCutShortFails) {
  // Nothing of a response that ends before its head does counts: taken as complete, it would
  // pass an empty or partial body as a success.
  const char* const cuts[] = {"", "HTTP/1.1 200 OK", "HTTP/1.1 200 OK\r\n",
                              "HTTP/1.1 200 OK\r\nServer: s\r\n", "HTTP/1.1 100 Continue\r\n\r\n"};
  for (const char* cut : cuts) {
    SCOPED_TRACE(cut);
    TNetMemorySource source(cut, 3);
    auto client = MakeClient();
    TMemoryStream stream;
    EXPECT_TRUE(test::FailsWith<ENetConnClosedGracefully>(
        [&] { ReadReply(*client, source, stream); }, "Connection Closed Gracefully."));
    EXPECT_EQ(stream.Size(), 0);
  }
}

TEST(Outcomes, HeadCutShortFails) {
  // The peer closes inside the header block: the request fails and the connection is gone.
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
  std::string lines;
  for (int i = 0; i < 300; ++i) lines += "X-Line-" + std::to_string(i) + ": v\r\n";
  const std::string head = "HTTP/1.1 200 OK\r\n" + lines + "Content-Length: 1\r\n\r\nx";
  const std::string trailer =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nx\r\n0\r\n" + lines + "\r\n";
  for (const std::string& response : {head, trailer}) {
    TNetMemorySource source(response);
    auto client = MakeClient();
    TMemoryStream stream;
    EXPECT_TRUE(test::FailsWith<ENetHTTPHeaderLimitExceeded>(
        [&] { ReadReply(*client, source, stream); }, "More than 255 header lines"));

    TNetMemorySource within(response);
    client->MaxHeaderLines = 301;
    stream.SetSize(0);
    ReadReply(*client, within, stream);
    EXPECT_EQ(stream.Text(), "x");
  }
}

}  // namespace
}  // namespace orvex::test
