#pragma once

// Conversion between SocketAddress and the system's socket address records, shared by both
// socket backends. Include it after the system's socket headers: the records and the byte-order
// functions are declared alike on both systems, so the code is written once here.
#include <cstring>

#include "platform/sockets.h"

namespace orvex::platform::native {

// Fills `storage`; returns the record's length.
inline int ToNative(const SocketAddress& address, sockaddr_storage& storage) {
  std::memset(&storage, 0, sizeof storage);
  if (address.family == AddressFamily::IPv4) {
    auto* in = reinterpret_cast<sockaddr_in*>(&storage);
    in->sin_family = AF_INET;
    in->sin_port = htons(address.port);
    std::memcpy(&in->sin_addr, address.bytes, 4);
    return sizeof(sockaddr_in);
  }
  auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
  in6->sin6_family = AF_INET6;
  in6->sin6_port = htons(address.port);
  std::memcpy(&in6->sin6_addr, address.bytes, 16);
  return sizeof(sockaddr_in6);
}

// False for an address family other than IPv4 and IPv6 (the caller sets its error).
inline bool FromNative(const sockaddr_storage& storage, SocketAddress& address) {
  address = SocketAddress{};
  if (storage.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&storage);
    address.family = AddressFamily::IPv4;
    address.port = ntohs(in->sin_port);
    std::memcpy(address.bytes, &in->sin_addr, 4);
    return true;
  }
  if (storage.ss_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&storage);
    address.family = AddressFamily::IPv6;
    address.port = ntohs(in6->sin6_port);
    std::memcpy(address.bytes, &in6->sin6_addr, 16);
    return true;
  }
  return false;
}

}  // namespace orvex::platform::native
