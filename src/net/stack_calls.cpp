#include "net/exceptions.h"
#include "net/stack.h"

namespace orvex {
namespace {

platform::AddressFamily Family(TNetIPVersion version) {
  if (version == Net_IPv4) return platform::AddressFamily::IPv4;
  if (version == Net_IPv6) return platform::AddressFamily::IPv6;
  throw ENetIPVersionUnsupported(kTextIPVersionUnsupported);
}

platform::SocketAddress MakeAddress(const std::string& ip, TNetIPVersion version, int port) {
  platform::SocketAddress address;
  address.family = Family(version);
  if (port < 0 || port > 65535) throw ENetException("Range check error");
  address.port = static_cast<std::uint16_t>(port);
  if (!ip.empty()) {
    auto bytes = TNetStack::TextToAddress(ip, version);
    std::copy(bytes.begin(), bytes.end(), address.bytes);
  }
  return address;
}

void ToText(const platform::SocketAddress& address, std::string& ip, int& port) {
  TNetIPVersion version = address.family == platform::AddressFamily::IPv4 ? Net_IPv4 : Net_IPv6;
  ip = TNetStack::AddressToText(
      std::span<const std::uint8_t>(address.bytes, version == Net_IPv4 ? 4 : 16), version);
  port = address.port;
}

}  // namespace

TNetSocket TNetStack::NewSocketHandle(TNetIPVersion version) {
  TNetSocket s = platform::OpenStreamSocket(Family(version));
  if (s == platform::kInvalidSocket) RaiseSocketError(platform::LastSocketError());
  return s;
}

void TNetStack::Bind(TNetSocket socket, const std::string& ip, TNetIPVersion version, int port) {
  CheckSocketResult(platform::BindSocket(socket, MakeAddress(ip, version, port)));
}

void TNetStack::Connect(TNetSocket socket, const std::string& ip, TNetIPVersion version, int port) {
  CheckSocketResult(platform::ConnectSocket(socket, MakeAddress(ip, version, port)));
}

void TNetStack::Disconnect(TNetSocket socket) {
  platform::ShutdownSocket(socket, 1);
  platform::CloseSocket(socket);
}

int TNetStack::Send(TNetSocket socket, std::span<const std::uint8_t> bytes, int offset, int size) {
  if (offset < 0 || static_cast<std::size_t>(offset) > bytes.size())
    offset = static_cast<int>(bytes.size());
  std::size_t count = bytes.size() - static_cast<std::size_t>(offset);
  if (size >= 0 && static_cast<std::size_t>(size) < count) count = static_cast<std::size_t>(size);
  return static_cast<int>(
      CheckSocketResult(platform::SendSome(socket, bytes.data() + offset, count)));
}

int TNetStack::Receive(TNetSocket socket, std::span<std::uint8_t> bytes) {
  return static_cast<int>(
      CheckSocketResult(platform::ReceiveSome(socket, bytes.data(), bytes.size())));
}

void TNetStack::SetNoDelay(TNetSocket socket, bool on) {
  CheckSocketResult(platform::SetNoDelay(socket, on));
}

void TNetStack::GetSocketName(TNetSocket socket, std::string& ip, int& port) {
  platform::SocketAddress address;
  CheckSocketResult(platform::LocalAddress(socket, address));
  ToText(address, ip, port);
}

void TNetStack::GetPeerName(TNetSocket socket, std::string& ip, int& port) {
  platform::SocketAddress address;
  CheckSocketResult(platform::PeerAddress(socket, address));
  ToText(address, ip, port);
}

}  // namespace orvex
