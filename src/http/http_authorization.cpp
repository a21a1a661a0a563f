// Answering a 401 or 407 challenge with a registered scheme, and dropping finished ones.
#include "core/text.h"
#include "http/net_http.h"

namespace orvex {

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
