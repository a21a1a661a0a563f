#include <gtest/gtest.h>

#include <string>

#include "http_fixture.h"
#include "support/expect_failure.h"
#include "support/reaper.h"

namespace orvex::test {
namespace {

// n sends of `bytes`, each after a pause of `ms`.
ServerScript Drip(ServerScript script, const std::string& bytes, int ms, int n) {
  for (int i = 0; i < n; ++i) {
    script.push_back(ServerStep::Pause(ms));
    script.push_back(ServerStep::Send(bytes));
  }
  script.push_back(ServerStep::Silent());
  return script;
}

struct BoundCase {
  const char* name;
  ServerScript script;
  int totalMs, minBytes, windowMs;
  const char* failure;  // nullptr: the body arrives whole
};

// The per-read limit (5 s here) never runs out in these cases: only the request's own bounds end
// them. Short limits stand for the updater's minute.
TEST(RequestBounds, TotalAndRateLimitsEndWhatThePerReadLimitDoesNot) {
  Reaper reaper;
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 3000\r\n\r\n";
  const BoundCase cases[] = {
      {"a status line dripping a byte at a time holds the total limit",
       Drip({ServerStep::ReadBlankLine(), ServerStep::Send("HTTP/1.1 200 OK")}, "x", 50, 100), 400,
       0, 0, "The transfer took longer than its limit of 400 ms"},
      {"a body dripping holds the total limit",
       Drip({ServerStep::ReadBlankLine(), ServerStep::Send(head)}, "x", 50, 100), 400, 0, 0,
       "The transfer took longer than its limit of 400 ms"},
      {"a body dripping holds the rate",
       Drip({ServerStep::ReadBlankLine(), ServerStep::Send(head)}, "x", 50, 100), 0, 200, 300,
       "The transfer was slower than 200 bytes in 300 ms"},
      {"a head dripping holds the rate", Drip({ServerStep::ReadBlankLine()}, "H", 50, 100), 0, 200,
       300, "The transfer was slower than 200 bytes in 300 ms"},
      {"a slow but steady body finishes",
       Drip({ServerStep::ReadBlankLine(), ServerStep::Send(head)}, std::string(300, 'b'), 50, 10),
       0, 200, 300, nullptr},
      {"a quick reply is within both", Serve({Reply("200 OK", std::string(3000, 'b'))}), 2000, 200,
       300, nullptr},
  };
  for (const BoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(c.script);
    auto client = MakeClient();
    client->TotalTimeout = c.totalMs;
    client->MinimumRate = c.minBytes;
    client->RateWindow = c.windowMs;
    TMemoryStream stream;
    try {
      client->Get(UrlOf(server, "/app.jar.tmp"), stream);
      EXPECT_EQ(c.failure, nullptr);
      EXPECT_EQ(stream.Text(), std::string(3000, 'b'));
    } catch (const ENetTransferLimitExceeded& failure) {
      ASSERT_NE(c.failure, nullptr);
      EXPECT_EQ(failure.Message(), c.failure);
      EXPECT_FALSE(client->Connected());
    }
    server.Stop();
  }
}

TEST(RequestBounds, TheBoundsAreStoredSettingsOffByDefault) {
  TNetHTTP client(nullptr);
  EXPECT_EQ(client.TotalTimeout, 0);
  EXPECT_EQ(client.MinimumRate, 0);
  EXPECT_EQ(client.RateWindow, 0);
  client.SetProperty("TotalTimeout", PropertyValue(std::int64_t{60000}));
  client.SetProperty("MinimumRate", PropertyValue(std::int64_t{1024}));
  client.SetProperty("RateWindow", PropertyValue(std::int64_t{60000}));
  EXPECT_EQ(client.TotalTimeout, 60000);
  EXPECT_EQ(client.MinimumRate, 1024);
  EXPECT_EQ(client.RateWindow, 60000);
}

TEST(RequestBounds, InterimRepliesAreCapped) {
  const std::string interim = "HTTP/1.1 100 Continue\r\n\r\n";
  struct Case {
    int interims;
    bool succeeds;
  } cases[] = {{0, true},
               {1, true},
               {TNetHTTP::kMaxInterimReplies, true},
               {TNetHTTP::kMaxInterimReplies + 1, false},
               {10000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interims);
    std::string replies;
    for (int i = 0; i < c.interims; ++i) replies += interim;
    TNetMemorySource source(replies + Reply("200 OK", "jar"));
    TNetHTTP client(nullptr);
    TMemoryStream stream;
    if (c.succeeds) {
      ReadReply(client, source, stream);
      EXPECT_EQ(stream.Text(), "jar");
    } else {
      EXPECT_TRUE(test::FailsWith<ENetHTTPInterimLimitExceeded>(
          [&] { ReadReply(client, source, stream); }, "More than 5 interim replies"));
      EXPECT_EQ(stream.Size(), 0);
    }
  }
}

TEST(RequestBounds, APortOutsideOneTo65535FailsTheRequest) {
  Reaper reaper;
  ScriptedServer server(Serve({Reply("200 OK", "jar")}));
  const char* const refused[] = {"70000", "-1", "0", "65536", "99999999999", "8o", "+80", "0x50"};
  for (const char* port : refused) {
    SCOPED_TRACE(port);
    auto client = MakeClient();
    TMemoryStream stream;
    EXPECT_TRUE(test::FailsWith<ENetURIException>(
        [&] { client->Get(std::string("http://127.0.0.1:") + port + "/a", stream); },
        std::string("Invalid port number in URL: ") + port));
  }
  EXPECT_EQ(server.Accepted(), 0);
  // The server's own port, with or without leading zeros, is a port.
  auto client = MakeClient();
  TMemoryStream stream;
  client->Get("http://127.0.0.1:0" + std::to_string(server.Port()) + "/a", stream);
  EXPECT_EQ(stream.Text(), "jar");
}

}  // namespace
}  // namespace orvex::test
