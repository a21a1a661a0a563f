#include "platform/sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/socket_address_native.h"

#include <cstring>

namespace orvex::platform {
namespace {

SOCKET Native(SocketHandle s) {
  return static_cast<SOCKET>(s);
}

int Fail() {
  return -1;
}

// WSA_FLAG_NO_HANDLE_INHERIT (Windows 7 SP1 and later); the cross headers do not name it.
constexpr DWORD kNoHandleInherit = 0x80;

int ToNative(const SocketAddress& address, sockaddr_storage& storage) {
  return static_cast<int>(native::ToNative(address, storage));
}

int FromNative(const sockaddr_storage& storage, SocketAddress& address) {
  if (native::FromNative(storage, address)) return 0;
  WSASetLastError(WSAEAFNOSUPPORT);
  return -1;
}

}  // namespace

int StartSockets() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data);
}

void StopSockets() {
  WSACleanup();
}

int LastSocketError() {
  return WSAGetLastError();
}

SocketHandle OpenStreamSocket(AddressFamily family) {
  // Not inheritable: the Java application started later must not hold the update connection.
  SOCKET s = ::WSASocketW(family == AddressFamily::IPv4 ? AF_INET : AF_INET6, SOCK_STREAM,
                          IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED | kNoHandleInherit);
  // Systems before Windows 7 SP1 refuse the flag: the handle is made non-inheritable after.
  if (s == INVALID_SOCKET && ::WSAGetLastError() == WSAEINVAL) {
    s = ::WSASocketW(family == AddressFamily::IPv4 ? AF_INET : AF_INET6, SOCK_STREAM, IPPROTO_TCP,
                     nullptr, 0, WSA_FLAG_OVERLAPPED);
  }
  if (s == INVALID_SOCKET) return kInvalidSocket;
  ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  return static_cast<SocketHandle>(s);
}

int BindSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_storage storage;
  int length = ToNative(address, storage);
  return ::bind(Native(s), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? 0 : Fail();
}

int ConnectSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_storage storage;
  int length = ToNative(address, storage);
  return ::connect(Native(s), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? 0 : Fail();
}

int ShutdownSocket(SocketHandle s, int how) {
  return ::shutdown(Native(s), how == 2 ? SD_BOTH : SD_SEND) == 0 ? 0 : Fail();
}

void CloseSocket(SocketHandle s) {
  ::closesocket(Native(s));
}

std::ptrdiff_t SendSome(SocketHandle s, const void* data, std::size_t count) {
  int size = count > 0x7fffffff ? 0x7fffffff : static_cast<int>(count);
  int n = ::send(Native(s), static_cast<const char*>(data), size, 0);
  return n == SOCKET_ERROR ? Fail() : n;
}

std::ptrdiff_t ReceiveSome(SocketHandle s, void* data, std::size_t count) {
  int size = count > 0x7fffffff ? 0x7fffffff : static_cast<int>(count);
  int n = ::recv(Native(s), static_cast<char*>(data), size, 0);
  return n == SOCKET_ERROR ? Fail() : n;
}

int SetNoDelay(SocketHandle s, bool on) {
  DWORD value = on ? 1 : 0;
  return ::setsockopt(Native(s), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&value),
                      sizeof value) == 0
             ? 0
             : Fail();
}

int LocalAddress(SocketHandle s, SocketAddress& address) {
  sockaddr_storage storage{};
  int length = sizeof storage;
  if (::getsockname(Native(s), reinterpret_cast<sockaddr*>(&storage), &length) != 0) return Fail();
  return FromNative(storage, address);
}

int PeerAddress(SocketHandle s, SocketAddress& address) {
  sockaddr_storage storage{};
  int length = sizeof storage;
  if (::getpeername(Native(s), reinterpret_cast<sockaddr*>(&storage), &length) != 0) return Fail();
  return FromNative(storage, address);
}

int WaitReadable(SocketHandle s, int timeoutMs) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(s), &readable);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  int result = ::select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
  if (result == SOCKET_ERROR) return Fail();
  return result > 0 ? 1 : 0;
}

int LookupHost(const std::string& name, AddressFamily family, SocketAddress& address) {
  address = SocketAddress{};
  if (family == AddressFamily::IPv4) {
    hostent* entry = ::gethostbyname(name.c_str());
    if (entry == nullptr) return WSAGetLastError();
    if (entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) return WSANO_DATA;
    std::memcpy(address.bytes, entry->h_addr_list[0], 4);
    return 0;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET6;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (result != 0) {
    if (list) ::freeaddrinfo(list);
    return result;
  }
  sockaddr_storage storage{};
  std::memcpy(&storage, list->ai_addr, list->ai_addrlen);
  ::freeaddrinfo(list);
  return FromNative(storage, address) == 0 ? 0 : WSANO_DATA;
}

int ListenSocket(SocketHandle s, int backlog) {
  return ::listen(Native(s), backlog) == 0 ? 0 : Fail();
}

SocketHandle AcceptSocket(SocketHandle s) {
  SOCKET client = ::accept(Native(s), nullptr, nullptr);
  if (client == INVALID_SOCKET) return kInvalidSocket;
  return static_cast<SocketHandle>(client);
}

int SetReuseAddress(SocketHandle) {
  return 0;
}  // Windows would let another process share it

int SetAbortiveClose(SocketHandle s) {
  linger value{1, 0};
  return ::setsockopt(Native(s), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value),
                      sizeof value) == 0
             ? 0
             : Fail();
}

}  // namespace orvex::platform
