// What happens after a response head: redirect, authentication retry, body or failure.
#include <algorithm>

#include "http/http_exception.h"
#include "http/net_http.h"
#include "http/response_reader.h"
#include "net/io_handler.h"
#include "stream/bounded_sink.h"
#include "stream/stream.h"

namespace orvex {

namespace {

constexpr int kRedirectBodyTimeoutMs = 4000;
// An error body is read off the connection in full, but only this much becomes ErrorMessage.
constexpr std::size_t kMaxErrorText = 1 << 20;

bool IsIgnored(const std::vector<std::int16_t>& codes, std::int32_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

bool TNetHTTP::AskRedirect(std::string& location, std::string& method, int count) {
  bool answer = HandleRedirects;
  if (OnRedirect) OnRedirect(*this, location, count, answer, method);
  return answer;
}

void TNetHTTP::ReadBody(TNetHTTPReader& reader, TStream& target) {
  if (TNetHTTPReader::IsChunked(response_)) DoStatus(hsStatusText, "Chunk Started");
  reader.ReadBody(response_, target);
}

void TNetHTTP::DiscardBody(TNetHTTPReader& reader) {
  TBoundedSink scratch(0);
  ReadBody(reader, scratch);
}

void TNetHTTP::FailWithBody(TNetHTTPReader& reader, const std::vector<std::int16_t>& ignoredCodes) {
  TBoundedSink buffer(kMaxErrorText);
  ReadBody(reader, buffer);
  responseComplete_ = true;
  const std::int32_t code = response_.StatusCode();
  if (!IsIgnored(ignoredCodes, code)) {
    throw ENetHTTPProtocolException(code, response_.StatusLine, buffer.Text());
  }
}

TNetHTTPNextStep TNetHTTP::ClassifyResponse(TNetHTTPReader& reader, TStream* body,
                                            const std::vector<std::int16_t>& ignoredCodes) {
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

  if ((kind == 3 && code != 304) || !response_.Location.empty()) {
    ++redirectCount_;
    std::string location = response_.Location;
    std::string method = request_.Method;
    TNetHTTPNextStep result = nsDone;
    if (HandleRedirects && redirectCount_ < RedirectMaximum) {
      if (AskRedirect(location, method, redirectCount_)) {
        result = nsFollowUrl;
        if (code == 302 || code == 303) {
          request_.SourceStream = nullptr;
          request_.Method = "GET";
        } else {
          request_.Method = method;
        }
      } else {
        FailWithBody(reader, ignoredCodes);
        return nsDone;
      }
    } else if (!AskRedirect(location, method, redirectCount_)) {
      FailWithBody(reader, ignoredCodes);
      return nsDone;
    }
    // Where to go next, as the redirect handler left it.
    response_.Location = location;
    // A redirect's body is of no use: it gets a short wait, and when it fails the connection is
    // dropped at the end instead.
    TNetIOHandlerStack* handler = IOHandler();
    const int saved = handler ? handler->ReadTimeout : 0;
    if (handler) handler->ReadTimeout = kRedirectBodyTimeoutMs;
    try {
      DiscardBody(reader);
      responseComplete_ = true;
    } catch (const Exception&) {
    }
    if (handler) handler->ReadTimeout = saved;
    return result;
  }

  bool needAuth = false;
  if (kind != 2) {
    if (code == 401) {
      // One retry with credentials at most: a second 401 fails.
      if (authSent_ || authRetries_ >= MaxAuthRetries || !PrepareAuthorization()) {
        if (auto* auth = request_.Authentication()) auth->Reset();
        FailWithBody(reader, ignoredCodes);
        return nsDone;
      }
      needAuth = (HTTPOptions & hoInProcessAuth) != 0;
      // A 401 is never a success: without in-process retry it fails like any error status.
      if (!needAuth) {
        FailWithBody(reader, ignoredCodes);
        return nsDone;
      }
    } else if (code == 407) {
      if (authProxyRetries_ >= MaxAuthRetries || !PrepareProxyAuthorization()) {
        if (ProxyParams.Authentication) ProxyParams.Authentication->Reset();
        FailWithBody(reader, ignoredCodes);
        return nsDone;
      }
      needAuth = (HTTPOptions & hoInProcessAuth) != 0;
      if (!needAuth) {
        FailWithBody(reader, ignoredCodes);
        return nsDone;
      }
    } else {
      FailWithBody(reader, ignoredCodes);
      return nsDone;
    }
  }
  if (needAuth) {
    DiscardBody(reader);
    responseComplete_ = true;
    authSent_ = true;
    return nsAuthRetry;
  }
  if (code != 204) {
    // Without a stream the body is still read off, so the connection stays in step.
    if (body) {
      ReadBody(reader, *body);
    } else {
      DiscardBody(reader);
    }
  }
  responseComplete_ = true;
  return nsDone;
}
}  // namespace orvex
