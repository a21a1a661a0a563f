#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "http/authentication.h"
#include "http/header_list.h"
#include "http/internet_date.h"

namespace orvex {

// The fields of a message head, written to and read from RawHeaders.
class TNetEntityHeaderInfo {
 public:
  TNetEntityHeaderInfo() { TNetEntityHeaderInfo::Clear(); }
  virtual ~TNetEntityHeaderInfo() = default;
  TNetEntityHeaderInfo(const TNetEntityHeaderInfo&) = delete;
  TNetEntityHeaderInfo& operator=(const TNetEntityHeaderInfo&) = delete;

  virtual void ParseHeaders();
  virtual void BuildHeaders();
  virtual void Clear();

  std::int64_t ContentLength() const { return contentLength_; }
  void SetContentLength(std::int64_t length) { contentLength_ = length; }
  bool HasContentLength() const { return contentLength_ >= 0; }

  std::string CacheControl;
  TNetHeaderList RawHeaders{1024};
  std::string Connection, ContentEncoding, ContentLanguage, ContentType, ContentVersion;
  std::int64_t ContentRangeEnd = 0, ContentRangeStart = 0, ContentRangeInstanceLength = 0;
  TNetHeaderList CustomHeaders{78};
  TDateTime Date = 0, Expires = 0, LastModified = 0;
  std::string Pragma;

 private:
  std::int64_t contentLength_ = -1;
};

class TNetRequestHeaderInfo : public TNetEntityHeaderInfo {
 public:
  TNetRequestHeaderInfo() { TNetRequestHeaderInfo::Clear(); }

  void ParseHeaders() override;
  void BuildHeaders() override;
  void Clear() override;

  TNetAuthentication* Authentication() const { return authentication_.get(); }
  void SetAuthentication(std::unique_ptr<TNetAuthentication> authentication) {
    authentication_ = std::move(authentication);
  }

  std::string Accept, AcceptCharSet, AcceptEncoding, AcceptLanguage, From, Password, Referer;
  std::string UserAgent, Username, Host, ProxyConnection, Range;
  bool BasicAuthentication = false;

 private:
  std::unique_ptr<TNetAuthentication> authentication_;
};

class TNetResponseHeaderInfo : public TNetEntityHeaderInfo {
 public:
  TNetResponseHeaderInfo() { TNetResponseHeaderInfo::Clear(); }

  void ParseHeaders() override;
  void Clear() override;

  std::string AcceptRanges, Location, Server, ProxyConnection;
  TNetHeaderList ProxyAuthenticate, WWWAuthenticate;
};

}  // namespace orvex
