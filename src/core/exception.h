#pragma once

#include <exception>
#include <string>
#include <utility>

namespace orvex {

// Every failure the launcher raises is an Exception (or derived) carrying a message text that
// may reach the user through the error box.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message = {}) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Replaces the first "%s" of a message template; the texts of the failures use this form.
inline std::string FormatMessage(std::string templ, const std::string& value) {
  auto at = templ.find("%s");
  if (at != std::string::npos) templ.replace(at, 2, value);
  return templ;
}

#define ORVEX_EXCEPTION_CLASS(Name, Base) \
  class Name : public Base {              \
   public:                                \
    using Base::Base;                     \
  }

// Dropped silently by the error reporting.
ORVEX_EXCEPTION_CLASS(EAbort, Exception);
// "Not enough timers available"
ORVEX_EXCEPTION_CLASS(EOutOfResources, Exception);
// "A component named %s already exists"
ORVEX_EXCEPTION_CLASS(EComponentError, Exception);
// "Resource %s not found"
ORVEX_EXCEPTION_CLASS(EResNotFound, Exception);
// "Class %s not found"
ORVEX_EXCEPTION_CLASS(EClassNotFound, Exception);
// A stored property the component does not know, or of the wrong kind.
ORVEX_EXCEPTION_CLASS(EReadError, Exception);
// "Unable to write to %s" and other file failures.
ORVEX_EXCEPTION_CLASS(EInOutError, Exception);

}  // namespace orvex
