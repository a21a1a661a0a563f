#include <gtest/gtest.h>

#include <cstdio>

#include "http/response_reader.h"
#include "http_fixture.h"
#include "support/expect_failure.h"

namespace orvex::test {
namespace {

enum class Expect { kBody, kFails };

struct FramingCase {
  const char* name;
  std::string response;  // everything the server sends before it ends the connection
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
      {"chunked with bare line feeds", chunked + "5\nhello\n0\n\n", Expect::kBody, "hello"},
      {"chunked without the final chunk", chunked + "5\r\nhello\r\n", Expect::kFails, "hello"},
      {"chunked without the trailer's end", chunked + "5\r\nhello\r\n0\r\n", Expect::kFails,
       "hello"},
      {"chunk size that is not a number", chunked + "zz\r\nhello\r\n0\r\n\r\n", Expect::kFails, ""},
      {"chunk size line empty", chunked + "\r\nhello\r\n0\r\n\r\n", Expect::kFails, ""},
      {"chunk size of sixteen digits", chunked + "8000000000000000\r\nhello\r\n", Expect::kFails,
       ""},
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
    for (std::size_t slice : kSlices) {
      SCOPED_TRACE(std::string(c.name) + ", slices of " + std::to_string(slice));
      TNetMemorySource source(c.response, slice);
      TNetHTTP client(nullptr);
      TMemoryStream stream;
      bool failed = false;
      try {
        ReadReply(client, source, stream);
      } catch (const ENetException& e) {
        failed = true;
        EXPECT_EQ(dynamic_cast<const ENetHTTPProtocolException*>(&e), nullptr) << e.Message();
      }
      EXPECT_EQ(failed, c.expect == Expect::kFails);
      EXPECT_EQ(stream.Text(), c.body);
      EXPECT_EQ(stream.Position(), stream.Size());
    }
  }
}

TEST(BodyFraming, AnnouncedLengthDoesNotSizeTheStream) {
  // A peer announcing 2 GiB and sending four bytes costs four bytes.
  TNetMemorySource source("HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\nabcd");
  TNetHTTP client(nullptr);
  TMemoryStream stream;
  EXPECT_THROW(ReadReply(client, source, stream), ENetConnClosedGracefully);
  EXPECT_EQ(stream.Size(), 4);
  EXPECT_LT(stream.Bytes().capacity(), 1u << 20);
}

TEST(BodyFraming, ChunkedAndCountedBodiesEndExactlyAtTheNextResponse) {
  const std::string responses =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\nX-Trailer: "
      "t\r\n\r\n" +
      std::string("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n") + Reply("200 OK", "third");
  for (std::size_t slice : kSlices) {
    SCOPED_TRACE(slice);
    TNetMemorySource source(responses, slice);
    TNetHTTP client(nullptr);
    TMemoryStream first, second, third;
    ReadReply(client, source, first);
    ReadReply(client, source, second);
    ReadReply(client, source, third);
    EXPECT_EQ(first.Text(), "hello");
    EXPECT_EQ(second.Text(), "");
    EXPECT_EQ(third.Text(), "third");
    EXPECT_EQ(source.Input().Size() + source.Pending(), 0u);
  }
}

TEST(BodyFraming, StreamEndsAtTheLastBodyByte) {
  TNetMemorySource source(Reply("200 OK", "new"));
  TNetHTTP client(nullptr);
  TMemoryStream stream;
  stream.Write("old content", 11);
  stream.SetPosition(2);
  ReadReply(client, source, stream);
  EXPECT_EQ(stream.Text(), "olnew");
}

TEST(BodyFraming, WritesIntoAFile) {
  TNetMemorySource source(Reply("200 OK", std::string(100000, 'j')), 4096);
  TNetHTTP client(nullptr);
  std::string path = ::testing::TempDir() + "orvex_http_body.tmp";
  {
    TFileStream file(path, TFileStream::Mode::Create);
    ReadReply(client, source, file);
    EXPECT_EQ(file.Size(), 100000);
  }
  TFileStream check(path, TFileStream::Mode::OpenRead);
  EXPECT_EQ(check.Size(), 100000);
  std::remove(path.c_str());
}

TEST(ResponseReader, Lines) {
  struct Case {
    const char* name;
    std::string input;
    std::string line;  // empty with `fails`
    bool fails;
  } cases[] = {
      {"CR LF", "a b\r\nrest", "a b", false},
      {"bare LF", "a b\nrest", "a b", false},
      {"only the last CR goes", "a\r\r\n", "a\r", false},
      {"empty line", "\r\n", "", false},
      // The limit counts the bytes before the line feed, a carriage return included.
      {"as long as allowed", std::string(15, 'x') + "\r\n", std::string(15, 'x'), false},
      {"as long as allowed, bare line feed", std::string(16, 'x') + "\n", std::string(16, 'x'),
       false},
      {"one byte too long", std::string(16, 'x') + "\r\n", "", true},
      {"too long before its end came", std::string(40, 'x'), "", true},
      {"ended without a line end", "abc", "", true},
      {"nothing", "", "", true},
  };
  for (const Case& c : cases) {
    for (std::size_t slice : kSlices) {
      SCOPED_TRACE(std::string(c.name) + ", slices of " + std::to_string(slice));
      TNetMemorySource source(c.input, slice);
      TNetHTTPReader reader(source, 10, 16);
      if (c.fails) {
        EXPECT_THROW(reader.ReadLine(), ENetException);
      } else {
        EXPECT_EQ(reader.ReadLine(), c.line);
      }
    }
  }
  TNetMemorySource cut("HTTP/1.1 200 OK");
  TNetHTTPReader reader(cut, 10, 100);
  EXPECT_TRUE(test::FailsWith<ENetConnClosedGracefully>([&] { reader.ReadLine(); },
                                                        "Connection Closed Gracefully."));
}

}  // namespace
}  // namespace orvex::test
