// TLS client sessions with OpenSSL. The session's BIO reads straight from the caller's span and
// writes into the caller's vector, so no ciphertext is copied into an intermediate memory BIO.
#include "platform/tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace orvex::platform {

struct TlsSession {
  SSL_CTX* context = nullptr;
  SSL* ssl = nullptr;
  // The peer's bytes of the current call and how many the BIO handed out.
  std::span<std::uint8_t> in;
  std::size_t taken = 0;
  // Where the BIO puts bytes to send: the current call's vector, else `pending`.
  std::vector<std::uint8_t>* out = nullptr;
  std::vector<std::uint8_t> pending;
};

namespace {

int BioRead(BIO* bio, char* data, int size) {
  auto* session = static_cast<TlsSession*>(BIO_get_data(bio));
  BIO_clear_retry_flags(bio);
  std::size_t left = session->in.size() - session->taken;
  if (left == 0) {
    BIO_set_retry_read(bio);
    return -1;
  }
  std::size_t n = std::min<std::size_t>(left, static_cast<std::size_t>(size));
  std::memcpy(data, session->in.data() + session->taken, n);
  session->taken += n;
  return static_cast<int>(n);
}

int BioWrite(BIO* bio, const char* data, int size) {
  auto* session = static_cast<TlsSession*>(BIO_get_data(bio));
  BIO_clear_retry_flags(bio);
  std::vector<std::uint8_t>& out = session->out ? *session->out : session->pending;
  out.insert(out.end(), data, data + size);
  return size;
}

long BioControl(BIO*, int command, long, void*) {
  return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int BioCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

BIO_METHOD* SessionBioMethod() {
  static BIO_METHOD* method = [] {
    BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "orvex session");
    if (m) {
      BIO_meth_set_read(m, BioRead);
      BIO_meth_set_write(m, BioWrite);
      BIO_meth_set_ctrl(m, BioControl);
      BIO_meth_set_create(m, BioCreate);
    }
    return m;
  }();
  return method;
}

// The oldest queued OpenSSL error as text (the queue is emptied).
std::string ErrorQueueText(const char* fallback) {
  unsigned long code = ERR_get_error();
  std::string text = fallback;
  if (code != 0) {
    char buffer[256];
    ERR_error_string_n(code, buffer, sizeof buffer);
    text = buffer;
  }
  ERR_clear_error();
  return text;
}

TlsResult CertificateResult(long verify) {
  TlsResult result;
  result.error = X509_verify_cert_error_string(verify);
  switch (verify) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      result.status = TlsStatus::kExpired;
      break;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      result.status = TlsStatus::kNameMismatch;
      break;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      result.status = TlsStatus::kUntrustedIssuer;
      break;
    default:
      result.status = TlsStatus::kBadCertificate;
      break;
  }
  return result;
}

// The outcome of an SSL call that did not succeed.
TlsResult FailureOf(TlsSession* session, int code) {
  TlsResult result;
  switch (SSL_get_error(session->ssl, code)) {
    case SSL_ERROR_WANT_READ:
      result.status = TlsStatus::kWantInput;
      return result;
    case SSL_ERROR_ZERO_RETURN:
      result.status = TlsStatus::kClosed;
      return result;
    default:
      break;
  }
  long verify = SSL_get_verify_result(session->ssl);
  if (verify != X509_V_OK) {
    ERR_clear_error();
    return CertificateResult(verify);
  }
  result.status = TlsStatus::kFailed;
  result.error = ErrorQueueText("the TLS exchange failed");
  return result;
}

// Points the session's BIO at this call's buffers for the length of the call.
class CallBuffers {
 public:
  CallBuffers(TlsSession* session, std::span<std::uint8_t> in, std::vector<std::uint8_t>* out)
      : session_(session) {
    ERR_clear_error();
    session->in = in;
    session->taken = 0;
    session->out = out;
    if (out && !session->pending.empty()) {
      out->insert(out->end(), session->pending.begin(), session->pending.end());
      session->pending.clear();
    }
  }
  ~CallBuffers() {
    session_->in = {};
    session_->out = nullptr;
  }
  CallBuffers(const CallBuffers&) = delete;
  CallBuffers& operator=(const CallBuffers&) = delete;

 private:
  TlsSession* session_;
};

}  // namespace

TlsSession* CreateTlsClient(const std::string& host, const TlsAnchors& anchors,
                            std::string& error) {
  ERR_clear_error();
  auto session = std::make_unique<TlsSession>();
  session->context = SSL_CTX_new(TLS_client_method());
  if (!session->context) {
    error = ErrorQueueText("no TLS context");
    return nullptr;
  }
  std::unique_ptr<TlsSession, void (*)(TlsSession*)> guard(session.release(), DestroyTlsSession);
  TlsSession* s = guard.get();
  SSL_CTX_set_min_proto_version(s->context, TLS1_2_VERSION);
  SSL_CTX_set_verify(s->context, SSL_VERIFY_PEER, nullptr);
  if (anchors.empty()) {
    if (SSL_CTX_set_default_verify_paths(s->context) != 1) {
      error = ErrorQueueText("the system's trust store cannot be read");
      return nullptr;
    }
  } else {
    X509_STORE* store = SSL_CTX_get_cert_store(s->context);
    for (const auto& der : anchors) {
      const unsigned char* p = der.data();
      X509* certificate = d2i_X509(nullptr, &p, static_cast<long>(der.size()));
      if (!certificate || p != der.data() + der.size()) {
        X509_free(certificate);
        error = "a trust anchor is not a certificate";
        ERR_clear_error();
        return nullptr;
      }
      int added = X509_STORE_add_cert(store, certificate);
      X509_free(certificate);
      if (added != 1) {
        error = ErrorQueueText("a trust anchor cannot be used");
        return nullptr;
      }
    }
  }
  s->ssl = SSL_new(s->context);
  BIO_METHOD* method = SessionBioMethod();
  BIO* bio = method ? BIO_new(method) : nullptr;
  if (!s->ssl || !bio) {
    BIO_free(bio);
    error = ErrorQueueText("no TLS session");
    return nullptr;
  }
  BIO_set_data(bio, s);
  SSL_set_bio(s->ssl, bio, bio);  // the session owns the one reference
  SSL_set_connect_state(s->ssl);
  X509_VERIFY_PARAM* param = SSL_get0_param(s->ssl);
  // An address is checked against the certificate's IP entries; a name goes out as SNI too.
  if (X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str()) != 1) {
    ERR_clear_error();
    SSL_set_hostflags(s->ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (SSL_set1_host(s->ssl, host.c_str()) != 1 ||
        SSL_set_tlsext_host_name(s->ssl, host.c_str()) != 1) {
      error = ErrorQueueText("the host name cannot be used for TLS");
      return nullptr;
    }
  }
  return guard.release();
}

void DestroyTlsSession(TlsSession* session) {
  if (!session) return;
  SSL_free(session->ssl);
  SSL_CTX_free(session->context);
  delete session;
}

TlsResult TlsHandshake(TlsSession* session, std::span<std::uint8_t> received, std::size_t& consumed,
                       std::vector<std::uint8_t>& toSend) {
  CallBuffers call(session, received, &toSend);
  int code = SSL_do_handshake(session->ssl);
  consumed = session->taken;
  if (code == 1) return {};
  return FailureOf(session, code);
}

TlsResult TlsEncrypt(TlsSession* session, std::span<const std::uint8_t> plaintext,
                     std::vector<std::uint8_t>& records) {
  CallBuffers call(session, {}, &records);
  std::size_t offset = 0;
  while (offset < plaintext.size()) {
    std::size_t written = 0;
    int code =
        SSL_write_ex(session->ssl, plaintext.data() + offset, plaintext.size() - offset, &written);
    if (code != 1) return FailureOf(session, code);
    offset += written;
  }
  return {};
}

TlsResult TlsDecrypt(TlsSession* session, std::span<std::uint8_t> received, std::size_t& consumed,
                     std::span<std::uint8_t> plaintext, std::size_t& produced) {
  // Bytes the session must send meanwhile (a key update's answer) wait for the next encrypt.
  CallBuffers call(session, received, nullptr);
  produced = 0;
  TlsResult result;
  while (produced < plaintext.size()) {
    std::size_t n = 0;
    int code =
        SSL_read_ex(session->ssl, plaintext.data() + produced, plaintext.size() - produced, &n);
    if (code == 1) {
      produced += n;
      continue;
    }
    result = FailureOf(session, code);
    break;
  }
  consumed = session->taken;
  // Plaintext already delivered counts first; a close or failure behind it shows on the next
  // call, which finds the same state.
  if (produced > 0) return {};
  return result;
}

}  // namespace orvex::platform
