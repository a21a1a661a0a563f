#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "http/header_list.h"

namespace orvex {

enum class TNetAuthWhatsNext { authAsk, authSend, authFail };

// An authentication scheme's state: credentials and challenge parameters as name/value lines.
class TNetAuthentication {
 public:
  TNetAuthentication();
  virtual ~TNetAuthentication() = default;
  TNetAuthentication(const TNetAuthentication&) = delete;
  TNetAuthentication& operator=(const TNetAuthentication&) = delete;

  virtual TNetAuthWhatsNext Next() = 0;
  virtual int Steps() const { return 0; }
  virtual void SetPassword(std::string_view password);
  virtual void SetUsername(std::string_view username);
  virtual void Reset() { currentStep_ = 0; }
  // The header value to send ("Authorization" or "Proxy-Authorization").
  virtual std::string Authenticate() = 0;
  virtual bool KeepAlive() const { return false; }
  virtual const char* ClassName() const = 0;

  std::string Username() const { return params_.Value("username"); }
  std::string Password() const { return params_.Value("password"); }
  int CurrentStep() const { return currentStep_; }
  TNetHeaderList& Params() { return params_; }
  TNetHeaderList& AuthParams() { return authParams_; }

 protected:
  int currentStep_ = 0;
  TNetHeaderList params_;
  TNetHeaderList authParams_;
};

class TNetBasicAuthentication : public TNetAuthentication {
 public:
  TNetAuthWhatsNext Next() override;
  int Steps() const override { return 1; }
  std::string Authenticate() override;
  const char* ClassName() const override { return "TNetBasicAuthentication"; }
  const std::string& Realm() const { return realm_; }

 private:
  std::string realm_;
};

// A class reference: its name and how to make one.
struct TNetAuthenticationClass {
  const char* className = nullptr;
  std::unique_ptr<TNetAuthentication> (*create)() = nullptr;
  explicit operator bool() const { return create != nullptr; }
  bool operator==(const TNetAuthenticationClass& other) const { return create == other.create; }
};

template <class Scheme>
TNetAuthenticationClass AuthenticationClassOf(const char* className) {
  return {className,
          []() -> std::unique_ptr<TNetAuthentication> { return std::make_unique<Scheme>(); }};
}

// The scheme registry; names compare without case. "Basic" is there from the start.
TNetAuthenticationClass FindAuthScheme(std::string_view name);
// Raises ENetAlreadyRegisteredAuthenticationMethod for a name already present.
void RegisterAuthScheme(std::string_view name, TNetAuthenticationClass authClass);
void UnregisterAuthScheme(std::string_view name);

// RFC 4648 Base64 with "=" fill and no line breaks.
std::string EncodeBase64(std::string_view bytes);

}  // namespace orvex
