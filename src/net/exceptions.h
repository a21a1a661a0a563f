#pragma once

#include <string>

#include "core/exception.h"

namespace orvex {

// Texts of the network failures.
inline constexpr const char* kTextConnClosedGracefully = "Connection Closed Gracefully.";
inline constexpr const char* kTextNotConnected = "Not Connected";
inline constexpr const char* kTextReadTimeout = "Read Timeout";
inline constexpr const char* kTextClosedSocket = "Disconnected.";
inline constexpr const char* kTextMaxLineLengthExceeded = "Max line length exceeded.";
inline constexpr const char* kTextConnectTimeout = "Connect timed out.";
inline constexpr const char* kTextAlreadyConnected = "Already connected.";
inline constexpr const char* kTextNoDataToRead = "No data to read.";
inline constexpr const char* kTextTooMuchDataInBuffer = "Too much data in buffer.";
inline constexpr const char* kTextNotEnoughDataInBuffer = "Not enough data in buffer.";
inline constexpr const char* kTextBufferTerminator = "Buffer terminator must be specified.";
inline constexpr const char* kTextBufferStart = "Buffer start position is invalid.";
inline constexpr const char* kTextCouldNotBindSocket =
    "Could not bind socket. Address and port are already in use.";
inline constexpr const char* kTextInvalidPortRange = "Invalid Port Range (%d - %d)";
inline constexpr const char* kTextCanNotBindPortInRange = "Can not bind in port range (%d - %d)";
inline constexpr const char* kTextCannotSetIPVersion = "Cannot change IPVersion when connected";
inline constexpr const char* kTextIPVersionUnsupported =
    "The requested IPVersion / Address family is not supported.";
inline constexpr const char* kTextIPv6Unavailable = "IPv6 unavailable";
inline constexpr const char* kTextInvalidIPv6Address = "%s is not a valid IPv6 address";
inline constexpr const char* kTextSetSizeExceeded = "Set Size Exceeded.";
inline constexpr const char* kTextStackInitializationFailed = "Winsock Initialization Error.";
inline constexpr const char* kTextStackClassUndefined = "Stack Class is undefined.";
inline constexpr const char* kTextStackAlreadyCreated = "Stack already created.";
inline constexpr const char* kTextInvalidInteger = "'%s' is not a valid integer value";
// Why a server's certificate was refused (ENetCertificateError), and TLS failures' details.
inline constexpr const char* kTextUntrustedIssuer = "untrusted issuer";
inline constexpr const char* kTextNameMismatch = "name mismatch";
inline constexpr const char* kTextCertificateExpired = "expired or not yet valid";
inline constexpr const char* kTextBadCertificate = "invalid certificate";
inline constexpr const char* kTextTlsPeerClosed = "the server closed the connection";
inline constexpr const char* kTextTlsRecordTooLong = "record too long";
inline constexpr const char* kTextTlsRecordCut = "the connection ended inside a record";

// Base of every failure of the HTTP client and the transport under it.
ORVEX_EXCEPTION_CLASS(ENetException, Exception);

// A socket call failed; LastError carries the Windows Sockets code.
class ENetSocketError : public ENetException {
 public:
  ENetSocketError(int code, std::string message)
      : ENetException(std::move(message)), last_error_(code) {}
  int LastError() const { return last_error_; }

 private:
  int last_error_;
};
ORVEX_EXCEPTION_CLASS(ENetNotASocket, ENetSocketError);

ORVEX_EXCEPTION_CLASS(ENetConnClosedGracefully, ENetException);
ORVEX_EXCEPTION_CLASS(ENetClosedSocket, ENetException);
ORVEX_EXCEPTION_CLASS(ENetReadTimeout, ENetException);
// The exchange broke its total time limit or moved slower than its least rate; the text says which.
ORVEX_EXCEPTION_CLASS(ENetTransferLimitExceeded, ENetReadTimeout);
ORVEX_EXCEPTION_CLASS(ENetReadLnMaxLineLengthExceeded, ENetException);
ORVEX_EXCEPTION_CLASS(ENetConnectTimeout, ENetException);
ORVEX_EXCEPTION_CLASS(ENetConnectException, ENetException);
ORVEX_EXCEPTION_CLASS(ENetAlreadyConnected, ENetException);
ORVEX_EXCEPTION_CLASS(ENetHostRequired, ENetException);
ORVEX_EXCEPTION_CLASS(ENetPortRequired, ENetException);
ORVEX_EXCEPTION_CLASS(ENetNoDataToRead, ENetException);
ORVEX_EXCEPTION_CLASS(ENetIoHandlerRequiresLargeStream, ENetException);
ORVEX_EXCEPTION_CLASS(ENetTooMuchDataInBuffer, ENetException);
ORVEX_EXCEPTION_CLASS(ENetNotEnoughDataInBuffer, ENetException);
// TLS could not be set up or a record was not valid (handshake failure, plain text, garbage).
ORVEX_EXCEPTION_CLASS(ENetTlsError, ENetException);
// The server's certificate was refused: untrusted issuer, name mismatch, expired.
ORVEX_EXCEPTION_CLASS(ENetCertificateError, ENetTlsError);
// A text that should be a number is not one (address pieces).
ORVEX_EXCEPTION_CLASS(ENetConvertError, ENetException);

ORVEX_EXCEPTION_CLASS(ENetStackError, ENetException);
ORVEX_EXCEPTION_CLASS(ENetStackInitializationFailed, ENetStackError);
ORVEX_EXCEPTION_CLASS(ENetStackSetSizeExceeded, ENetStackError);
ORVEX_EXCEPTION_CLASS(ENetIPVersionUnsupported, ENetStackError);

ORVEX_EXCEPTION_CLASS(ENetSocketHandleError, ENetException);
ORVEX_EXCEPTION_CLASS(ENetCouldNotBindSocket, ENetSocketHandleError);
ORVEX_EXCEPTION_CLASS(ENetCanNotBindPortInRange, ENetSocketHandleError);
ORVEX_EXCEPTION_CLASS(ENetInvalidPortRange, ENetSocketHandleError);
ORVEX_EXCEPTION_CLASS(ENetCannotSetIPVersionWhenConnected, ENetSocketHandleError);

ORVEX_EXCEPTION_CLASS(ENetIPv6Unavailable, ENetException);
ORVEX_EXCEPTION_CLASS(ENetInvalidIPv6Address, ENetException);

// The socket library could not be started or reached.
class ENetWinsockStubError : public ENetException {
 public:
  ENetWinsockStubError(int win32Error, std::string win32ErrorMessage, std::string title)
      : ENetException(win32Error == 0 ? title : title + ": " + win32ErrorMessage),
        win32_error_(win32Error),
        win32_error_message_(std::move(win32ErrorMessage)),
        title_(std::move(title)) {}
  int Win32Error() const { return win32_error_; }
  const std::string& Win32ErrorMessage() const { return win32_error_message_; }
  const std::string& Title() const { return title_; }

 private:
  int win32_error_;
  std::string win32_error_message_;
  std::string title_;
};

// Fills the "%d" markers of a message template in order.
std::string FormatCodes(std::string templ, long long first, long long second = 0);

}  // namespace orvex
