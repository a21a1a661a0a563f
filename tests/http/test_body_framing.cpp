#include <gtest/gtest.h>

#include "http_fixture.h"

namespace orvex::test {
namespace {

enum class Expect { kBody, kFails };

struct FramingCase {
  const char* name;
  std::string response;  // sent, then the server closes
  Expect expect;
  std::string body;  // what the stream holds afterwards (also the bytes kept on failure)
};

TEST(BodyFraming, Cases) {
  const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  const FramingCase cases[] = {
      {"chunked", chunked + "5\r\nhello\r\n1A\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\n",
       Expect::kBody, "helloabcdefghijklmnopqrstuvwxyz"},
      {"chunked with a trailer line", chunked + "5\r\nhello\r\n0\r\nX-Trailer: t\r\n\r\n",
       Expect::kBody, "hello"},
      {"chunked with an extension", chunked + "5;name=value\r\nhello\r\n0\r\n\r\n", Expect::kBody,
       "hello"},
      {"chunked without the final chunk", chunked + "5\r\nhello\r\n", Expect::kFails, "hello"},
      {"chunk size that is not a number", chunked + "zz\r\nhello\r\n0\r\n\r\n", Expect::kFails, ""},
      {"chunk size line empty", chunked + "\r\nhello\r\n0\r\n\r\n", Expect::kFails, ""},
      {"chunk longer than its size", chunked + "3\r\nhello\r\n0\r\n\r\n", Expect::kFails, "hel"},
      {"chunked cut inside data", chunked + "a\r\nhel", Expect::kFails, "hel"},
      {"Chunked in other letters is not chunked",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
       Expect::kBody, "5\r\nhello\r\n0\r\n\r\n"},
      {"Content-Length exact", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nabcd", Expect::kBody,
       "abcd"},
      {"Content-Length short", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabcd", Expect::kFails,
       "abcd"},
      {"Content-Length zero", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", Expect::kBody, ""},
      {"Content-Length unreadable", "HTTP/1.1 200 OK\r\nContent-Length: ten\r\n\r\nabcd",
       Expect::kBody, "abcd"},
      {"Content-Length beyond 32 bits", "HTTP/1.1 200 OK\r\nContent-Length: 4294967296\r\n\r\nab",
       Expect::kBody, "ab"},
      {"until close", "HTTP/1.1 200 OK\r\n\r\nall of it", Expect::kBody, "all of it"},
      {"gzip stored as received", "HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\n\r\n\x1f\x8b",
       Expect::kBody, "\x1f\x8b"},
  };
  for (const FramingCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(ServerScript{ServerStep::ReadBlankLine(), ServerStep::Send(c.response),
                                       ServerStep::Close()});
    auto client = MakeClient();
    TMemoryStream stream;
    bool failed = false;
    try {
      client->Get(UrlOf(server, "/f"), stream);
    } catch (const ENetException& e) {
      failed = true;
      EXPECT_EQ(dynamic_cast<const ENetHTTPProtocolException*>(&e), nullptr) << e.Message();
    }
    EXPECT_EQ(failed, c.expect == Expect::kFails);
    EXPECT_EQ(stream.Text(), c.body);
    EXPECT_EQ(stream.Position(), stream.Size());
    // A broken body leaves unknown bytes behind: that connection is never used again.
    if (failed) {
      EXPECT_FALSE(client->Connected());
    }
  }
}

TEST(BodyFraming, AnnouncedLengthDoesNotSizeTheStream) {
  // A peer announcing 2 GiB and sending four bytes costs four bytes.
  ScriptedServer server(
      ServerScript{ServerStep::ReadBlankLine(),
                   ServerStep::Send("HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\nabcd"),
                   ServerStep::Pause(200), ServerStep::Close()});
  auto client = MakeClient();
  TMemoryStream stream;
  EXPECT_THROW(client->Get(UrlOf(server, "/f"), stream), ENetConnClosedGracefully);
  EXPECT_EQ(stream.Size(), 4);
  EXPECT_LT(stream.Bytes().capacity(), 1u << 20);
}

TEST(BodyFraming, ChunkedAndCountedBodiesLeaveTheConnectionAtTheNextResponse) {
  ScriptedServer server(
      Serve({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
             "5\r\nhello\r\n0\r\nX-Trailer: t\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", Reply("200 OK", "third")}));
  auto client = MakeClient();
  TMemoryStream first, second, third;
  client->Get(UrlOf(server, "/1"), first);
  client->Get(UrlOf(server, "/2"), second);
  client->Get(UrlOf(server, "/3"), third);
  EXPECT_EQ(first.Text(), "hello");
  EXPECT_EQ(second.Text(), "");
  EXPECT_EQ(third.Text(), "third");
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(BodyFraming, StreamEndsAtTheLastBodyByte) {
  ScriptedServer server(Serve({Reply("200 OK", "new")}));
  auto client = MakeClient();
  TMemoryStream stream;
  stream.Write("old content", 11);
  stream.SetPosition(2);
  client->Get(UrlOf(server, "/f"), stream);
  EXPECT_EQ(stream.Text(), "olnew");
}

TEST(BodyFraming, WritesIntoAFile) {
  ScriptedServer server(Serve({Reply("200 OK", std::string(100000, 'j'))}));
  auto client = MakeClient();
  std::string path = ::testing::TempDir() + "orvex_http_body.tmp";
  {
    TFileStream file(path, TFileStream::Mode::Create);
    client->Get(UrlOf(server, "/f"), file);
    EXPECT_EQ(file.Size(), 100000);
  }
  TFileStream check(path, TFileStream::Mode::OpenRead);
  EXPECT_EQ(check.Size(), 100000);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace orvex::test
