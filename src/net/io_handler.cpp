#include "net/io_handler.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>

#include "net/connect_thread.h"
#include "net/exceptions.h"

namespace orvex {

namespace {

bool SameHostName(const std::string& host, std::string_view name) {
  return host.size() == name.size() &&
         std::equal(host.begin(), host.end(), name.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

}  // namespace

std::uint32_t Ticks() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::uint32_t TickDiff(std::uint32_t oldTicks, std::uint32_t newTicks) {
  return newTicks >= oldTicks ? newTicks - oldTicks : 0xFFFFFFFFu - oldTicks + newTicks;
}

TNetIOHandlerStack::TNetIOHandlerStack() {
  // An input buffer exists from the start so that reads on a handler that never opened end in
  // "Connection Closed Gracefully." instead of waiting for bytes that cannot come.
  input_buffer_ = std::make_unique<TNetBuffer>();
}

TNetIOHandlerStack::~TNetIOHandlerStack() {
  Close();
}

void TNetIOHandlerStack::Open() {
  opened_ = false;
  closed_gracefully_ = false;
  // Unread bytes of a previous connection are dropped here and only here.
  input_buffer_ = std::make_unique<TNetBuffer>();
  input_buffer_->SetOnBytesRemoved([this](TNetBuffer&, int count) { DoWork(wmRead, count); });
  opened_ = true;
  if (binding_) {
    binding_->CloseSocket();  // never forget a live socket without closing it
    binding_->Reset();
  } else {
    binding_ = std::make_unique<TNetSocketHandle>();
  }
  binding_->SetClientPortMin(BoundPortMin);
  binding_->SetClientPortMax(BoundPortMax);
  tls_.reset();
  if (!Host.empty() && Port > 0) {
    ConnectSocket();
    if (UseTls) {
      tls_ = std::make_unique<TNetTlsLayer>(Host, TrustAnchors);
      tls_->Handshake(*binding_, EffectiveTimeout(-1), ConnectTimeout);
    }
  }
}

void TNetIOHandlerStack::ConnectSocket() {
  if (OnBeforeBind) OnBeforeBind(this);
  binding_->SetIPVersion(IPVersion);
  binding_->AllocateSocket();
  if (!BoundIP.empty()) binding_->SetIP(BoundIP);
  binding_->SetPort(BoundPort);
  binding_->SetClientPortMin(BoundPortMin);
  binding_->SetClientPortMax(BoundPortMax);
  binding_->Bind();
  GStack->SetNoDelay(binding_->Handle(), !UseNagle);
  if (OnAfterBind) OnAfterBind(this);

  // The name lookup counts against the connect limit: a resolver that hangs ends like a peer
  // that never answers.
  const std::int64_t started = SteadyMs();
  int limit = ConnectLimit();
  std::string address = LookUp(limit, started);
  binding_->SetPeer(address, Port, IPVersion);
  DoStatus(hsConnecting, address);
  if (limit == 0)
    binding_->Connect();
  else
    ConnectWithTimeout(limit);
}

int TNetIOHandlerStack::ConnectLimit() const {
  std::int64_t left = Bounds ? Bounds->TimeLeft(SteadyMs()) : -1;
  if (left < 0) return ConnectTimeout;
  left = std::max<std::int64_t>(1, left);
  if (ConnectTimeout <= 0) return static_cast<int>(std::min<std::int64_t>(left, INT32_MAX));
  return static_cast<int>(std::min<std::int64_t>(ConnectTimeout, left));
}

void TNetIOHandlerStack::RaiseConnectTimeout() {
  Close();
  if (Bounds) {
    std::string broken = Bounds->Broken(SteadyMs());
    if (!broken.empty()) throw ENetTransferLimitExceeded(broken);
  }
  throw ENetConnectTimeout(kTextConnectTimeout);
}

std::string TNetIOHandlerStack::LookUp(int& limit, std::int64_t started) {
  const bool v4 = IPVersion == Net_IPv4;
  if (v4 && TNetStack::IsIPv4Literal(Host)) return Host;
  if (!v4 && !TNetStack::CanonicalIPv6(Host).empty()) return Host;
  DoStatus(hsResolving, Host);
  if (v4 && SameHostName(Host, "localhost")) return "127.0.0.1";
  const auto family = v4 ? platform::AddressFamily::IPv4 : platform::AddressFamily::IPv6;
  platform::SocketAddress found;
  int code;
  if (limit == 0) {
    code = LookupHost(Host, family, found);
  } else {
    TNetLookupThread lookup(Host, family, LookupHost);
    if (!lookup.WaitFor(limit)) RaiseConnectTimeout();
    code = lookup.Code();
    found = lookup.Address();
    if (limit > 0) {
      // The connect gets what the lookup left of the limit.
      std::int64_t left = limit - (SteadyMs() - started);
      if (left <= 0) RaiseConnectTimeout();
      limit = static_cast<int>(left);
    }
  }
  if (code != 0) TNetStack::RaiseSocketError(code);
  return TNetStack::AddressToText(std::span<const std::uint8_t>(found.bytes, v4 ? 4 : 16),
                                  IPVersion);
}

void TNetIOHandlerStack::ConnectWithTimeout(int timeout) {
  TNetConnectThread thread(*binding_);
  if (!thread.WaitFor(timeout < 0 ? -1 : timeout)) {
    // Closing the socket makes the pending connect fail; the thread is joined before raising.
    Close();
    thread.Join();
    RaiseConnectTimeout();
  }
  thread.Join();
  if (thread.Failed()) {
    if (thread.HasCode()) throw ENetSocketError(thread.Code(), thread.Message());
    throw ENetConnectException(thread.Message());
  }
}

void TNetIOHandlerStack::Close() {
  if (binding_) binding_->CloseSocket();
  tls_.reset();
  opened_ = false;
}

bool TNetIOHandlerStack::Connected() {
  FillInputBuffer(false, 0, false);
  CheckClosed(false, false);
  bool live = binding_ && binding_->HandleAllocated();
  return (live && opened_ && !closed_gracefully_) || input_buffer_->Size() > 0;
}

void TNetIOHandlerStack::CheckClosed(bool raiseIfClosed, bool ignoreBuffer) {
  bool live = binding_ && binding_->HandleAllocated();
  bool closed;
  if (closed_gracefully_) {
    if (live) {
      Close();
      DoStatus(hsDisconnected);
    }
    closed = true;
  } else {
    closed = !live;
  }
  if (closed && (input_buffer_->Size() == 0 || ignoreBuffer) && raiseIfClosed)
    throw ENetConnClosedGracefully(kTextConnClosedGracefully);
}

int TNetIOHandlerStack::EffectiveTimeout(int timeout) const {
  if (timeout != -1) return timeout;
  return ReadTimeout <= 0 ? -2 : ReadTimeout;
}

int TNetIOHandlerStack::FillInputBuffer(bool raiseIfClosed, int timeout, bool raiseOnTimeout) {
  timeout = EffectiveTimeout(timeout);
  CheckClosed(raiseIfClosed, false);
  if (!binding_ || !binding_->HandleAllocated()) {
    if (raiseIfClosed) throw ENetException(kTextNotConnected);
    return 0;
  }
  if (tls_) return FillFromTls(raiseIfClosed, timeout, raiseOnTimeout);
  if (!ReadableWithinBounds(timeout)) {
    if (raiseOnTimeout) throw ENetReadTimeout(kTextReadTimeout);
    return -1;
  }
  if (!binding_->HandleAllocated()) throw ENetClosedSocket(kTextClosedSocket);
  // A fresh block per receive: a non-empty input buffer copies it, an empty one adopts it.
  std::vector<std::uint8_t> block(static_cast<std::size_t>(std::max(1, RecvBufferSize)));
  int n = binding_->Receive(block);
  if (n > 0) {
    if (Bounds) Bounds->Received(SteadyMs(), n);
    block.resize(static_cast<std::size_t>(n));
    input_buffer_->Append(std::move(block));
  }
  closed_gracefully_ = n == 0;
  CheckClosed(raiseIfClosed, false);
  return n;
}

int TNetIOHandlerStack::Fill() {
  // A closed connection gives 0 instead of raising: the reader knows whether it needed more.
  return std::max(0, FillInputBuffer(false, -1, true));
}

bool TNetIOHandlerStack::ReadableWithinBounds(int timeout) {
  // A poll (timeout 0) never fails on a bound: it only looks at what is there.
  if (!Bounds || !Bounds->Active() || timeout == 0) return Readable(timeout);
  const std::int64_t started = SteadyMs();
  for (;;) {
    const std::int64_t now = SteadyMs();
    // Checked before each wait, so a peer that keeps sending fast is held to the total limit too.
    std::string broken = Bounds->Broken(now);
    if (!broken.empty()) throw ENetTransferLimitExceeded(broken);
    std::int64_t wait = Bounds->WaitAllowance(now);
    if (timeout > 0) {
      const std::int64_t left = started + timeout - now;
      if (left <= 0) return false;
      wait = wait < 0 ? left : std::min(wait, left);
    }
    if (Readable(wait < 0 ? -2 : static_cast<int>(std::min<std::int64_t>(wait, INT32_MAX))))
      return true;
  }
}

// The TLS twin of the receive step: plaintext of records already received comes first, then
// the socket is waited on and read until a whole record gives plaintext. Each wait is bounded by
// the same limit; a peer's close_notify or TCP close ends the connection in order.
int TNetIOHandlerStack::FillFromTls(bool raiseIfClosed, int timeout, bool raiseOnTimeout) {
  // A fresh block per receive, adopted by an empty input buffer as on the plain path.
  std::vector<std::uint8_t> block(static_cast<std::size_t>(std::max(1, RecvBufferSize)));
  for (;;) {
    int n = tls_->Decrypt(block);
    if (n > 0) {
      block.resize(static_cast<std::size_t>(n));
      input_buffer_->Append(std::move(block));
      return n;
    }
    if (n == 0) {
      if (!ReadableWithinBounds(timeout)) {
        if (raiseOnTimeout) throw ENetReadTimeout(kTextReadTimeout);
        return -1;
      }
      if (!binding_->HandleAllocated()) throw ENetClosedSocket(kTextClosedSocket);
      const int received = tls_->Receive(*binding_);
      if (received > 0) {
        // The bounds count what arrives on the wire, as on the plain path.
        if (Bounds) Bounds->Received(SteadyMs(), received);
        continue;
      }
      tls_->CheckCleanClose();
    }
    closed_gracefully_ = true;
    CheckClosed(raiseIfClosed, false);
    return 0;
  }
}

bool TNetIOHandlerStack::Readable(int timeout) {
  if (!binding_) throw ENetConnClosedGracefully(kTextConnClosedGracefully);
  return binding_->Readable(timeout);
}

}  // namespace orvex
