#include "http/net_http.h"

#include <algorithm>

#include "http/bounded_sink.h"
#include "http/http_exception.h"
#include "http/text_util.h"
#include "net/buffer.h"
#include "net/stream.h"
#include "shell/exception.h"

namespace orvex {

namespace {

constexpr int kRedirectBodyTimeoutMs = 4000;
// An error body is read off the connection in full, but only this much becomes ErrorMessage.
constexpr std::size_t kMaxErrorText = 1 << 20;

bool IsIgnored(const std::vector<std::int16_t>& codes, std::int32_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

std::int32_t TNetHTTPResponse::StatusCode() const {
  auto blank = StatusLine.find(' ');
  if (blank == std::string::npos) return -1;
  std::string rest = Trim(std::string_view(StatusLine).substr(blank + 1));
  rest = Trim(rest.substr(0, rest.find(' ')));
  return StrToInt32Def(rest, -1);
}

bool TNetHTTPResponse::KeepAlive() {
  if (StatusLine.size() >= 8) {
    std::string version = StatusLine.substr(5, 3);
    if (SameText(version, "1.0")) ResponseVersion = 0;
    if (SameText(version, "1.1")) ResponseVersion = 1;
  }
  if (client_.Connected()) client_.CheckClosed(false);
  bool result = client_.Connected();
  if (!result) return false;
  if (client_.ProtocolVersion == pv1_1) {
    return !SameText(Trim(Connection), "CLOSE") && !SameText(Trim(ProxyConnection), "CLOSE");
  }
  return SameText(Trim(Connection), "KEEP-ALIVE") || SameText(Trim(ProxyConnection), "KEEP-ALIVE");
}

TNetHTTP::TNetHTTP(TComponent* owner) : TComponent(owner) {}

TNetHTTP::~TNetHTTP() {
  try {
    Disconnect();
  } catch (...) {
    // Going away: a failing close changes nothing.
  }
}

TNetIOHandlerStack& TNetHTTP::IO() {
  TNetIOHandlerStack* handler = IOHandler();
  if (!handler) throw ENetException(kTextNotConnected);
  return *handler;
}

void TNetHTTP::SetCookieManager(TNetCookieManager* manager) {
  if (manager == cookieManager_) return;
  cookieManager_ = manager;
  ownedCookieManager_.reset();
}

void TNetHTTP::Get(const std::string& url, TStream& stream) {
  PerformRequest("GET", url, nullptr, &stream, {});
}

void TNetHTTP::PerformRequest(const std::string& method, const std::string& url, TStream* source,
                              TStream* stream, const std::vector<std::int16_t>& ignoredCodes) {
  redirectCount_ = authRetries_ = authProxyRetries_ = 0;
  authSent_ = false;
  closeAfterExchange_ = false;
  std::int64_t start = stream ? stream->Position() : 0;
  request_.Target = url;
  request_.Method = method;
  request_.SourceStream = source;
  response_.BodyStream = stream;

  try {
    for (;;) {
      ResolveTarget();
      OpenConnection();
      responseComplete_ = false;
      do {
        response_.StatusLine = IO().ReadLn();
        ReadResponseHeaders();
        StoreResponseCookies();
      } while (response_.StatusCode() == 100);

      TNetHTTPNextStep next = ClassifyResponse(ignoredCodes);
      if (next == nsFollowUrl) {
        if (stream) {
          stream->SetPosition(start);
          stream->SetSize(start);
        }
        authRetries_ = authProxyRetries_ = 0;
        authSent_ = false;
        continue;
      }
      if (next == nsAuthRetry) {
        request_.Target = url;
        continue;
      }
      break;
    }
  } catch (...) {
    // A response not read to its end leaves unknown bytes on the connection: never reuse it.
    try {
      if (!responseComplete_ || closeAfterExchange_ || !response_.KeepAlive()) DropConnection();
    } catch (...) {
    }
    throw;
  }
  if (!responseComplete_ || closeAfterExchange_ || !response_.KeepAlive()) DropConnection();
}

void TNetHTTP::DropConnection() {
  Disconnect();
  // Bytes left unread belong to the closed connection; kept, they would make the client look
  // connected and the next request would go out on the dead socket.
  if (TNetIOHandlerStack* handler = IOHandler()) handler->InputBuffer()->Clear();
}

void TNetHTTP::ResolveTarget() {
  TNetURI u(request_.Target);
  if (!u.Username.empty()) {
    request_.Username = u.Username;
    request_.Password = u.Password;
  }
  currentUri_.Username = request_.Username;
  currentUri_.Password = request_.Password;
  currentUri_.Path = TNetURI::MergePath(currentUri_.Path, u.Path);
  currentUri_.Document = u.Document;
  currentUri_.Params = u.Params;
  if (!u.Host.empty()) currentUri_.Host = u.Host;

  if (!u.Protocol.empty()) {
    currentUri_.Protocol = u.Protocol;
  } else {
    currentUri_.Protocol = SameText(currentUri_.Protocol, "https") ? "https" : "http";
  }

  if (!u.Port.empty()) {
    currentUri_.Port = u.Port;
  } else if (SameText(u.Protocol, "http")) {
    currentUri_.Port = "80";
  } else if (SameText(u.Protocol, "https")) {
    currentUri_.Port = "443";
  } else if (currentUri_.Port.empty()) {
    throw ENetUnknownProtocol("Unknown Protocol");
  }

  request_.Target = currentUri_.Path + currentUri_.Document + currentUri_.Params;
  if (request_.Method == "OPTIONS" && SameText(currentUri_.Document, "*")) {
    request_.Target = currentUri_.Document;
  }
  request_.IPVersion = currentUri_.IPVersion = u.IPVersion;

  const std::string& method = request_.Method;
  if ((method == "TRACE" || method == "PUT" || method == "OPTIONS" || method == "DELETE") &&
      ProtocolVersion != pv1_1) {
    throw ENetException("Request method requires HTTP version 1.1");
  }
  request_.SetContentLength(request_.SourceStream ? request_.SourceStream->Size() : -1);

  // An IPv6 literal keeps its brackets in the Host header, where the port follows a ":".
  std::string host =
      currentUri_.IPVersion == Net_IPv6 ? "[" + currentUri_.Host + "]" : currentUri_.Host;
  request_.Host = currentUri_.Port == "80" ? host : host + ":" + currentUri_.Port;
}

void TNetHTTP::OpenConnection() {
  TNetIOHandlerStack* handler = IOHandler();
  if (handler && handler->Binding() && handler->Binding()->IPVersion() != currentUri_.IPVersion &&
      Connected()) {
    DropConnection();
  }
  auto number = TryStrToInt64(currentUri_.Port);
  int port = (number && *number >= 0 && *number <= 65535) ? static_cast<int>(*number) : 80;
  if ((!SameText(Host(), currentUri_.Host) || Port() != port) && Connected()) DropConnection();
  if (SameText(currentUri_.Protocol, "HTTPS")) {
    // No TLS-capable handler exists in this client.
    throw ENetIOHandlerPropInvalid("IOHandler value is not valid");
  }
  request_.ConnectionKind = ckDirect;
  SetHost(currentUri_.Host);
  SetPort(port);

  if (ProtocolVersion == pv1_0 && request_.Connection.empty()) request_.Connection = "keep-alive";
  if (request_.AcceptEncoding.find("identity") == std::string::npos) {
    request_.AcceptEncoding += "identity";
  }

  EnsureConnected();
  SendRequestHead();
  if ((request_.Method == "POST" || request_.Method == "PUT") && request_.SourceStream) {
    IO().Write(*request_.SourceStream, 0, false);
  }
}

void TNetHTTP::EnsureConnected() {
  if (!response_.KeepAlive()) DropConnection();
  CheckClosed(false);
  if (!Connected()) {
    SetIPVersion(currentUri_.IPVersion);
    Connect();
  }
}

void TNetHTTP::AddCookieHeader() {
  if (!cookieManager_) return;
  std::string value = cookieManager_->BuildCookieHeader(currentUri_, false);
  if (!value.empty()) request_.RawHeaders.SetValue("Cookie", value);
}

void TNetHTTP::SendRequestHead() {
  request_.BuildHeaders();
  AddCookieHeader();
  TNetIOHandlerStack& io = IO();
  io.WriteBufferOpen(-1);
  try {
    io.WriteLn(request_.Method + " " + request_.Target + " HTTP/" +
               (ProtocolVersion == pv1_0 ? "1.0" : "1.1"));
    for (const std::string& line : request_.RawHeaders.Lines()) {
      if (!line.empty()) io.WriteLn(line);
    }
    io.WriteLn("");
    io.WriteBufferClose();
  } catch (...) {
    io.WriteBufferCancel();
    throw;
  }
}

void TNetHTTP::ReadResponseHeaders() {
  response_.RawHeaders.Clear();
  try {
    TNetIOHandlerStack& io = IO();
    for (;;) {
      std::string line = io.ReadLn();
      if (line.empty()) break;
      // A peer may not make us hold an endless head.
      if (static_cast<std::int64_t>(response_.RawHeaders.Count()) >= MaxHeaderLines) {
        throw ENetHTTPHeaderLimitExceeded(
            FormatMessage("More than %s header lines", std::to_string(MaxHeaderLines)));
      }
      response_.RawHeaders.Add(std::move(line));
    }
  } catch (const ENetConnClosedGracefully&) {
    Disconnect();
  }
  response_.ParseHeaders();
}

void TNetHTTP::StoreResponseCookies() {
  if (!cookieManager_ && AllowCookies) {
    ownedCookieManager_ = std::make_unique<TNetCookieManager>();
    cookieManager_ = ownedCookieManager_.get();
  }
  if (!cookieManager_) return;
  const TNetHeaderList& headers = response_.RawHeaders;
  for (const char* name : {"Set-cookie", "Set-cookie2"}) {
    for (std::size_t i = 0; i < headers.Count(); ++i) {
      if (!SameText(headers.NameOf(i), name)) continue;
      if (name[10] == '2') {
        cookieManager_->AddServerCookie2(headers.ValueOf(i), currentUri_.Host);
      } else {
        cookieManager_->AddServerCookie(headers.ValueOf(i), currentUri_.Host);
      }
    }
  }
}

bool TNetHTTP::AskRedirect(std::string& location, std::string& method, int count) {
  bool answer = HandleRedirects;
  if (OnRedirect) OnRedirect(*this, location, count, answer, method);
  return answer;
}

void TNetHTTP::FailWithBody(const std::vector<std::int16_t>& ignoredCodes, bool& raised) {
  TBoundedSink buffer(kMaxErrorText);
  TStream* previous = response_.BodyStream;
  response_.BodyStream = &buffer;
  try {
    ReadBody();
  } catch (...) {
    response_.BodyStream = previous;
    throw;
  }
  response_.BodyStream = previous;
  responseComplete_ = true;
  std::int32_t code = response_.StatusCode();
  raised = !IsIgnored(ignoredCodes, code);
  if (raised) throw ENetHTTPProtocolException(code, response_.StatusLine, buffer.Text());
}

TNetHTTPNextStep TNetHTTP::ClassifyResponse(const std::vector<std::int16_t>& ignoredCodes) {
  if (OnHeadersAvailable) {
    bool proceed = true;
    OnHeadersAvailable(*this, response_.RawHeaders, proceed);
    if (!proceed) {
      closeAfterExchange_ = true;
      return nsDone;
    }
  }
  const std::int32_t code = response_.StatusCode();
  const std::int32_t kind = code / 100;
  bool raised = false;

  if ((kind == 3 && code != 304) || !response_.Location.empty()) {
    ++redirectCount_;
    std::string location = response_.Location;
    std::string method = request_.Method;
    TNetHTTPNextStep result = nsDone;
    if (HandleRedirects && redirectCount_ < RedirectMaximum) {
      if (AskRedirect(location, method, redirectCount_)) {
        result = nsFollowUrl;
        request_.Target = location;
        if (code == 302 || code == 303) {
          request_.SourceStream = nullptr;
          request_.Method = "GET";
        } else {
          request_.Method = method;
        }
      } else {
        FailWithBody(ignoredCodes, raised);
        return nsDone;
      }
    } else if (!AskRedirect(location, method, redirectCount_)) {
      FailWithBody(ignoredCodes, raised);
      return nsDone;
    } else {
      response_.Location = location;
    }
    if (Connected()) {
      TNetIOHandlerStack& io = IO();
      int saved = io.ReadTimeout;
      io.ReadTimeout = kRedirectBodyTimeoutMs;
      try {
        DiscardBody();
        responseComplete_ = true;
      } catch (const Exception&) {
        // A redirect's body is of no use; the connection is dropped at the end instead.
      }
      io.ReadTimeout = saved;
    }
    return result;
  }

  bool needAuth = false;
  if (kind != 2) {
    if (code == 401) {
      // One retry with credentials at most: a second 401 fails.
      if (authSent_ || authRetries_ >= MaxAuthRetries || !PrepareAuthorization()) {
        if (auto* auth = request_.Authentication()) auth->Reset();
        FailWithBody(ignoredCodes, raised);
        return nsDone;
      }
      needAuth = (HTTPOptions & hoInProcessAuth) != 0;
      // A 401 is never a success: without in-process retry it fails like any error status.
      if (!needAuth) {
        FailWithBody(ignoredCodes, raised);
        return nsDone;
      }
    } else if (code == 407) {
      if (authProxyRetries_ >= MaxAuthRetries || !PrepareProxyAuthorization()) {
        if (ProxyParams.Authentication) ProxyParams.Authentication->Reset();
        FailWithBody(ignoredCodes, raised);
        return nsDone;
      }
      needAuth = (HTTPOptions & hoInProcessAuth) != 0;
      if (!needAuth) {
        FailWithBody(ignoredCodes, raised);
        return nsDone;
      }
    } else {
      FailWithBody(ignoredCodes, raised);
      return nsDone;
    }
  }
  if (needAuth) {
    DiscardBody();
    responseComplete_ = true;
    authSent_ = true;
    return nsAuthRetry;
  }
  if (code != 204) ReadBody();
  responseComplete_ = true;
  return nsDone;
}

bool TNetHTTP::PrepareAuthorization() {
  ++authRetries_;
  if (!request_.Authentication()) {
    TNetAuthenticationClass chosen;
    for (const std::string& line : response_.WWWAuthenticate.Lines()) {
      chosen = FindAuthScheme(line.substr(0, line.find(' ')));
      if (chosen) break;
    }
    if (!chosen) return false;
    if (OnSelectAuthorization) OnSelectAuthorization(*this, chosen, response_.WWWAuthenticate);
    if (!chosen) return false;
    request_.SetAuthentication(chosen.create());
  }
  TNetAuthentication& auth = *request_.Authentication();
  bool answer = OnAuthorization || !Trim(request_.Password).empty();
  if (!answer) return false;
  auth.SetUsername(request_.Username);
  auth.SetPassword(request_.Password);
  auth.Params().SetValue("Authorization", auth.Authenticate());
  auth.AuthParams().Assign(response_.WWWAuthenticate);
  // Each round either ends or goes through the handler, which must change something to go on.
  for (int round = 0; round < 16; ++round) {
    switch (auth.Next()) {
      case TNetAuthWhatsNext::authSend:
        return true;
      case TNetAuthWhatsNext::authFail:
        return false;
      case TNetAuthWhatsNext::authAsk: {
        // Without a handler nobody can supply the missing user name.
        if (!OnAuthorization) return false;
        auth.SetUsername(request_.Username);
        auth.SetPassword(request_.Password);
        bool handled = answer;
        OnAuthorization(*this, auth, handled);
        if (!handled) return false;
        request_.BasicAuthentication = true;
        request_.Username = auth.Username();
        request_.Password = auth.Password();
        break;
      }
    }
  }
  return false;
}

bool TNetHTTP::PrepareProxyAuthorization() {
  ++authProxyRetries_;
  if (!ProxyParams.Authentication) {
    TNetAuthenticationClass chosen;
    for (const std::string& line : response_.ProxyAuthenticate.Lines()) {
      chosen = FindAuthScheme(line.substr(0, line.find(' ')));
      if (chosen) break;
    }
    if (!chosen) return false;
    ProxyParams.Authentication = chosen.create();
  }
  // No proxy authorization handler exists in this client.
  return false;
}

void TNetHTTP::DoOnDisconnected() {
  TNetTCPClient::DoOnDisconnected();
  TNetAuthentication* auth = request_.Authentication();
  if (auth && auth->Steps() == auth->CurrentStep()) request_.SetAuthentication(nullptr);
  if (ProxyParams.Authentication &&
      ProxyParams.Authentication->Steps() == ProxyParams.Authentication->CurrentStep()) {
    ProxyParams.Authentication->Reset();
  }
}

}  // namespace orvex
