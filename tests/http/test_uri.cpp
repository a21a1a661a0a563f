#include <gtest/gtest.h>

#include "http/http_exception.h"
#include "http/uri.h"
#include "support/expect_failure.h"

namespace orvex {
namespace {

struct UriCase {
  const char* text;
  const char* protocol;
  const char* user;
  const char* password;
  const char* host;
  const char* port;
  const char* path;
  const char* document;
  const char* params;
  const char* bookmark;
  TNetIPVersion version;
};

TEST(Uri, ParseSplitsTheParts) {
  const UriCase cases[] = {
      {"http://H/dir/version.txt", "http", "", "", "H", "", "/dir/", "version.txt", "", "",
       Net_IPv4},
      {"http://H", "http", "", "", "H", "", "/", "", "", "", Net_IPv4},
      {"http://H:8080/", "http", "", "", "H", "8080", "/", "", "", "", Net_IPv4},
      {"http://H/a/doc?a=b#x", "http", "", "", "H", "", "/a/", "doc", "?a=b", "x", Net_IPv4},
      {"http://H/a?x=1#top", "http", "", "", "H", "", "/", "a", "?x=1", "top", Net_IPv4},
      {"http://H/a#top", "http", "", "", "H", "", "/", "a", "", "top", Net_IPv4},
      {"http://H/d/s?p=/x/y", "http", "", "", "H", "", "/d/", "s", "?p=/x/y", "", Net_IPv4},
      {"http://H/d/a=1", "http", "", "", "H", "", "/d/", "a", "=1", "", Net_IPv4},
      {"http://u@H/", "http", "u", "", "H", "", "/", "", "", "", Net_IPv4},
      {"http://u:p@H/", "http", "u", "p", "H", "", "/", "", "", "", Net_IPv4},
      {"http://:p@H/", "http", "", "", "H", "", "/", "", "", "", Net_IPv4},
      {"http://[::1]:8080/x", "http", "", "", "::1", "8080", "/", "x", "", "", Net_IPv6},
      {"HTTP:\\\\H\\d\\f.jar", "HTTP", "", "", "H", "", "/d/", "f.jar", "", "", Net_IPv4},
      {"http://H/my app.jar.tmp", "http", "", "", "H", "", "/", "my app.jar.tmp", "", "", Net_IPv4},
      {"d/f?q#b", "", "", "", "", "", "d/", "f", "?q", "b", Net_IPv4},
  };
  for (const UriCase& c : cases) {
    SCOPED_TRACE(c.text);
    TNetURI uri(c.text);
    EXPECT_EQ(uri.Protocol, c.protocol);
    EXPECT_EQ(uri.Username, c.user);
    EXPECT_EQ(uri.Password, c.password);
    EXPECT_EQ(uri.Host, c.host);
    EXPECT_EQ(uri.Port, c.port);
    EXPECT_EQ(uri.Path, c.path);
    EXPECT_EQ(uri.Document, c.document);
    EXPECT_EQ(uri.Params, c.params);
    EXPECT_EQ(uri.Bookmark, c.bookmark);
    EXPECT_EQ(uri.IPVersion, c.version);
  }
}

TEST(Uri, ComposeUri) {
  TNetURI uri("http://u:p@H:80/d/f?q#b");
  EXPECT_EQ(uri.ComposeURI(false, false), "http://H/d/f?q");
  EXPECT_EQ(uri.ComposeURI(true, true), "http://u:p@H/d/f?q#b");
  uri.Port = "8080";
  EXPECT_EQ(uri.ComposeURI(false, false), "http://H:8080/d/f?q");

  TNetURI empty;
  EXPECT_TRUE(test::FailsWith<ENetURIException>([&] { empty.ComposeURI(false, false); },
                                                "Protocol field is empty"));
  empty.Protocol = "http";
  EXPECT_THROW(empty.ComposeURI(false, false), ENetURIException);
}

TEST(Uri, MergePath) {
  EXPECT_EQ(TNetURI::MergePath("/a/b/", "/c/"), "/c/");
  EXPECT_EQ(TNetURI::MergePath("/a/b/", ""), "/a/b/");
  EXPECT_EQ(TNetURI::MergePath("/a/b/", "c/"), "/a/b/c/");
  EXPECT_EQ(TNetURI::MergePath("/a/b/", "../c/"), "/a/c/");
  EXPECT_EQ(TNetURI::MergePath("/a/", "../../../c/"), "/c/");
  EXPECT_EQ(TNetURI::MergePath("/a/", "./"), "/a/");
}

TEST(Uri, ReverseFind) {
  EXPECT_EQ(TNetURI::ReverseFind("/", "/a/b/c"), 5);
  EXPECT_EQ(TNetURI::ReverseFind("B", "abcabc"), 5);
  EXPECT_EQ(TNetURI::ReverseFind("b", "abcabc", 4), 2);
  EXPECT_EQ(TNetURI::ReverseFind("x", "abc"), 0);
}

}  // namespace
}  // namespace orvex
