#include "http/header_info.h"

#include <vector>

#include "core/text.h"

namespace orvex {

namespace {

std::int64_t Int64Or0(std::string_view text) {
  return TryStrToInt64(Trim(text)).value_or(0);
}

std::string AfterFirst(const std::string& text, char marker) {
  auto at = text.find(marker);
  return at == std::string::npos ? std::string() : text.substr(at + 1);
}

}  // namespace

void TNetEntityHeaderInfo::Clear() {
  Connection.clear();
  ContentVersion.clear();
  ContentEncoding.clear();
  ContentLanguage.clear();
  ContentType.clear();
  contentLength_ = -1;
  ContentRangeStart = ContentRangeEnd = ContentRangeInstanceLength = 0;
  Date = Expires = LastModified = 0;
  RawHeaders.Clear();
}

void TNetEntityHeaderInfo::BuildHeaders() {
  RawHeaders.Clear();
  auto put = [this](const char* name, const std::string& value) {
    if (!value.empty()) RawHeaders.SetValue(name, value);
  };
  put("Connection", Connection);
  put("Content-Version", ContentVersion);
  put("Content-Encoding", ContentEncoding);
  put("Content-Language", ContentLanguage);
  put("Content-Type", ContentType);
  if (contentLength_ >= 0) put("Content-Length", std::to_string(contentLength_));
  put("Cache-control", CacheControl);
  if (Date > 0) put("Date", FormatHttpDate(Date));
  if (Expires > 0) put("Expires", FormatHttpDate(Expires));
  put("Pragma", Pragma);
  for (const std::string& line : CustomHeaders.Lines()) RawHeaders.Add(line);
}

void TNetEntityHeaderInfo::ParseHeaders() {
  Connection = RawHeaders.Value("Connection");
  ContentVersion = RawHeaders.Value("Content-Version");
  ContentEncoding = RawHeaders.Value("Content-Encoding");
  ContentLanguage = RawHeaders.Value("Content-Language");
  ContentType = RawHeaders.Value("Content-Type");

  // A length that is not a 32-bit number counts as absent.
  contentLength_ = StrToInt32Def(Trim(RawHeaders.Value("Content-Length")), -1);
  if (contentLength_ < 0) contentLength_ = -1;

  ContentRangeStart = ContentRangeEnd = ContentRangeInstanceLength = 0;
  std::string range = RawHeaders.Value("Content-Range");
  if (!range.empty()) {
    std::string rest = AfterFirst(range, ' ');
    auto slash = rest.find('/');
    std::string span = rest.substr(0, slash);
    std::string instance = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    instance = instance.substr(0, instance.find(' '));
    auto dash = span.find('-');
    ContentRangeStart = Int64Or0(span.substr(0, dash));
    ContentRangeEnd = dash == std::string::npos ? 0 : Int64Or0(span.substr(dash + 1));
    ContentRangeInstanceLength = Int64Or0(instance);
  }

  Date = InternetDateToLocal(RawHeaders.Value("Date"));
  LastModified = InternetDateToLocal(RawHeaders.Value("Last-Modified"));
  std::string expires = RawHeaders.Value("Expires");
  auto seconds = TryStrToInt32(expires);
  if (seconds && *seconds != -1) {
    Expires = NowLocal() + *seconds / kSecondsPerDay;
  } else {
    Expires = InternetDateToLocal(expires);
  }
  Pragma = RawHeaders.Value("Pragma");
}

void TNetRequestHeaderInfo::Clear() {
  Accept = "text/html, */*";
  AcceptCharSet.clear();
  UserAgent = "Mozilla/3.0 (compatible; Orvex Updater)";
  BasicAuthentication = false;
  Range.clear();
  TNetEntityHeaderInfo::Clear();
}

void TNetRequestHeaderInfo::BuildHeaders() {
  TNetEntityHeaderInfo::BuildHeaders();
  auto put = [this](const char* name, const std::string& value) {
    if (!value.empty()) RawHeaders.SetValue(name, value);
  };
  put("Proxy-Connection", ProxyConnection);
  put("Host", Host);
  put("Accept", Accept);
  put("Accept-Charset", AcceptCharSet);
  put("Accept-Encoding", AcceptEncoding);
  put("Accept-Language", AcceptLanguage);
  put("From", From);
  put("Referer", Referer);
  put("User-Agent", UserAgent);
  if (!Range.empty()) put("Range", "bytes=" + Range);
  if (LastModified > 0) put("If-Modified-Since", FormatHttpDate(LastModified));
  if (!authentication_ && BasicAuthentication) {
    auto basic = std::make_unique<TNetBasicAuthentication>();
    basic->SetUsername(Username);
    basic->SetPassword(Password);
    authentication_ = std::move(basic);
  }
  if (authentication_) put("Authorization", authentication_->Authenticate());
}

void TNetRequestHeaderInfo::ParseHeaders() {
  TNetEntityHeaderInfo::ParseHeaders();
  Accept = RawHeaders.Value("Accept");
  AcceptCharSet = RawHeaders.Value("Accept-Charset");
  AcceptEncoding = RawHeaders.Value("Accept-Encoding");
  AcceptLanguage = RawHeaders.Value("Accept-Language");
  Host = RawHeaders.Value("Host");
  From = RawHeaders.Value("From");
  Referer = RawHeaders.Value("Referer");
  UserAgent = RawHeaders.Value("User-Agent");
  Range = AfterFirst(RawHeaders.Value("Range"), '=');
}

void TNetResponseHeaderInfo::Clear() {
  TNetEntityHeaderInfo::Clear();
  ContentType = "text/html";
  Location.clear();
  Server.clear();
  AcceptRanges.clear();
  ProxyAuthenticate.Clear();
  WWWAuthenticate.Clear();
}

void TNetResponseHeaderInfo::ParseHeaders() {
  TNetEntityHeaderInfo::ParseHeaders();
  Location = RawHeaders.Value("Location");
  Server = RawHeaders.Value("Server");
  ProxyConnection = RawHeaders.Value("Proxy-Connection");
  std::vector<std::string> values;
  RawHeaders.ExtractValues("WWW-Authenticate", values);
  WWWAuthenticate.Clear();
  for (auto& value : values) WWWAuthenticate.Add(value);
  values.clear();
  RawHeaders.ExtractValues("Proxy-Authenticate", values);
  ProxyAuthenticate.Clear();
  for (auto& value : values) ProxyAuthenticate.Add(value);
  AcceptRanges = RawHeaders.Value("Accept-Ranges");
}

}  // namespace orvex
