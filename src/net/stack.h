#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "net/ip_version.h"
#include "platform/sockets.h"

namespace orvex {

using TNetSocket = platform::SocketHandle;

// The process-wide socket stack: wraps each socket call, resolves names and turns socket error
// codes into failures. It exists while at least one network object (component or buffer) lives;
// the platform library is started once per process and stopped at process end.
class TNetStack {
 public:
  // Count one user more or less; the first user makes GStack (and starts the library once).
  static void AcquireStack();
  static void ReleaseStack();
  static int UsageCount();
  static bool StackStarted();
  // How many times the platform library was started in this process (at most once).
  static int StartCount();

  TNetSocket NewSocketHandle(TNetIPVersion version);
  void Bind(TNetSocket socket, const std::string& ip, TNetIPVersion version, int port);
  void Connect(TNetSocket socket, const std::string& ip, TNetIPVersion version, int port);
  // Stops sending, then closes; never raises.
  void Disconnect(TNetSocket socket);
  // One send of up to size bytes from offset (size -1: to the end); the count sent.
  int Send(TNetSocket socket, std::span<const std::uint8_t> bytes, int offset, int size = -1);
  // One receive into the whole span; 0 when the peer closed.
  int Receive(TNetSocket socket, std::span<std::uint8_t> bytes);
  void SetNoDelay(TNetSocket socket, bool on);
  void GetSocketName(TNetSocket socket, std::string& ip, int& port);
  void GetPeerName(TNetSocket socket, std::string& ip, int& port);

  std::string ResolveHost(const std::string& host, TNetIPVersion version);
  std::string HostByName(const std::string& name, TNetIPVersion version);
  static bool IsIPv4Literal(const std::string& text);
  // The address as 8 upper-case hexadecimal groups, or empty when text is no IPv6 address.
  static std::string CanonicalIPv6(const std::string& text);
  // 4 or 16 bytes in network order.
  static std::vector<std::uint8_t> TextToAddress(const std::string& text, TNetIPVersion version);
  static std::string AddressToText(std::span<const std::uint8_t> address, TNetIPVersion version);

  // Returns result unless it is -1, which raises the thread's last socket error.
  static std::int64_t CheckSocketResult(std::int64_t result);
  [[noreturn]] static void RaiseSocketError(int code);
  // "Socket Error # %d\r\n%s" with the code and its text.
  static std::string SocketErrorText(int code);
};

// Exists while the usage count is above 0.
extern TNetStack* GStack;

// Holds one use of the stack for the lifetime of its owner.
class TNetStackUse {
 public:
  TNetStackUse() { TNetStack::AcquireStack(); }
  ~TNetStackUse() { TNetStack::ReleaseStack(); }
  TNetStackUse(const TNetStackUse&) = delete;
  TNetStackUse& operator=(const TNetStackUse&) = delete;
};

}  // namespace orvex
