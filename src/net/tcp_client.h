#pragma once

#include <memory>
#include <string>

#include "net/component.h"
#include "net/io_handler.h"
#include "net/ip_version.h"

namespace orvex {

// A TCP client connection; the HTTP component derives from it. Connect makes the client's own
// I/O handler (a TNetIOHandlerStack) when none is set.
class TNetTCPClient : public TNetComponent {
 public:
  TNetTCPClient();
  ~TNetTCPClient() override;

  const std::string& Host() const { return host_; }
  void SetHost(const std::string& host);
  int Port() const { return port_; }
  void SetPort(int port);
  TNetIPVersion IPVersion() const { return ip_version_; }
  void SetIPVersion(TNetIPVersion version);
  int ConnectTimeout() const { return connect_timeout_; }
  void SetConnectTimeout(int timeout);
  // The handler's value when a handler exists.
  int ReadTimeout() const;
  void SetReadTimeout(int timeout);
  const std::string& BoundIP() const { return bound_ip_; }
  void SetBoundIP(const std::string& ip);
  int BoundPort() const { return bound_port_; }
  void SetBoundPort(int port);
  void SetBoundPortRange(int min, int max);
  // TLS on the next connection: Host() is the name sent (SNI) and checked on the certificate.
  bool UseTls() const { return use_tls_; }
  void SetUseTls(bool on);
  // DER certificates that are the only ones trusted for TLS; empty: the system's trust store.
  const TNetTrustAnchors& TrustAnchors() const { return trust_anchors_; }
  void SetTrustAnchors(TNetTrustAnchors anchors);

  // The total and rate bounds of the exchange in progress, shared with the handler.
  TNetTransferBounds& TransferBounds() { return bounds_; }

  TNetIOHandlerStack* IOHandler() const { return io_handler_.get(); }
  // Replaces the handler (the previous one is destroyed); the client owns it.
  void SetIOHandler(std::unique_ptr<TNetIOHandlerStack> handler);
  bool ManagedIOHandler() const { return managed_io_handler_; }
  TNetIOHandlerStack* Socket() const { return io_handler_.get(); }

  TNetNotifyEvent OnConnected;
  TNetNotifyEvent OnDisconnected;
  TNetNotifyEvent OnBeforeBind;
  TNetNotifyEvent OnAfterBind;

  void Connect();
  void Disconnect();
  bool Connected();
  void CheckClosed(bool raiseIfClosed);

 protected:
  // The disconnection notification step; the HTTP component adds its own work.
  virtual void DoOnDisconnected();

 private:
  std::string host_;
  int port_ = 0;
  TNetIPVersion ip_version_ = Net_IPv4;
  int connect_timeout_ = 0;
  int read_timeout_ = -1;
  std::string bound_ip_;
  int bound_port_ = 0;
  int bound_port_min_ = 0;
  int bound_port_max_ = 0;
  TNetTransferBounds bounds_;
  bool use_tls_ = false;
  TNetTrustAnchors trust_anchors_;
  std::unique_ptr<TNetIOHandlerStack> io_handler_;
  bool managed_io_handler_ = false;
};

}  // namespace orvex
