#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Thin socket layer. Every call makes one operating-system request; failures return -1 (or a
// non-zero code) and LastSocketError() gives the reason in Windows Sockets numbering on every
// backend, so the error texts and failure rules above this layer are written once.
namespace orvex::platform {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kInvalidSocket = -1;

// The Windows Sockets codes that callers test by name.
inline constexpr int kWsaInterrupted = 10004;      // WSAEINTR
inline constexpr int kWsaBadHandle = 10009;        // WSAEBADF
inline constexpr int kWsaNotSocket = 10038;        // WSAENOTSOCK
inline constexpr int kWsaAddressFamily = 10047;    // WSAEAFNOSUPPORT
inline constexpr int kWsaConnectionReset = 10054;  // WSAECONNRESET
inline constexpr int kWsaTimedOut = 10060;         // WSAETIMEDOUT
inline constexpr int kWsaRefused = 10061;          // WSAECONNREFUSED
inline constexpr int kWsaHostNotFound = 11001;     // WSAHOST_NOT_FOUND

// Address families of this layer (not the system's values).
enum class AddressFamily { IPv4, IPv6 };

struct SocketAddress {
  AddressFamily family = AddressFamily::IPv4;
  std::uint8_t bytes[16] = {};  // 4 used for IPv4, network order
  std::uint16_t port = 0;       // host order
};

// Starts the socket library (Windows Sockets 2.2); 0 or the failure code. Stop undoes it.
int StartSockets();
void StopSockets();

// The Windows Sockets code of the calling thread's last failed socket call.
int LastSocketError();

SocketHandle OpenStreamSocket(AddressFamily family);
int BindSocket(SocketHandle s, const SocketAddress& address);
int ConnectSocket(SocketHandle s, const SocketAddress& address);
// Stops sending (how 1) or both directions (how 2); the result is informational.
int ShutdownSocket(SocketHandle s, int how);
void CloseSocket(SocketHandle s);
// One send of up to count bytes; never raises a broken-pipe signal. Bytes sent or -1.
std::ptrdiff_t SendSome(SocketHandle s, const void* data, std::size_t count);
// One receive of up to count bytes: bytes received, 0 when the peer closed, or -1.
std::ptrdiff_t ReceiveSome(SocketHandle s, void* data, std::size_t count);
int SetNoDelay(SocketHandle s, bool on);
int LocalAddress(SocketHandle s, SocketAddress& address);
int PeerAddress(SocketHandle s, SocketAddress& address);
// Waits until s can be read (or has closed): 1 ready, 0 time ran out, -1 failure.
// timeoutMs < 0 waits without limit.
int WaitReadable(SocketHandle s, int timeoutMs);

// Name lookup: 0 with the first address, or a Windows Sockets code (kWsaHostNotFound for an unknown
// name).
int LookupHost(const std::string& name, AddressFamily family, SocketAddress& address);

// Server side, used by the test server.
int ListenSocket(SocketHandle s, int backlog);
SocketHandle AcceptSocket(SocketHandle s);
int SetReuseAddress(SocketHandle s);
// Makes the next close send a reset instead of an orderly end.
int SetAbortiveClose(SocketHandle s);

}  // namespace orvex::platform
