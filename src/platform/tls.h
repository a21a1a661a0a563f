#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A TLS client engine over memory buffers (OpenSSL on Linux, Schannel on Windows). It never
// touches a socket: the caller hands it the bytes received from the peer and sends what it
// produces. TLS 1.2 or newer; the host name goes out as SNI and is checked against the server's
// certificate, whose chain must lead to a trust anchor. Results come back by value.
namespace orvex::platform {

struct TlsSession;

enum class TlsStatus {
  kOk,               // the step is done (handshake complete, plaintext produced)
  kWantInput,        // more bytes from the peer are needed: receive, then call again
  kClosed,           // the peer ended the session in order (close_notify)
  kUntrustedIssuer,  // the chain does not lead to a trust anchor
  kNameMismatch,     // the certificate is not for the host name
  kExpired,          // a certificate of the chain is out of its validity period
  kBadCertificate,   // any other certificate fault (signature, usage, malformed)
  kFailed,           // handshake or record failure (protocol error, alert, garbage)
};

struct TlsResult {
  TlsStatus status = TlsStatus::kOk;
  std::string error;  // the platform's own text for a failure
};

// DER certificates.
using TlsAnchors = std::vector<std::vector<std::uint8_t>>;

// A client session for `host`. `anchors` become the only trusted certificates (the chain's root
// must be one of them); empty anchors mean the system's trust store. Null on failure, with the
// reason in `error`.
TlsSession* CreateTlsClient(const std::string& host, const TlsAnchors& anchors, std::string& error);
void DestroyTlsSession(TlsSession* session);

// One handshake step. `received` holds the peer's bytes not yet taken; `consumed` tells how many
// of them the session took (it may overwrite those in place), the rest must be offered again
// with more behind them. Bytes to send to the peer are appended to `toSend`. kOk once the
// handshake is complete and the certificate was accepted.
TlsResult TlsHandshake(TlsSession* session, std::span<std::uint8_t> received, std::size_t& consumed,
                       std::vector<std::uint8_t>& toSend);

// Encrypts plaintext into records appended to `records` (with anything else the session has to
// send).
TlsResult TlsEncrypt(TlsSession* session, std::span<const std::uint8_t> plaintext,
                     std::vector<std::uint8_t>& records);

// Decrypts records from `received` (the same taking rule as the handshake) into `plaintext`.
// `produced` bytes were written; kOk when at least one was, kWantInput when a whole record is
// still missing, kClosed at the peer's close_notify. Plaintext that does not fit is kept for the
// next call.
TlsResult TlsDecrypt(TlsSession* session, std::span<std::uint8_t> received, std::size_t& consumed,
                     std::span<std::uint8_t> plaintext, std::size_t& produced);

}  // namespace orvex::platform
