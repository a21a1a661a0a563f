#include "platform/sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include "platform/socket_address_native.h"

namespace orvex::platform {
namespace {

// The one translation of errno onto the Windows Sockets codes.
struct ErrnoCode {
  int error;
  int code;
};
constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},
    {EPERM, 10013},        {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},       {ENFILE, 10024},          {EAGAIN, 10035},
    {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},        {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},  {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},   {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},   {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},  {ENETRESET, 10052},       {ECONNABORTED, 10053},
    {ECONNRESET, 10054},   {EPIPE, 10054},           {ENOBUFS, 10055},
    {ENOMEM, 10055},       {EISCONN, 10056},         {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061}, {ELOOP, 10062},           {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
};

// Resolver results on the same codes: an unknown name is 11001, a temporary failure 11002,
// a server failure 11003, no address of the family 11004.
struct ResolverCode {
  int result;
  int code;
};
constexpr ResolverCode kResolverCodes[] = {
    {EAI_NONAME, 11001}, {EAI_AGAIN, 11002},    {EAI_FAIL, 11003},
    {EAI_NODATA, 11004}, {EAI_FAMILY, 10047},   {EAI_SOCKTYPE, 10044},
    {EAI_MEMORY, 8},     {EAI_BADFLAGS, 10022}, {EAI_SERVICE, 10109},
};

int FromErrno(int error) {
  if (error == EWOULDBLOCK) error = EAGAIN;
  for (const auto& entry : kErrnoCodes)
    if (entry.error == error) return entry.code;
  return error;  // not a socket condition: kept as is, shown without a text
}

thread_local int last_error = 0;

int Fail() {
  last_error = FromErrno(errno);
  return -1;
}

int FdOf(SocketHandle s) {
  return static_cast<int>(s);
}

socklen_t ToNative(const SocketAddress& address, sockaddr_storage& storage) {
  return static_cast<socklen_t>(native::ToNative(address, storage));
}

int FromNative(const sockaddr_storage& storage, SocketAddress& address) {
  if (native::FromNative(storage, address)) return 0;
  last_error = kWsaAddressFamily;
  return -1;
}

}  // namespace

int StartSockets() {
  return 0;
}
void StopSockets() {}

int LastSocketError() {
  return last_error;
}

SocketHandle OpenStreamSocket(AddressFamily family) {
  int fd =
      ::socket(family == AddressFamily::IPv4 ? AF_INET : AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Fail();
  return fd;
}

int BindSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_storage storage;
  socklen_t length = ToNative(address, storage);
  return ::bind(FdOf(s), reinterpret_cast<sockaddr*>(&storage), length) == 0 ? 0 : Fail();
}

int ConnectSocket(SocketHandle s, const SocketAddress& address) {
  sockaddr_storage storage;
  socklen_t length = ToNative(address, storage);
  if (::connect(FdOf(s), reinterpret_cast<sockaddr*>(&storage), length) == 0) return 0;
  if (errno != EINTR) return Fail();
  // An interrupted connect goes on in the background: wait for its outcome instead of
  // starting it again.
  pollfd entry{FdOf(s), POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0)
    if (errno != EINTR) return Fail();
  int error = 0;
  socklen_t size = sizeof error;
  if (::getsockopt(FdOf(s), SOL_SOCKET, SO_ERROR, &error, &size) != 0) return Fail();
  if (error == 0) return 0;
  errno = error;
  return Fail();
}

int ShutdownSocket(SocketHandle s, int how) {
  return ::shutdown(FdOf(s), how == 2 ? SHUT_RDWR : SHUT_WR) == 0 ? 0 : Fail();
}

void CloseSocket(SocketHandle s) {
  ::close(FdOf(s));
}

std::ptrdiff_t SendSome(SocketHandle s, const void* data, std::size_t count) {
  ssize_t n;
  do {
    n = ::send(FdOf(s), data, count, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? Fail() : n;
}

std::ptrdiff_t ReceiveSome(SocketHandle s, void* data, std::size_t count) {
  ssize_t n;
  do {
    n = ::recv(FdOf(s), data, count, 0);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? Fail() : n;
}

int SetNoDelay(SocketHandle s, bool on) {
  int value = on ? 1 : 0;
  return ::setsockopt(FdOf(s), IPPROTO_TCP, TCP_NODELAY, &value, sizeof value) == 0 ? 0 : Fail();
}

int LocalAddress(SocketHandle s, SocketAddress& address) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (::getsockname(FdOf(s), reinterpret_cast<sockaddr*>(&storage), &length) != 0) return Fail();
  return FromNative(storage, address);
}

int PeerAddress(SocketHandle s, SocketAddress& address) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (::getpeername(FdOf(s), reinterpret_cast<sockaddr*>(&storage), &length) != 0) return Fail();
  return FromNative(storage, address);
}

int WaitReadable(SocketHandle s, int timeoutMs) {
  // A signal (a close request, the session's end) interrupts poll; the launcher handles it once
  // its loop runs again, so the wait goes on with the time that is left.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  int wait = timeoutMs < 0 ? -1 : timeoutMs;
  for (;;) {
    pollfd entry{FdOf(s), POLLIN, 0};
    int result = ::poll(&entry, 1, wait);
    if (result >= 0) return result > 0 ? 1 : 0;
    if (errno != EINTR) return Fail();
    if (timeoutMs >= 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait = left > 0 ? static_cast<int>(left) : 0;
    }
  }
}

int LookupHost(const std::string& name, AddressFamily family, SocketAddress& address) {
  addrinfo hints{};
  hints.ai_family = family == AddressFamily::IPv4 ? AF_INET : AF_INET6;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (result != 0) {
    int code = result == EAI_SYSTEM ? FromErrno(errno) : 11001;
    for (const auto& entry : kResolverCodes)
      if (entry.result == result) code = entry.code;
    if (list) ::freeaddrinfo(list);
    return code;
  }
  sockaddr_storage storage{};
  std::memcpy(&storage, list->ai_addr, list->ai_addrlen);
  ::freeaddrinfo(list);
  return FromNative(storage, address) == 0 ? 0 : kWsaHostNotFound;
}

int ListenSocket(SocketHandle s, int backlog) {
  return ::listen(FdOf(s), backlog) == 0 ? 0 : Fail();
}

SocketHandle AcceptSocket(SocketHandle s) {
  int fd;
  do {
    fd = ::accept4(FdOf(s), nullptr, nullptr, SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? Fail() : fd;
}

int SetReuseAddress(SocketHandle s) {
  int value = 1;
  return ::setsockopt(FdOf(s), SOL_SOCKET, SO_REUSEADDR, &value, sizeof value) == 0 ? 0 : Fail();
}

int SetAbortiveClose(SocketHandle s) {
  linger value{1, 0};
  return ::setsockopt(FdOf(s), SOL_SOCKET, SO_LINGER, &value, sizeof value) == 0 ? 0 : Fail();
}

}  // namespace orvex::platform
