#include <gtest/gtest.h>

#include "http/header_info.h"
#include "http/header_list.h"

namespace orvex {
namespace {

TEST(HeaderList, ReadsNamesWithoutCaseAndUnfolds) {
  TNetHeaderList list;
  list.Add("content-type: text/plain");
  list.Add("X-Long: first");
  list.Add("\tsecond  ");
  list.Add("Content-Length : 5");
  EXPECT_EQ(list.Value("Content-Type"), "text/plain");
  EXPECT_EQ(list.Value("x-long"), "first second");
  // The blank before ":" belongs to the name.
  EXPECT_EQ(list.IndexOfName("Content-Length"), -1);
  EXPECT_EQ(list.Value("Missing"), "");
}

TEST(HeaderList, WritesInPlaceAppendsAndRemoves) {
  TNetHeaderList list;
  list.Add("HOST: old");
  list.Add("\tcontinued");
  list.Add("Accept: x");
  list.SetValue("Host", "new");
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0], "Host: new");
  list.SetValue("Cookie", "a=1");
  EXPECT_EQ(list[2], "Cookie: a=1");
  list.SetValue("Accept", "");
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[1], "Cookie: a=1");
}

TEST(HeaderList, FoldsLongValues) {
  TNetHeaderList list(1024);
  std::string value;
  while (value.size() < 1100) value += "word ";
  list.SetValue("X-Big", value);
  ASSERT_GT(list.Count(), 1u);
  for (std::size_t i = 0; i < list.Count(); ++i) {
    EXPECT_LE(list[i].size(), 1024u);
    if (i > 0) {
      EXPECT_EQ(list[i][0], ' ');
    }
  }
  EXPECT_EQ(list.Value("X-Big") + " ", value);
  // No break point: the line stays whole.
  TNetHeaderList small(10);
  small.SetValue("A", "\"quoted, text\"");
  EXPECT_EQ(small.Count(), 2u);
  EXPECT_EQ(small[0], "A:");
  EXPECT_EQ(small[1], " \"quoted, text\"");
}

TEST(HeaderList, ExtractValues) {
  TNetHeaderList list;
  list.Add("WWW-Authenticate: Digest x");
  list.Add("Other: y");
  list.Add("www-authenticate: Basic realm=\"r\"");
  std::vector<std::string> values;
  list.ExtractValues("WWW-Authenticate", values);
  EXPECT_EQ(values, (std::vector<std::string>{"Digest x", "Basic realm=\"r\""}));
}

TEST(HeaderRecords, ContentLengthRule) {
  struct Case {
    const char* line;
    std::int64_t length;
  } cases[] = {{"Content-Length: 0", 0},           {"Content-Length: 42", 42},
               {"Content-Length: 2147483648", -1}, {"Content-Length: -3", -1},
               {"Content-Length: abc", -1},        {nullptr, -1}};
  for (const Case& c : cases) {
    TNetResponseHeaderInfo response;
    if (c.line) response.RawHeaders.Add(c.line);
    response.ParseHeaders();
    EXPECT_EQ(response.ContentLength(), c.length) << (c.line ? c.line : "none");
    EXPECT_EQ(response.HasContentLength(), c.length >= 0);
  }
}

TEST(HeaderRecords, ResponseFieldsAreSetAfresh) {
  TNetResponseHeaderInfo response;
  response.RawHeaders.Add("Location: /x");
  response.RawHeaders.Add("WWW-Authenticate: Basic realm=\"r\"");
  response.RawHeaders.Add("Content-Range: bytes 10-19/100");
  response.RawHeaders.Add("Expires: 0");
  response.ParseHeaders();
  EXPECT_EQ(response.Location, "/x");
  EXPECT_EQ(response.WWWAuthenticate.Count(), 1u);
  EXPECT_EQ(response.ContentRangeStart, 10);
  EXPECT_EQ(response.ContentRangeEnd, 19);
  EXPECT_EQ(response.ContentRangeInstanceLength, 100);
  EXPECT_NEAR(response.Expires, NowLocal(), 5.0 / kSecondsPerDay);
  response.RawHeaders.Clear();
  response.ParseHeaders();
  EXPECT_EQ(response.Location, "");
  EXPECT_EQ(response.WWWAuthenticate.Count(), 0u);
}

TEST(HeaderRecords, RequestBuildsItsLinesInOrder) {
  TNetRequestHeaderInfo request;
  request.Host = "H";
  request.AcceptEncoding = "identity";
  request.BuildHeaders();
  EXPECT_EQ(
      request.RawHeaders.Lines(),
      (std::vector<std::string>{"Host: H", "Accept: text/html, */*", "Accept-Encoding: identity",
                                "User-Agent: Mozilla/3.0 (compatible; Orvex Updater)"}));
  request.BasicAuthentication = true;
  request.Username = "u";
  request.Password = "p";
  request.BuildHeaders();
  EXPECT_EQ(request.RawHeaders.Value("Authorization"), "Basic dTpw");
  ASSERT_NE(request.Authentication(), nullptr);
}

}  // namespace
}  // namespace orvex
