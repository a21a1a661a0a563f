#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "net/exceptions.h"

namespace orvex {

// A reply that is not what was asked for: the status line, its code and the body text.
class ENetReplyError : public ENetException {
 public:
  ENetReplyError(std::int32_t errorCode, std::string message, std::string errorMessage = {})
      : ENetException(std::move(message)),
        errorCode_(errorCode),
        errorMessage_(std::move(errorMessage)) {}
  std::int32_t ErrorCode() const { return errorCode_; }
  const std::string& ErrorMessage() const { return errorMessage_; }

 private:
  std::int32_t errorCode_;
  std::string errorMessage_;
};
ORVEX_EXCEPTION_CLASS(ENetReplyRFCError, ENetReplyError);
// An error status: Message the status line, ErrorCode the code, ErrorMessage the body.
ORVEX_EXCEPTION_CLASS(ENetHTTPProtocolException, ENetReplyRFCError);

// "Protocol field is empty", "Host field is empty"
ORVEX_EXCEPTION_CLASS(ENetURIException, ENetException);
// "Unknown Protocol"
ORVEX_EXCEPTION_CLASS(ENetUnknownProtocol, ENetException);
// "IOHandler value is not valid"
ORVEX_EXCEPTION_CLASS(ENetIOHandlerPropInvalid, ENetException);
// "Failed attempting to retrieve time zone information."
ORVEX_EXCEPTION_CLASS(ENetFailedToRetreiveTimeZoneInfo, ENetException);
// "This authentication method is already registered with class name %s."
ORVEX_EXCEPTION_CLASS(ENetAlreadyRegisteredAuthenticationMethod, ENetException);
// A response head with more lines than MaxHeaderLines.
ORVEX_EXCEPTION_CLASS(ENetHTTPHeaderLimitExceeded, ENetException);
// More interim ("100 Continue") replies than a request takes.
ORVEX_EXCEPTION_CLASS(ENetHTTPInterimLimitExceeded, ENetException);
// A body whose framing is broken: a chunk-size line that is not a number, a body cut short.
ORVEX_EXCEPTION_CLASS(ENetHTTPBodyIncomplete, ENetException);

}  // namespace orvex
