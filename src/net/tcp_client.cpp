#include "net/tcp_client.h"

#include "net/exceptions.h"

namespace orvex {

TNetTCPClient::TNetTCPClient() = default;

TNetTCPClient::~TNetTCPClient() {
  if (io_handler_) io_handler_->Close();
}

void TNetTCPClient::SetHost(const std::string& host) {
  host_ = host;
  if (io_handler_) io_handler_->Host = host;
}

void TNetTCPClient::SetPort(int port) {
  port_ = port;
  if (io_handler_) io_handler_->Port = port;
}

void TNetTCPClient::SetIPVersion(TNetIPVersion version) {
  ip_version_ = version;
  if (io_handler_) io_handler_->IPVersion = version;
}

void TNetTCPClient::SetConnectTimeout(int timeout) {
  connect_timeout_ = timeout;
  if (io_handler_) io_handler_->ConnectTimeout = timeout;
}

int TNetTCPClient::ReadTimeout() const {
  return io_handler_ ? io_handler_->ReadTimeout : read_timeout_;
}

void TNetTCPClient::SetReadTimeout(int timeout) {
  read_timeout_ = timeout;
  if (io_handler_) io_handler_->ReadTimeout = timeout;
}

void TNetTCPClient::SetBoundIP(const std::string& ip) {
  bound_ip_ = ip;
  if (io_handler_) io_handler_->BoundIP = ip;
}

void TNetTCPClient::SetBoundPort(int port) {
  bound_port_ = port;
  if (io_handler_) io_handler_->BoundPort = port;
}

void TNetTCPClient::SetBoundPortRange(int min, int max) {
  bound_port_min_ = min;
  bound_port_max_ = max;
  if (io_handler_) {
    io_handler_->BoundPortMin = min;
    io_handler_->BoundPortMax = max;
  }
}

void TNetTCPClient::SetUseTls(bool on) {
  use_tls_ = on;
  if (io_handler_) io_handler_->UseTls = on;
}

void TNetTCPClient::SetTrustAnchors(TNetTrustAnchors anchors) {
  trust_anchors_ = std::move(anchors);
  if (io_handler_) io_handler_->TrustAnchors = trust_anchors_;
}

void TNetTCPClient::SetIOHandler(std::unique_ptr<TNetIOHandlerStack> handler) {
  io_handler_ = std::move(handler);
  managed_io_handler_ = false;
  if (io_handler_) {
    io_handler_->SetWorkTarget(this);
    io_handler_->Bounds = &bounds_;
  }
}

void TNetTCPClient::Connect() {
  if (Connected()) throw ENetAlreadyConnected(kTextAlreadyConnected);
  if (host_.empty()) throw ENetHostRequired("");
  if (port_ == 0) throw ENetPortRequired("");
  try {
    if (!io_handler_) {
      io_handler_ = std::make_unique<TNetIOHandlerStack>();
      io_handler_->OnStatus = OnStatus;
      io_handler_->SetWorkTarget(this);
      managed_io_handler_ = true;
    }
    TNetIOHandlerStack& handler = *io_handler_;
    handler.Port = port_;
    handler.Host = host_;
    handler.ConnectTimeout = connect_timeout_;
    handler.ReadTimeout = read_timeout_;
    handler.BoundIP = bound_ip_;
    handler.BoundPort = bound_port_;
    handler.BoundPortMin = bound_port_min_;
    handler.BoundPortMax = bound_port_max_;
    handler.IPVersion = ip_version_;
    handler.UseTls = use_tls_;
    handler.TrustAnchors = trust_anchors_;
    handler.OnBeforeBind = OnBeforeBind;
    handler.OnAfterBind = OnAfterBind;
    handler.Bounds = &bounds_;
    handler.Open();
    DoStatus(hsConnected, host_);
    if (OnConnected) OnConnected(this);
  } catch (...) {
    if (io_handler_) io_handler_->Close();
    if (managed_io_handler_) {
      io_handler_.reset();
      managed_io_handler_ = false;
    }
    throw;
  }
}

void TNetTCPClient::Disconnect() {
  auto close = [this] {
    if (io_handler_ && io_handler_->Opened()) {
      DoStatus(hsDisconnecting);
      io_handler_->Close();
      DoOnDisconnected();
      DoStatus(hsDisconnected);
    }
  };
  try {
    Connected();  // nothing is sent to the peer; the poll notices what already arrived
  } catch (...) {
    close();
    throw;
  }
  close();
}

void TNetTCPClient::DoOnDisconnected() {
  if (OnDisconnected) OnDisconnected(this);
}

bool TNetTCPClient::Connected() {
  return io_handler_ ? io_handler_->Connected() : false;
}

void TNetTCPClient::CheckClosed(bool raiseIfClosed) {
  if (io_handler_) return io_handler_->CheckClosed(raiseIfClosed, false);
  if (raiseIfClosed) throw ENetException(kTextNotConnected);
}

}  // namespace orvex
