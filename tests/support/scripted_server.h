#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sockets.h"

namespace orvex::test {

// One step of what the server does on an accepted connection.
struct ServerStep {
  enum Kind {
    kSend,           // send bytes
    kPause,          // sleep for ms
    kReadUntil,      // read until the received bytes of this connection end with... contain text
    kReadBlankLine,  // read until an empty line (CR LF CR LF)
    kClose,          // orderly close (shutdown sending, then close)
    kReset,          // abortive close: a reset (under Wine the peer sees an orderly end first)
    kSilent,         // stay connected and say nothing until the server stops
  };
  Kind kind;
  std::string text;
  int ms = 0;

  static ServerStep Send(std::string bytes) { return {kSend, std::move(bytes), 0}; }
  static ServerStep Pause(int ms) { return {kPause, {}, ms}; }
  static ServerStep ReadUntil(std::string marker) { return {kReadUntil, std::move(marker), 0}; }
  static ServerStep ReadBlankLine() { return {kReadBlankLine, "\r\n\r\n", 0}; }
  static ServerStep Close() { return {kClose, {}, 0}; }
  static ServerStep Reset() { return {kReset, {}, 0}; }
  static ServerStep Silent() { return {kSilent, {}, 0}; }
};
using ServerScript = std::vector<ServerStep>;

// A server on 127.0.0.1 (port chosen by the system) on its own thread. Each accepted
// connection plays the next script (the last one repeats). It records what each connection
// received and stops after its lifetime ends, when destroyed or on Stop().
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<ServerScript> scripts,
                          std::chrono::milliseconds lifetime = std::chrono::seconds(20));
  explicit ScriptedServer(ServerScript script,
                          std::chrono::milliseconds lifetime = std::chrono::seconds(20))
      : ScriptedServer(std::vector<ServerScript>{std::move(script)}, lifetime) {}
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return port_; }
  void Stop();
  // What connection index received so far.
  std::string Received(int index = 0) const;
  int Accepted() const;
  // Waits until connection index has finished its script (true) or timeout passed (false).
  bool WaitDone(int index = 0, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

 private:
  void Run();
  void Play(int index, platform::SocketHandle s);
  bool Stopping() const;

  std::vector<ServerScript> scripts_;
  std::chrono::steady_clock::time_point deadline_;
  platform::SocketHandle listener_ = platform::kInvalidSocket;
  int port_ = 0;
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  bool stop_ = false;
  std::vector<std::string> received_;
  std::vector<bool> done_;
  std::thread thread_;
};

}  // namespace orvex::test
