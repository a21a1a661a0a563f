// TLS client sessions with Schannel (SSPI) and the crypt32 chain engine. Schannel works on
// caller buffers by nature; records are decrypted in place in the caller's received bytes.
// The server's certificate is checked here, not by Schannel (manual validation), so that a
// configured CA can be the only trust anchor.
#define SECURITY_WIN32
#include <windows.h>
// windows.h first
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/tls.h"

#ifndef SECURITY_FLAG_IGNORE_UNKNOWN_CA
#define SECURITY_FLAG_IGNORE_UNKNOWN_CA 0x00000100
#endif

namespace orvex::platform {

struct TlsSession {
  CredHandle credentials{};
  bool haveCredentials = false;
  CtxtHandle context{};
  bool haveContext = false;
  bool established = false;
  bool closed = false;
  std::string host;
  TlsAnchors anchors;
  SecPkgContext_StreamSizes sizes{};
  // Plaintext of a record that did not fit the caller's space.
  std::vector<std::uint8_t> leftover;
  std::size_t leftoverAt = 0;
};

namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

std::string StatusText(const char* what, long status) {
  const char* name = nullptr;
  switch (static_cast<unsigned long>(status)) {
    case 0x80090326UL:
      name = "the server's message is not TLS";  // SEC_E_ILLEGAL_MESSAGE
      break;
    case 0x80090331UL:
      name = "no protocol or cipher in common";  // SEC_E_ALGORITHM_MISMATCH
      break;
    case 0x80090330UL:
      name = "the message was altered";  // SEC_E_DECRYPT_FAILURE
      break;
    case 0x80090327UL:
      name = "the server's certificate was refused";  // SEC_E_CERT_UNKNOWN
      break;
    case 0x80090322UL:
      name = "wrong principal";  // SEC_E_WRONG_PRINCIPAL
      break;
    default:
      break;
  }
  char code[48];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
  std::string text = std::string(what) + " " + code;
  if (name) text += std::string(" (") + name + ")";
  return text;
}

TlsResult Failure(TlsStatus status, std::string error) {
  TlsResult result;
  result.status = status;
  result.error = std::move(error);
  return result;
}

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

struct StoreCloser {
  void operator()(void* store) const { CertCloseStore(static_cast<HCERTSTORE>(store), 0); }
};
struct CertificateFreer {
  void operator()(const CERT_CONTEXT* certificate) const {
    CertFreeCertificateContext(certificate);
  }
};
struct ChainFreer {
  void operator()(const CERT_CHAIN_CONTEXT* chain) const { CertFreeCertificateChain(chain); }
};

bool IsAnchor(const TlsAnchors& anchors, const CERT_CONTEXT* certificate) {
  for (const auto& der : anchors) {
    if (der.size() == certificate->cbCertEncoded &&
        std::memcmp(der.data(), certificate->pbCertEncoded, der.size()) == 0) {
      return true;
    }
  }
  return false;
}

// The chain's trust errors as our outcome; `ignore` masks the errors already accounted for.
TlsResult ChainErrors(DWORD errors) {
  char code[32];
  std::snprintf(code, sizeof code, "chain status 0x%08lX", static_cast<unsigned long>(errors));
  if (errors & (CERT_TRUST_IS_NOT_TIME_VALID | CERT_TRUST_CTL_IS_NOT_TIME_VALID)) {
    return Failure(TlsStatus::kExpired, code);
  }
  if (errors & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) {
    return Failure(TlsStatus::kUntrustedIssuer, code);
  }
  return Failure(TlsStatus::kBadCertificate, code);
}

// Checks the server's certificate: the chain to a trust anchor (configured or the system's),
// then the SSL policy for the host name.
TlsResult CheckServerCertificate(TlsSession* session) {
  const CERT_CONTEXT* raw = nullptr;
  SECURITY_STATUS status =
      QueryContextAttributesA(&session->context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &raw);
  if (status != SEC_E_OK || !raw) {
    return Failure(TlsStatus::kBadCertificate, StatusText("no server certificate:", status));
  }
  std::unique_ptr<const CERT_CONTEXT, CertificateFreer> remote(raw);

  // The certificates the server sent, plus the configured anchors, for the chain search.
  std::unique_ptr<void, StoreCloser> extra(
      CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr));
  if (!extra) return Failure(TlsStatus::kBadCertificate, "no certificate store");
  if (remote->hCertStore) {
    const CERT_CONTEXT* sent = nullptr;
    while ((sent = CertEnumCertificatesInStore(remote->hCertStore, sent)) != nullptr) {
      CertAddCertificateContextToStore(extra.get(), sent, CERT_STORE_ADD_USE_EXISTING, nullptr);
    }
  }
  for (const auto& der : session->anchors) {
    if (!CertAddEncodedCertificateToStore(extra.get(), X509_ASN_ENCODING, der.data(),
                                          static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_USE_EXISTING, nullptr)) {
      return Failure(TlsStatus::kBadCertificate, "a trust anchor is not a certificate");
    }
  }

  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  const CERT_CHAIN_CONTEXT* rawChain = nullptr;
  if (!CertGetCertificateChain(nullptr, remote.get(), nullptr, extra.get(), &para, 0, nullptr,
                               &rawChain) ||
      !rawChain) {
    return Failure(TlsStatus::kBadCertificate, "no certificate chain");
  }
  std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainFreer> chain(rawChain);
  if (chain->cChain == 0 || chain->rgpChain[0]->cElement == 0) {
    return Failure(TlsStatus::kUntrustedIssuer, "empty certificate chain");
  }
  const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
  const CERT_CONTEXT* root = simple->rgpElement[simple->cElement - 1]->pCertContext;
  DWORD errors = chain->TrustStatus.dwErrorStatus;
  // Revocation cannot be looked up offline and was not asked for.
  errors &=
      ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION);
  const bool configured = !session->anchors.empty();
  if (configured) {
    // The chain must end at one of the configured certificates, byte for byte; only then is
    // "untrusted root" (not in the system's store) expected and forgiven. A partial chain is
    // never forgiven (Wine's SSL policy passed one).
    if (!IsAnchor(session->anchors, root)) {
      return Failure(TlsStatus::kUntrustedIssuer,
                     "the chain does not end at a configured certificate");
    }
    errors &= ~static_cast<DWORD>(CERT_TRUST_IS_UNTRUSTED_ROOT);
  }
  if (errors != 0) return ChainErrors(errors);

  std::wstring name = Wide(session->host);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.fdwChecks = configured ? SECURITY_FLAG_IGNORE_UNKNOWN_CA : 0;
  ssl.pwszServerName = name.data();
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS outcome{};
  outcome.cbSize = sizeof outcome;
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &outcome)) {
    return Failure(TlsStatus::kBadCertificate, "the SSL policy could not be checked");
  }
  const auto error = static_cast<unsigned long>(outcome.dwError);
  if (error == 0) return {};
  std::string text = StatusText("policy", static_cast<long>(error));
  switch (error) {
    case static_cast<unsigned long>(CERT_E_CN_NO_MATCH):
      return Failure(TlsStatus::kNameMismatch, text);
    case static_cast<unsigned long>(CERT_E_EXPIRED):
      return Failure(TlsStatus::kExpired, text);
    case static_cast<unsigned long>(CERT_E_UNTRUSTEDROOT):
    case static_cast<unsigned long>(CERT_E_CHAINING):
      return Failure(TlsStatus::kUntrustedIssuer, text);
    default:
      return Failure(TlsStatus::kBadCertificate, text);
  }
}

void AppendTokens(SecBufferDesc& out, std::vector<std::uint8_t>& toSend) {
  for (unsigned long i = 0; i < out.cBuffers; ++i) {
    SecBuffer& buffer = out.pBuffers[i];
    if (buffer.pvBuffer) {
      if (buffer.BufferType == SECBUFFER_TOKEN && buffer.cbBuffer > 0) {
        auto* bytes = static_cast<const std::uint8_t*>(buffer.pvBuffer);
        toSend.insert(toSend.end(), bytes, bytes + buffer.cbBuffer);
      }
      FreeContextBuffer(buffer.pvBuffer);
      buffer.pvBuffer = nullptr;
    }
  }
}

}  // namespace

TlsSession* CreateTlsClient(const std::string& host, const TlsAnchors& anchors,
                            std::string& error) {
  auto session = std::make_unique<TlsSession>();
  session->host = host;
  session->anchors = anchors;
  SCHANNEL_CRED credentials{};
  credentials.dwVersion = SCHANNEL_CRED_VERSION;
  // TLS 1.2 through this structure; 1.3 would need the newer one that older systems lack.
  credentials.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  TimeStamp expiry;
  SECURITY_STATUS status = AcquireCredentialsHandleA(
      nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &credentials,
      nullptr, nullptr, &session->credentials, &expiry);
  if (status != SEC_E_OK) {
    error = StatusText("no TLS credentials:", status);
    return nullptr;
  }
  session->haveCredentials = true;
  return session.release();
}

void DestroyTlsSession(TlsSession* session) {
  if (!session) return;
  if (session->haveContext) DeleteSecurityContext(&session->context);
  if (session->haveCredentials) FreeCredentialsHandle(&session->credentials);
  delete session;
}

TlsResult TlsHandshake(TlsSession* session, std::span<std::uint8_t> received, std::size_t& consumed,
                       std::vector<std::uint8_t>& toSend) {
  consumed = 0;
  if (session->established) return {};
  // Each round takes one flight of the server's messages; a few rounds complete a handshake.
  for (int round = 0; round < 16; ++round) {
    SecBuffer inBuffers[2] = {};
    inBuffers[0].BufferType = SECBUFFER_TOKEN;
    inBuffers[0].pvBuffer = received.data() + consumed;
    inBuffers[0].cbBuffer = static_cast<unsigned long>(received.size() - consumed);
    inBuffers[1].BufferType = SECBUFFER_EMPTY;
    SecBufferDesc in{SECBUFFER_VERSION, 2, inBuffers};
    SecBuffer outBuffers[1] = {};
    outBuffers[0].BufferType = SECBUFFER_TOKEN;
    SecBufferDesc out{SECBUFFER_VERSION, 1, outBuffers};
    unsigned long attributes = 0;
    if (session->haveContext && inBuffers[0].cbBuffer == 0) {
      TlsResult result;
      result.status = TlsStatus::kWantInput;
      return result;
    }
    SECURITY_STATUS status = InitializeSecurityContextA(
        &session->credentials, session->haveContext ? &session->context : nullptr,
        const_cast<char*>(session->host.c_str()), kContextFlags, 0, 0,
        session->haveContext ? &in : nullptr, 0, &session->context, &out, &attributes, nullptr);
    const bool first = !session->haveContext;
    if (first && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED)) {
      session->haveContext = true;
    }
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      AppendTokens(out, toSend);
      TlsResult result;
      result.status = TlsStatus::kWantInput;
      return result;
    }
    if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED &&
        status != SEC_I_INCOMPLETE_CREDENTIALS) {
      std::vector<std::uint8_t> alert;  // not sent: the connection is dropped anyway
      AppendTokens(out, alert);
      return Failure(TlsStatus::kFailed, StatusText("handshake", status));
    }
    AppendTokens(out, toSend);
    if (!first) {
      std::size_t offered = inBuffers[0].cbBuffer;
      std::size_t left = inBuffers[1].BufferType == SECBUFFER_EXTRA ? inBuffers[1].cbBuffer : 0;
      consumed += offered - std::min(left, offered);
    }
    if (status == SEC_E_OK) {
      TlsResult checked = CheckServerCertificate(session);
      if (checked.status != TlsStatus::kOk) return checked;
      status =
          QueryContextAttributesA(&session->context, SECPKG_ATTR_STREAM_SIZES, &session->sizes);
      if (status != SEC_E_OK) return Failure(TlsStatus::kFailed, StatusText("sizes", status));
      session->established = true;
      return {};
    }
    if (first) {
      TlsResult result;
      result.status = TlsStatus::kWantInput;
      return result;
    }
  }
  return Failure(TlsStatus::kFailed, "the handshake does not end");
}

TlsResult TlsEncrypt(TlsSession* session, std::span<const std::uint8_t> plaintext,
                     std::vector<std::uint8_t>& records) {
  if (!session->established) return Failure(TlsStatus::kFailed, "no session");
  const std::size_t header = session->sizes.cbHeader;
  const std::size_t trailer = session->sizes.cbTrailer;
  const std::size_t most = std::max<std::size_t>(1, session->sizes.cbMaximumMessage);
  std::size_t offset = 0;
  while (offset < plaintext.size()) {
    const std::size_t piece = std::min(most, plaintext.size() - offset);
    const std::size_t at = records.size();
    records.resize(at + header + piece + trailer);
    std::uint8_t* base = records.data() + at;
    std::memcpy(base + header, plaintext.data() + offset, piece);
    SecBuffer buffers[4] = {};
    buffers[0] = {static_cast<unsigned long>(header), SECBUFFER_STREAM_HEADER, base};
    buffers[1] = {static_cast<unsigned long>(piece), SECBUFFER_DATA, base + header};
    buffers[2] = {static_cast<unsigned long>(trailer), SECBUFFER_STREAM_TRAILER,
                  base + header + piece};
    buffers[3].BufferType = SECBUFFER_EMPTY;
    SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
    SECURITY_STATUS status = EncryptMessage(&session->context, 0, &message, 0);
    if (status != SEC_E_OK) {
      records.resize(at);
      return Failure(TlsStatus::kFailed, StatusText("encrypt", status));
    }
    // The trailer may come out shorter than its room.
    records.resize(at + buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
    offset += piece;
  }
  return {};
}

TlsResult TlsDecrypt(TlsSession* session, std::span<std::uint8_t> received, std::size_t& consumed,
                     std::span<std::uint8_t> plaintext, std::size_t& produced) {
  consumed = 0;
  produced = 0;
  auto deliver = [&](const std::uint8_t* data, std::size_t count) {
    std::size_t n = std::min(count, plaintext.size() - produced);
    std::memcpy(plaintext.data() + produced, data, n);
    produced += n;
    if (n < count) {
      session->leftover.assign(data + n, data + count);
      session->leftoverAt = 0;
    }
  };
  if (session->leftoverAt < session->leftover.size()) {
    std::size_t n = std::min(session->leftover.size() - session->leftoverAt, plaintext.size());
    std::memcpy(plaintext.data(), session->leftover.data() + session->leftoverAt, n);
    session->leftoverAt += n;
    produced = n;
    if (session->leftoverAt == session->leftover.size()) {
      session->leftover.clear();
      session->leftoverAt = 0;
    }
  }
  TlsResult result;
  while (produced < plaintext.size() && session->leftover.empty() && !session->closed &&
         consumed < received.size()) {
    SecBuffer buffers[4] = {};
    buffers[0] = {static_cast<unsigned long>(received.size() - consumed), SECBUFFER_DATA,
                  received.data() + consumed};
    for (int i = 1; i < 4; ++i) buffers[i].BufferType = SECBUFFER_EMPTY;
    SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
    SECURITY_STATUS status = DecryptMessage(&session->context, &message, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) break;
    if (status == SEC_I_CONTEXT_EXPIRED) {
      session->closed = true;
      consumed = received.size();
      break;
    }
    if (status == SEC_I_RENEGOTIATE) {
      result = Failure(TlsStatus::kFailed, "the server asks to renegotiate");
      break;
    }
    if (status != SEC_E_OK) {
      result = Failure(TlsStatus::kFailed, StatusText("decrypt", status));
      break;
    }
    std::size_t left = 0;
    for (const SecBuffer& buffer : buffers) {
      if (buffer.BufferType == SECBUFFER_DATA && buffer.cbBuffer > 0) {
        deliver(static_cast<const std::uint8_t*>(buffer.pvBuffer), buffer.cbBuffer);
      } else if (buffer.BufferType == SECBUFFER_EXTRA) {
        left = buffer.cbBuffer;
      }
    }
    consumed = received.size() - std::min<std::size_t>(left, received.size() - consumed);
  }
  if (produced > 0) return {};
  if (result.status != TlsStatus::kOk) return result;
  if (session->closed) {
    result.status = TlsStatus::kClosed;
    return result;
  }
  result.status = TlsStatus::kWantInput;
  return result;
}

}  // namespace orvex::platform
