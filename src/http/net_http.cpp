#include "http/net_http.h"

#include "core/exception.h"
#include "core/pem.h"
#include "core/text.h"
#include "http/http_exception.h"
#include "http/response_reader.h"
#include "net/buffer.h"
#include "net/exceptions.h"
#include "stream/stream.h"

namespace orvex {

namespace {

// Decimal digits worth 1..65535 (leading zeros allowed).
bool ValidPortText(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const std::size_t first = text.find_first_not_of('0');
  if (first == std::string::npos || text.size() - first > 5) return false;
  return std::stoi(text.substr(first)) <= 65535;
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
  return client_.Connected() && HeadAllowsKeepAlive();
}

bool TNetHTTPResponse::HeadAllowsKeepAlive() const {
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

void TNetHTTP::LoadTrustAnchors(const std::string& pemFile) {
  trustAnchorsError_.clear();
  std::string text;
  try {
    TFileStream file(pemFile, TFileStream::Mode::OpenRead);
    if (file.Size() > kMaxTrustAnchorFileSize) throw ENetException("too large");
    text.resize(static_cast<std::size_t>(file.Size()));
    if (file.Read(text.data(), text.size()) != text.size()) throw ENetException("short read");
  } catch (const std::exception&) {
    trustAnchorsError_ = "Trust anchors cannot be read from " + pemFile;
    return;
  }
  TNetTrustAnchors anchors = DecodePemBlocks(text, "CERTIFICATE");
  if (anchors.empty()) {
    trustAnchorsError_ = "No certificate in " + pemFile;
    return;
  }
  SetTrustAnchors(std::move(anchors));
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
  request_.Method = method;
  request_.SourceStream = source;

  TransferBounds().Start(SteadyMs(), TotalTimeout, MinimumRate, RateWindow);
  try {
    // A redirect moves on to its location; a retry with credentials asks for the same URL.
    for (std::string target = url;;) {
      ResolveTarget(target);
      SendAndAwaitReply();
      TNetHTTPNextStep next = ReadResponse(IO(), stream, ignoredCodes);
      if (next == nsFollowUrl) {
        if (stream) {
          stream->SetPosition(start);
          stream->SetSize(start);
        }
        authRetries_ = authProxyRetries_ = 0;
        authSent_ = false;
        target = response_.Location;
        continue;
      }
      if (next == nsAuthRetry) continue;
      break;
    }
  } catch (...) {
    FinishConnection();
    TransferBounds().Stop();
    throw;
  }
  FinishConnection();
  TransferBounds().Stop();
}

void TNetHTTP::SendAndAwaitReply() {
  for (bool retried = false;; retried = true) {
    reusedConnection_ = false;
    responseComplete_ = false;
    try {
      OpenConnection();
      TNetIOHandlerStack& io = IO();
      while (io.Input().Size() == 0) {
        if (io.Fill() == 0) throw ENetConnClosedGracefully(kTextConnClosedGracefully);
      }
      return;
    } catch (const ENetReadTimeout&) {
      throw;  // a silent server is not a closed connection: waiting again would double the wait
    } catch (const ENetException& failure) {
      const bool lost = dynamic_cast<const ENetConnClosedGracefully*>(&failure) ||
                        dynamic_cast<const ENetSocketError*>(&failure) ||
                        dynamic_cast<const ENetClosedSocket*>(&failure);
      // A body to send may have been read already; only requests without one go again.
      if (retried || !reusedConnection_ || !lost || request_.SourceStream) throw;
      DropConnection();
    }
  }
}

TNetHTTPNextStep TNetHTTP::ReadResponse(TNetByteSource& source, TStream* body,
                                        const std::vector<std::int16_t>& ignoredCodes) {
  responseComplete_ = false;
  TNetIOHandlerStack* handler = IOHandler();
  TNetHTTPReader reader(
      source, MaxHeaderLines,
      handler ? handler->MaxLineLength : TNetIOHandlerStack::kDefaultMaxLineLength);
  response_.StatusLine = reader.ReadLine();
  ReadInterimAndFinalHeads(reader);
  return ClassifyResponse(reader, body, ignoredCodes);
}

void TNetHTTP::ReadInterimAndFinalHeads(TNetHTTPReader& reader) {
  for (int interim = 0;;) {
    ReadResponseHeaders(reader);
    StoreResponseCookies();
    if (response_.StatusCode() != 100) return;
    // A server could otherwise keep the request waiting with interim replies for good.
    if (++interim > kMaxInterimReplies) {
      throw ENetHTTPInterimLimitExceeded(
          FormatMessage("More than %s interim replies", std::to_string(kMaxInterimReplies)));
    }
    response_.StatusLine = reader.ReadLine();
  }
}

void TNetHTTP::FinishConnection() noexcept {
  // A response not read to its end leaves unknown bytes on the connection: never reuse it.
  try {
    // Bytes after the end of the response are no reply to anything: the connection is out of
    // step with the requests and cannot serve another one (KeepAlive takes in what has arrived).
    if (!responseComplete_ || closeAfterExchange_ || !response_.KeepAlive() ||
        (IOHandler() && IOHandler()->InputBuffer()->Size() > 0)) {
      DropConnection();
    }
  } catch (...) {
    // The exchange's outcome stands; a connection that fails its check is simply dropped.
    try {
      DropConnection();
    } catch (...) {
    }
  }
}

void TNetHTTP::DropConnection() {
  Disconnect();
  // Bytes left unread belong to the closed connection; kept, they would make the client look
  // connected and the next request would go out on the dead socket.
  if (TNetIOHandlerStack* handler = IOHandler()) handler->InputBuffer()->Clear();
}

void TNetHTTP::ResolveTarget(const std::string& url) {
  TNetURI u(url);
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
    // Anything but a number in 1..65535 is refused: read leniently, "70000" or "-1" would
    // send the request to another site's port 80.
    if (!ValidPortText(u.Port)) {
      throw ENetURIException(FormatMessage("Invalid port number in URL: %s", u.Port));
    }
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
  const bool defaultPort = SameText(currentUri_.Protocol, "https") ? currentUri_.Port == "443"
                                                                   : currentUri_.Port == "80";
  request_.Host = defaultPort ? host : host + ":" + currentUri_.Port;
}

void TNetHTTP::OpenConnection() {
  TNetIOHandlerStack* handler = IOHandler();
  if (handler && handler->Binding() && handler->Binding()->IPVersion() != currentUri_.IPVersion &&
      Connected()) {
    DropConnection();
  }
  if (!ValidPortText(currentUri_.Port)) {
    throw ENetURIException(FormatMessage("Invalid port number in URL: %s", currentUri_.Port));
  }
  const int port = std::stoi(currentUri_.Port);
  const bool tls = SameText(currentUri_.Protocol, "HTTPS");
  // Configured trust that could not be loaded fails every request: never the system's store
  // in its place.
  if (!trustAnchorsError_.empty()) throw ENetCertificateError(trustAnchorsError_);
  // A kept connection serves only the same host, port and kind of transport.
  if ((!SameText(Host(), currentUri_.Host) || Port() != port ||
       (handler && handler->TlsActive() != tls)) &&
      Connected()) {
    DropConnection();
  }
  request_.ConnectionKind = tls ? ckTls : ckDirect;
  SetHost(currentUri_.Host);
  SetPort(port);
  SetUseTls(tls);

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
  bool connected = false;
  try {
    if (!response_.KeepAlive()) DropConnection();
    CheckClosed(false);
    connected = Connected();
    // Bytes that came while the connection was idle answer nothing this client asked.
    if (connected && IO().InputBuffer()->Size() > 0) {
      DropConnection();
      connected = false;
    }
  } catch (const ENetException&) {
    // The kept connection broke while idle (a reset, say); nothing was sent on it yet, so a
    // fresh connection serves the request.
    try {
      DropConnection();
    } catch (const ENetException&) {
    }
  }
  reusedConnection_ = connected;
  if (!connected) {
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

void TNetHTTP::ReadResponseHeaders(TNetHTTPReader& reader) {
  response_.RawHeaders.Clear();
  // A head cut short by the peer fails (ENetConnClosedGracefully): taken as complete, it
  // would pass an empty or partial body as a success.
  reader.ReadHeaderLines(&response_.RawHeaders);
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

}  // namespace orvex
