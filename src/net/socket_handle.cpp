#include "net/socket_handle.h"

#include <algorithm>

#include "net/exceptions.h"
#include "platform/sockets.h"

namespace orvex {

void TNetSocketList::Add(TNetSocket socket) {
  std::lock_guard<std::mutex> guard(lock_);
  if (static_cast<int>(sockets_.size()) >= kMaxSockets)
    throw ENetStackSetSizeExceeded(kTextSetSizeExceeded);
  sockets_.push_back(socket);
}

void TNetSocketList::Remove(TNetSocket socket) {
  std::lock_guard<std::mutex> guard(lock_);
  sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), socket), sockets_.end());
}

void TNetSocketList::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  sockets_.clear();
}

int TNetSocketList::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(sockets_.size());
}

TNetSocket TNetSocketList::Item(int index) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (index < 0 || index >= static_cast<int>(sockets_.size()))
    throw ENetStackSetSizeExceeded(kTextSetSizeExceeded);
  return sockets_[static_cast<std::size_t>(index)];
}

bool TNetSocketList::Contains(TNetSocket socket) const {
  std::lock_guard<std::mutex> guard(lock_);
  return std::find(sockets_.begin(), sockets_.end(), socket) != sockets_.end();
}

std::vector<TNetSocket> TNetSocketList::Copy() const {
  std::lock_guard<std::mutex> guard(lock_);
  return sockets_;
}

TNetSocketHandle::TNetSocketHandle() = default;

TNetSocketHandle::~TNetSocketHandle() {
  CloseSocket();
}

void TNetSocketHandle::SetHandle(TNetSocket handle) {
  handle_ = handle;
  allocated_ = handle != platform::kInvalidSocket;
  read_socket_list_.reset();
  if (allocated_) {
    read_socket_list_ = std::make_unique<TNetSocketList>();
    read_socket_list_->Add(handle);
  }
}

void TNetSocketHandle::SetIPVersion(TNetIPVersion version) {
  if (version == ip_version_) return;
  if (allocated_) throw ENetCannotSetIPVersionWhenConnected(kTextCannotSetIPVersion);
  ip_version_ = version;
}

void TNetSocketHandle::AllocateSocket() {
  CloseSocket();
  SetHandle(GStack->NewSocketHandle(ip_version_));
}

bool TNetSocketHandle::TryBind() {
  try {
    GStack->Bind(handle_, ip_, ip_version_, port_);
    GStack->GetSocketName(handle_, ip_, port_);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TNetSocketHandle::Bind() {
  if (port_ != 0 || client_port_min_ == 0 || client_port_max_ == 0) {
    if (!TryBind()) throw ENetCouldNotBindSocket(kTextCouldNotBindSocket);
    return;
  }
  if (client_port_max_ < client_port_min_)
    throw ENetInvalidPortRange(
        FormatCodes(kTextInvalidPortRange, client_port_min_, client_port_max_));
  for (int port = client_port_max_; port >= client_port_min_; --port) {
    port_ = port;
    if (TryBind()) return;
  }
  port_ = 0;
  throw ENetCanNotBindPortInRange(
      FormatCodes(kTextCanNotBindPortInRange, client_port_min_, client_port_max_));
}

void TNetSocketHandle::SetPeer(const std::string& ip, int port, TNetIPVersion version) {
  peer_ip_ = ip;
  peer_port_ = port;
  ip_version_ = version;
}

void TNetSocketHandle::Connect() {
  // The handle is read once: a limited-time connect may close the socket from another thread.
  // Should that close come before the connect call starts, the call fails on a closed handle
  // (10009/10038), which the connect thread drops; no other thread of the process opens
  // sockets meanwhile, since the closing caller waits for the connect thread at once.
  TNetSocket handle;
  {
    std::lock_guard<std::mutex> guard(connection_lock_);
    if (!allocated_) TNetStack::RaiseSocketError(platform::kWsaNotSocket);
    handle = handle_;
  }
  GStack->Connect(handle, peer_ip_, ip_version_, peer_port_);
  std::lock_guard<std::mutex> guard(connection_lock_);
  if (allocated_) {
    GStack->GetSocketName(handle_, ip_, port_);
    GStack->GetPeerName(handle_, peer_ip_, peer_port_);
  }
}

int TNetSocketHandle::Send(std::span<const std::uint8_t> bytes, int offset, int size) {
  return GStack->Send(handle_, bytes, offset, size);
}

int TNetSocketHandle::Receive(std::span<std::uint8_t> bytes) {
  return GStack->Receive(handle_, bytes);
}

bool TNetSocketHandle::Readable(int timeout) {
  if (!allocated_) throw ENetConnClosedGracefully(kTextConnClosedGracefully);
  // The list holds this one socket; the platform waits on it (poll or select).
  int result = platform::WaitReadable(read_socket_list_->Item(0), timeout == -2 ? -1 : timeout);
  TNetStack::CheckSocketResult(result);
  return result > 0;
}

void TNetSocketHandle::CloseSocket() {
  std::lock_guard<std::mutex> guard(connection_lock_);
  if (!allocated_) return;
  allocated_ = false;
  if (GStack != nullptr) GStack->Disconnect(handle_);
  handle_ = platform::kInvalidSocket;
  read_socket_list_.reset();
}

void TNetSocketHandle::Reset(bool clearLocal) {
  SetHandle(platform::kInvalidSocket);
  if (clearLocal) {
    ip_.clear();
    port_ = 0;
  }
  peer_ip_.clear();
  peer_port_ = 0;
  ip_version_ = Net_IPv4;
}

}  // namespace orvex
