#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "http/cookie_manager.h"
#include "http/header_info.h"
#include "http/uri.h"
#include "net/byte_source.h"
#include "net/tcp_client.h"
#include "shell/component.h"

namespace orvex {

class TStream;
class TNetHTTP;
class TNetHTTPReader;

enum TNetHTTPProtocolVersion { pv1_0, pv1_1 };
enum TNetHTTPOption { hoInProcessAuth = 1, hoKeepOrigProtocol = 2, hoForceEncodeParams = 4 };
using TNetHTTPOptions = unsigned;
enum TNetHTTPNextStep { nsFollowUrl, nsDone, nsAuthRetry };
enum TNetHTTPConnectionKind { ckDirect, ckTls, ckProxy, ckTlsProxy };

class TNetHTTPRequest : public TNetRequestHeaderInfo {
 public:
  // The request line's target: path, document and query of the URL being fetched.
  std::string Target;
  std::string Method;
  TStream* SourceStream = nullptr;
  TNetHTTPConnectionKind ConnectionKind = ckDirect;
  TNetIPVersion IPVersion = Net_IPv4;
};

class TNetHTTPResponse : public TNetResponseHeaderInfo {
 public:
  explicit TNetHTTPResponse(TNetHTTP& client) : client_(client) {}

  std::string StatusLine;
  // From the status line on each call; -1 when it holds no number.
  std::int32_t StatusCode() const;
  // Whether the connection may serve the next request; worked out afresh on each call.
  bool KeepAlive();
  int ResponseVersion = 1;
  // What the head alone says about keeping the connection under the client's protocol version.
  bool HeadAllowsKeepAlive() const;

 private:
  TNetHTTP& client_;
};

// Only the fields the client consults; the launcher never uses a proxy.
struct TNetProxyConnectionInfo {
  std::string ProxyServer;
  int ProxyPort = 0;
  std::string ProxyUsername, ProxyPassword;
  bool BasicAuthentication = false;
  std::unique_ptr<TNetAuthentication> Authentication;
};

// The HTTP/1.1 client component: GET of an URL into a stream over plain TCP or TLS (https://),
// with cookies and Basic authentication. Get returns only for a success (2xx without Location);
// every other outcome raises, an error status as ENetHTTPProtocolException with the body as
// ErrorMessage.
class TNetHTTP : public TComponent, public TNetTCPClient {
 public:
  explicit TNetHTTP(TComponent* owner);
  ~TNetHTTP() override;

  void Get(const std::string& url, TStream& stream);
  void PerformRequest(const std::string& method, const std::string& url, TStream* source,
                      TStream* stream, const std::vector<std::int16_t>& ignoredCodes);

  // Stored settings: MaxAuthRetries, AllowCookies, HandleRedirects, RedirectMaximum,
  // ProtocolVersion, HTTPOptions, MaxHeaderLines, ConnectTimeout, ReadTimeout, TotalTimeout,
  // MinimumRate, RateWindow,
  // ProxyParams.ProxyPort, ProxyParams.BasicAuthentication, Request.Accept, Request.UserAgent,
  // Request.BasicAuthentication, Request.ContentLength, Request.ContentRangeStart,
  // Request.ContentRangeEnd, Request.ContentRangeInstanceLength.
  void SetProperty(std::string_view name, const PropertyValue& value) override;

  std::int32_t MaxAuthRetries = 3;
  bool AllowCookies = true;
  bool HandleRedirects = false;
  std::int32_t RedirectMaximum = 15;
  TNetHTTPProtocolVersion ProtocolVersion = pv1_1;
  TNetHTTPOptions HTTPOptions = hoForceEncodeParams;
  // More header lines than this in one response head fail the request.
  std::int32_t MaxHeaderLines = 255;
  // The bounds of each request as a whole (0: off), beside the limits of each connect and read:
  // the request fails when it lasts longer than TotalTimeout ms, connect and redirects included,
  // or when fewer than MinimumRate bytes arrive in any RateWindow ms.
  std::int32_t TotalTimeout = 0;
  std::int32_t MinimumRate = 0;
  std::int32_t RateWindow = 0;
  // Interim "100" replies taken before a final one; one more fails the request.
  static constexpr int kMaxInterimReplies = 5;
  TNetProxyConnectionInfo ProxyParams;

  // https:// trust: SetTrustAnchors (DER certificates, the only ones trusted; none: the system's
  // store) or LoadTrustAnchors, which reads them from a PEM file. A file that cannot be read or
  // holds no certificate makes every request fail (ENetCertificateError with
  // TrustAnchorsError()) instead of falling back to the system's store.
  static constexpr std::int64_t kMaxTrustAnchorFileSize = 1024 * 1024;
  void LoadTrustAnchors(const std::string& pemFile);
  const std::string& TrustAnchorsError() const { return trustAnchorsError_; }

  TNetHTTPRequest& Request() { return request_; }
  TNetHTTPResponse& Response() { return response_; }
  const TNetURI& CurrentUri() const { return currentUri_; }
  std::int32_t ResponseCode() const { return response_.StatusCode(); }
  std::int32_t RedirectCount() const { return redirectCount_; }
  std::int32_t AuthRetries() const { return authRetries_; }

  TNetCookieManager* CookieManager() const { return cookieManager_; }
  // An outside manager is not owned; assigning one releases a manager the client made.
  void SetCookieManager(TNetCookieManager* manager);
  bool OwnsCookieManager() const { return ownedCookieManager_ != nullptr; }

  // Called with the response's header lines; setting `proceed` false skips the body.
  std::function<void(TNetHTTP& sender, const TNetHeaderList& headers, bool& proceed)>
      OnHeadersAvailable;
  std::function<void(TNetHTTP& sender, std::string& dest, int numRedirect, bool& handled,
                     std::string& method)>
      OnRedirect;
  std::function<void(TNetHTTP& sender, TNetAuthenticationClass& authClass,
                     const TNetHeaderList& authInfo)>
      OnSelectAuthorization;
  std::function<void(TNetHTTP& sender, TNetAuthentication& authentication, bool& handled)>
      OnAuthorization;

  // Protocol steps, public so that tests can drive them one at a time.
  // Makes `url` (absolute, or relative to the current one) the current URL: Request().Target
  // becomes its path and query, and the Host header and credentials follow it.
  void ResolveTarget(const std::string& url);
  void OpenConnection();
  void SendRequestHead();
  // Reads one reply from `source` to the request for the current URL: the status line, interim
  // replies, the head and its cookies, then the body into `body` (null: none wanted) or the
  // failure it makes. The result says whether to follow Response().Location or to send the
  // request again with credentials. Nothing here connects, sends or closes.
  TNetHTTPNextStep ReadResponse(TNetByteSource& source, TStream* body,
                                const std::vector<std::int16_t>& ignoredCodes);
  bool PrepareAuthorization();
  bool PrepareProxyAuthorization();

 protected:
  void DoOnDisconnected() override;

 private:
  friend class TNetHTTPResponse;

  void EnsureConnected();
  // Sends the request and waits for the first byte of the reply. A kept connection that ends
  // before any byte came (the server closed it while idle) gets the request once more on a new
  // connection.
  void SendAndAwaitReply();
  void ReadInterimAndFinalHeads(TNetHTTPReader& reader);
  void ReadResponseHeaders(TNetHTTPReader& reader);
  void StoreResponseCookies();
  TNetHTTPNextStep ClassifyResponse(TNetHTTPReader& reader, TStream* body,
                                    const std::vector<std::int16_t>& ignoredCodes);
  // The end of every exchange: keeps the connection only when it is clean and may be reused.
  void FinishConnection() noexcept;
  // Disconnects and forgets unread bytes.
  void DropConnection();
  void AddCookieHeader();
  // Error and skipped bodies are read off into memory of their own: never the caller's stream.
  void FailWithBody(TNetHTTPReader& reader, const std::vector<std::int16_t>& ignoredCodes);
  void DiscardBody(TNetHTTPReader& reader);
  void ReadBody(TNetHTTPReader& reader, TStream& target);
  bool AskRedirect(std::string& location, std::string& method, int count);
  TNetIOHandlerStack& IO();

  TNetURI currentUri_;
  TNetHTTPRequest request_;
  TNetHTTPResponse response_{*this};
  TNetCookieManager* cookieManager_ = nullptr;
  std::unique_ptr<TNetCookieManager> ownedCookieManager_;
  std::int32_t redirectCount_ = 0;
  std::int32_t authRetries_ = 0;
  std::int32_t authProxyRetries_ = 0;
  // The request in flight already went out again with credentials after a 401.
  bool authSent_ = false;
  // The current response was read off the connection to its end.
  bool responseComplete_ = true;
  // A handler declined the body: the connection is closed at the end of the exchange.
  bool closeAfterExchange_ = false;
  // The request in flight went out on a connection kept from an earlier one.
  bool reusedConnection_ = false;
  std::string trustAnchorsError_;
};

// Registers "TNetHTTP" with the component class registry.
void RegisterHttpClasses();

}  // namespace orvex
