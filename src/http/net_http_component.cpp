// The client as a component of a form description: its stored settings and its class entry.
#include <limits>

#include "core/exception.h"
#include "core/text.h"
#include "http/net_http.h"
#include "shell/form_description.h"

namespace orvex {

namespace {

std::int32_t AsInt32(const PropertyValue& value) {
  std::int64_t number = PropertyAsInt(value);
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    throw EReadError("Invalid property value");
  }
  return static_cast<std::int32_t>(number);
}

// Enumerations and sets are stored either as their ordinal or as their identifiers.
TNetHTTPProtocolVersion AsProtocolVersion(const PropertyValue& value) {
  if (std::holds_alternative<std::string>(value)) {
    const std::string& text = PropertyAsText(value);
    if (SameText(text, "pv1_0")) return pv1_0;
    if (SameText(text, "pv1_1")) return pv1_1;
    throw EReadError("Invalid property value");
  }
  std::int64_t ordinal = PropertyAsInt(value);
  if (ordinal != pv1_0 && ordinal != pv1_1) throw EReadError("Invalid property value");
  return static_cast<TNetHTTPProtocolVersion>(ordinal);
}

TNetHTTPOptions AsOptions(const PropertyValue& value) {
  if (!std::holds_alternative<std::string>(value)) {
    std::int64_t bits = PropertyAsInt(value);
    if (bits < 0 || bits > 7) throw EReadError("Invalid property value");
    return static_cast<TNetHTTPOptions>(bits);
  }
  TNetHTTPOptions options = 0;
  std::string text = PropertyAsText(value);
  for (char& c : text) {
    if (c == '[' || c == ']' || c == ',') c = ' ';
  }
  std::size_t begin = 0;
  while (begin < text.size()) {
    auto end = text.find(' ', begin);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(begin, end - begin);
    if (SameText(name, "hoInProcessAuth")) {
      options |= hoInProcessAuth;
    } else if (SameText(name, "hoKeepOrigProtocol")) {
      options |= hoKeepOrigProtocol;
    } else if (SameText(name, "hoForceEncodeParams")) {
      options |= hoForceEncodeParams;
    } else if (!name.empty()) {
      throw EReadError("Invalid property value");
    }
    begin = end + 1;
  }
  return options;
}

}  // namespace

void TNetHTTP::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "MaxAuthRetries") {
    MaxAuthRetries = AsInt32(value);
  } else if (name == "AllowCookies") {
    AllowCookies = PropertyAsBool(value);
  } else if (name == "HandleRedirects") {
    HandleRedirects = PropertyAsBool(value);
  } else if (name == "RedirectMaximum") {
    RedirectMaximum = AsInt32(value);
  } else if (name == "ProtocolVersion") {
    ProtocolVersion = AsProtocolVersion(value);
  } else if (name == "HTTPOptions") {
    HTTPOptions = AsOptions(value);
  } else if (name == "MaxHeaderLines") {
    MaxHeaderLines = AsInt32(value);
  } else if (name == "ConnectTimeout") {
    SetConnectTimeout(AsInt32(value));
  } else if (name == "ReadTimeout") {
    SetReadTimeout(AsInt32(value));
  } else if (name == "TotalTimeout") {
    TotalTimeout = AsInt32(value);
  } else if (name == "MinimumRate") {
    MinimumRate = AsInt32(value);
  } else if (name == "RateWindow") {
    RateWindow = AsInt32(value);
  } else if (name == "ProxyParams.ProxyPort") {
    ProxyParams.ProxyPort = AsInt32(value);
  } else if (name == "ProxyParams.BasicAuthentication") {
    ProxyParams.BasicAuthentication = PropertyAsBool(value);
  } else if (name == "Request.Accept") {
    request_.Accept = PropertyAsText(value);
  } else if (name == "Request.UserAgent") {
    request_.UserAgent = PropertyAsText(value);
  } else if (name == "Request.BasicAuthentication") {
    request_.BasicAuthentication = PropertyAsBool(value);
  } else if (name == "Request.ContentLength") {
    request_.SetContentLength(PropertyAsInt(value));
  } else if (name == "Request.ContentRangeStart") {
    request_.ContentRangeStart = PropertyAsInt(value);
  } else if (name == "Request.ContentRangeEnd") {
    request_.ContentRangeEnd = PropertyAsInt(value);
  } else if (name == "Request.ContentRangeInstanceLength") {
    request_.ContentRangeInstanceLength = PropertyAsInt(value);
  } else {
    TComponent::SetProperty(name, value);
  }
}

void RegisterHttpClasses() {
  RegisterComponentClass("TNetHTTP", [](TComponent* owner) -> TComponent* {
    return new TNetHTTP(owner);  // owned by `owner` through the component model
  });
}

}  // namespace orvex
