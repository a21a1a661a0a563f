#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "net/ip_version.h"
#include "net/stack.h"

namespace orvex {

// A set of at most 64 sockets with its own lock (the size of the platform's fixed socket set).
class TNetSocketList {
 public:
  static constexpr int kMaxSockets = 64;
  void Add(TNetSocket socket);
  void Remove(TNetSocket socket);
  void Clear();
  int Count() const;
  TNetSocket Item(int index) const;
  bool Contains(TNetSocket socket) const;
  std::vector<TNetSocket> Copy() const;

 private:
  mutable std::mutex lock_;
  std::vector<TNetSocket> sockets_;
};

// One socket with its local and peer addresses.
class TNetSocketHandle {
 public:
  TNetSocketHandle();
  ~TNetSocketHandle();
  TNetSocketHandle(const TNetSocketHandle&) = delete;
  TNetSocketHandle& operator=(const TNetSocketHandle&) = delete;

  TNetSocket Handle() const { return handle_; }
  bool HandleAllocated() const { return allocated_; }

  const std::string& IP() const { return ip_; }
  void SetIP(const std::string& ip) { ip_ = ip; }
  int Port() const { return port_; }
  void SetPort(int port) { port_ = port; }
  const std::string& PeerIP() const { return peer_ip_; }
  int PeerPort() const { return peer_port_; }
  TNetIPVersion IPVersion() const { return ip_version_; }
  // Raises ENetCannotSetIPVersionWhenConnected on a live socket.
  void SetIPVersion(TNetIPVersion version);
  int ClientPortMin() const { return client_port_min_; }
  int ClientPortMax() const { return client_port_max_; }
  void SetClientPortMin(int port) { client_port_min_ = port; }
  void SetClientPortMax(int port) { client_port_max_ = port; }

  // A stream socket of IPVersion (a live one is closed first).
  void AllocateSocket();
  void Bind();
  void SetPeer(const std::string& ip, int port, TNetIPVersion version);
  void Connect();
  int Send(std::span<const std::uint8_t> bytes, int offset = 0, int size = -1);
  int Receive(std::span<std::uint8_t> bytes);
  // Waits for bytes (or the close); timeout -2 waits without limit, 0 polls.
  bool Readable(int timeout);
  // Stops sending and closes, under the connection lock; never raises.
  void CloseSocket();
  // Forgets the socket without closing it.
  void Reset(bool clearLocal = true);

 private:
  void SetHandle(TNetSocket handle);
  bool TryBind();

  TNetStackUse stack_use_;
  TNetSocket handle_ = platform::kInvalidSocket;
  bool allocated_ = false;
  std::string ip_;
  int port_ = 0;
  std::string peer_ip_;
  int peer_port_ = 0;
  TNetIPVersion ip_version_ = Net_IPv4;
  int client_port_min_ = 0;
  int client_port_max_ = 0;
  std::mutex connection_lock_;
  std::unique_ptr<TNetSocketList> read_socket_list_;
};

}  // namespace orvex
