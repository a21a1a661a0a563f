#include "support/scripted_server.h"

#include <algorithm>
#include <stdexcept>

#include "net/stack.h"

namespace orvex::test {
namespace {
constexpr int kSliceMs = 20;  // waits are cut into slices so Stop() is noticed quickly
}

ScriptedServer::ScriptedServer(std::vector<ServerScript> scripts,
                               std::chrono::milliseconds lifetime)
    : scripts_(std::move(scripts)), deadline_(std::chrono::steady_clock::now() + lifetime) {
  TNetStack::AcquireStack();  // starts the platform socket library where one is needed
  listener_ = platform::OpenStreamSocket(platform::AddressFamily::IPv4);
  if (listener_ == platform::kInvalidSocket) throw std::runtime_error("server: no socket");
  platform::SocketAddress address;
  address.bytes[0] = 127;
  address.bytes[3] = 1;
  platform::SetReuseAddress(listener_);
  if (platform::BindSocket(listener_, address) != 0 || platform::ListenSocket(listener_, 16) != 0 ||
      platform::LocalAddress(listener_, address) != 0) {
    platform::CloseSocket(listener_);
    TNetStack::ReleaseStack();
    throw std::runtime_error("server: cannot listen");
  }
  port_ = address.port;
  thread_ = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer() {
  Stop();
  TNetStack::ReleaseStack();
}

void ScriptedServer::Stop() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (listener_ != platform::kInvalidSocket) {
    platform::CloseSocket(listener_);
    listener_ = platform::kInvalidSocket;
  }
}

bool ScriptedServer::Stopping() const {
  std::lock_guard<std::mutex> guard(lock_);
  return stop_ || std::chrono::steady_clock::now() >= deadline_;
}

std::string ScriptedServer::Received(int index) const {
  std::lock_guard<std::mutex> guard(lock_);
  return index < static_cast<int>(received_.size()) ? received_[static_cast<std::size_t>(index)]
                                                    : std::string();
}

int ScriptedServer::Accepted() const {
  std::lock_guard<std::mutex> guard(lock_);
  return static_cast<int>(received_.size());
}

bool ScriptedServer::WaitDone(int index, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> guard(lock_);
  return changed_.wait_for(guard, timeout, [&] {
    return index < static_cast<int>(done_.size()) && done_[static_cast<std::size_t>(index)];
  });
}

void ScriptedServer::Run() {
  std::vector<std::thread> connections;
  while (!Stopping()) {
    if (platform::WaitReadable(listener_, kSliceMs) != 1) continue;
    platform::SocketHandle s = platform::AcceptSocket(listener_);
    if (s == platform::kInvalidSocket) continue;
    int index;
    {
      std::lock_guard<std::mutex> guard(lock_);
      index = static_cast<int>(received_.size());
      received_.emplace_back();
      done_.push_back(false);
    }
    connections.emplace_back([this, index, s] { Play(index, s); });
  }
  for (auto& connection : connections) connection.join();
}

void ScriptedServer::Play(int index, platform::SocketHandle s) {
  const ServerScript& script =
      scripts_[std::min(static_cast<std::size_t>(index), scripts_.size() - 1)];
  bool open = true;
  auto receive_some = [&]() -> bool {  // false when the peer closed or the server stops
    while (!Stopping()) {
      int ready = platform::WaitReadable(s, kSliceMs);
      if (ready < 0) return false;
      if (ready == 0) continue;
      char block[4096];
      auto n = platform::ReceiveSome(s, block, sizeof block);
      if (n <= 0) return false;
      std::lock_guard<std::mutex> guard(lock_);
      received_[static_cast<std::size_t>(index)].append(block, static_cast<std::size_t>(n));
      return true;
    }
    return false;
  };
  std::size_t consumed = 0;  // received bytes already matched by an earlier read step
  for (const ServerStep& step : script) {
    if (!open || Stopping()) break;
    switch (step.kind) {
      case ServerStep::kSend: {
        std::size_t sent = 0;
        while (sent < step.text.size()) {
          auto n = platform::SendSome(s, step.text.data() + sent, step.text.size() - sent);
          if (n <= 0) break;
          sent += static_cast<std::size_t>(n);
        }
        break;
      }
      case ServerStep::kPause: {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.ms);
        while (!Stopping() && std::chrono::steady_clock::now() < until)
          std::this_thread::sleep_for(std::chrono::milliseconds(std::min(step.ms, kSliceMs)));
        break;
      }
      case ServerStep::kReadUntil:
      case ServerStep::kReadBlankLine: {
        for (;;) {
          std::size_t at;
          {
            std::lock_guard<std::mutex> guard(lock_);
            at = received_[static_cast<std::size_t>(index)].find(step.text, consumed);
          }
          if (at != std::string::npos) {
            consumed = at + step.text.size();
            break;
          }
          if (!receive_some()) break;
        }
        break;
      }
      case ServerStep::kClose: {
        platform::ShutdownSocket(s, 1);
        // Drain briefly: closing with unread bytes would turn the orderly end into a reset.
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        while (std::chrono::steady_clock::now() < until &&
               platform::WaitReadable(s, kSliceMs) != -1) {
          char block[4096];
          if (platform::WaitReadable(s, 0) != 1) continue;
          auto n = platform::ReceiveSome(s, block, sizeof block);
          if (n <= 0) break;
          std::lock_guard<std::mutex> guard(lock_);
          received_[static_cast<std::size_t>(index)].append(block, static_cast<std::size_t>(n));
        }
        platform::CloseSocket(s);
        open = false;
        break;
      }
      case ServerStep::kReset:
        platform::SetAbortiveClose(s);
        platform::CloseSocket(s);
        open = false;
        break;
      case ServerStep::kSilent:
        while (!Stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
        break;
    }
  }
  if (open) platform::CloseSocket(s);
  {
    std::lock_guard<std::mutex> guard(lock_);
    done_[static_cast<std::size_t>(index)] = true;
  }
  changed_.notify_all();
}

}  // namespace orvex::test
