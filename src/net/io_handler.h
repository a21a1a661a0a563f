#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/buffer.h"
#include "net/byte_source.h"
#include "net/component.h"
#include "net/connect_thread.h"
#include "net/ip_version.h"
#include "net/socket_handle.h"
#include "net/tls_layer.h"
#include "net/transfer_bounds.h"

namespace orvex {

class TStream;

enum TNetMaxLineAction { maException, maSplit };

// The plain TCP I/O handler: one socket, the input buffer of received bytes not yet consumed,
// the optional write buffer, and the buffered reads and writes over them. As a byte source it
// fills the input buffer from the socket (through TLS when that is on).
class TNetIOHandlerStack : public TNetComponent, public TNetByteSource {
 public:
  static constexpr int kDefaultMaxLineLength = 16384;
  static constexpr int kDefaultBufferSize = 32768;

  TNetIOHandlerStack();
  ~TNetIOHandlerStack() override;

  // Connection settings (copied from the client by Connect).
  std::string Host;
  int Port = 0;
  // 0: connect on the caller's thread; -1: on a thread without limit; > 0: with this limit (ms).
  int ConnectTimeout = 0;
  // Limit (ms) of a wait for incoming bytes; -1 and 0 mean without limit.
  int ReadTimeout = -1;
  TNetIPVersion IPVersion = Net_IPv4;
  std::string BoundIP;
  int BoundPort = 0;
  int BoundPortMin = 0;
  int BoundPortMax = 0;
  TNetNotifyEvent OnBeforeBind;
  TNetNotifyEvent OnAfterBind;
  // TLS over the connection once TCP is connected: Host is the name sent and checked. The
  // handshake's waits follow ReadTimeout and it ends within ConnectTimeout (when set).
  bool UseTls = false;
  TNetTrustAnchors TrustAnchors;

  // The total and rate bounds of the exchange in progress, kept by the client (null: none). Every
  // wait for bytes and the connect (name lookup included) end when a bound is broken.
  TNetTransferBounds* Bounds = nullptr;
  // The name lookup, run inside the connect limit (the system's; tests put a slow one here).
  TNetLookupFunction LookupHost = platform::LookupHost;

  int MaxLineLength = kDefaultMaxLineLength;
  TNetMaxLineAction MaxLineAction = maException;
  int RecvBufferSize = kDefaultBufferSize;
  int SendBufferSize = kDefaultBufferSize;
  bool UseNagle = true;

  TNetSocketHandle* Binding() const { return binding_.get(); }
  TNetBuffer* InputBuffer() const { return input_buffer_.get(); }
  TNetBuffer* WriteBuffer() const { return write_buffer_.get(); }
  int WriteBufferThreshold() const { return write_buffer_threshold_; }
  bool Opened() const { return opened_; }
  bool ClosedGracefully() const { return closed_gracefully_; }
  bool ReadLnSplit() const { return read_ln_split_; }
  bool ReadLnTimedOut() const { return read_ln_timed_out_; }
  bool TlsActive() const { return tls_ != nullptr; }

  // Connection (open, close, receive step).
  void Open();
  void Close();
  bool Connected();
  void CheckClosed(bool raiseIfClosed, bool ignoreBuffer);
  // One wait and one receive: bytes received, 0 when the peer closed, -1 when the wait ran out.
  int FillInputBuffer(bool raiseIfClosed, int timeout = -1, bool raiseOnTimeout = true);
  bool Readable(int timeout);
  TNetBuffer& Input() override { return *input_buffer_; }
  // One wait of ReadTimeout within the exchange's bounds: bytes received, 0 once the peer closed.
  int Fill() override;

  // Reads.
  std::string ReadLn(std::string_view terminator = "\n", int timeout = -1, int maxLineLength = -1);
  void ReadBytes(std::vector<std::uint8_t>& bytes, int count, bool append = true);
  // count bytes, or (readUntilClosed) everything until the peer closes, into the stream.
  void ReadStream(TStream& stream, std::int64_t count = -1, bool readUntilClosed = false);
  std::int32_t ReadInt32();

  // Writes.
  void Write(std::span<const std::uint8_t> bytes);
  void Write(std::string_view text);
  void WriteLn(std::string_view text = {});
  void Write(TStream& stream, std::int64_t size = 0, bool writeSize = false);
  void SendDirect(std::span<const std::uint8_t> bytes);
  void WriteBufferOpen(int threshold = -1);
  void WriteBufferFlush(int count = -1);
  void WriteBufferClose();
  void WriteBufferCancel();
  void WriteBufferClear();

 private:
  void ConnectSocket();
  void ConnectWithTimeout(int timeout);
  std::string LookUp(int& limit, std::int64_t started);
  // The connect's limit in ms (0: on the caller's thread, -1: on a thread without limit),
  // shortened to what the exchange's total limit leaves.
  int ConnectLimit() const;
  [[noreturn]] void RaiseConnectTimeout();
  int EffectiveTimeout(int timeout) const;
  // Readable, with a wait cut into pieces so the exchange's bounds are checked in between;
  // raises ENetTransferLimitExceeded once a bound is broken.
  bool ReadableWithinBounds(int timeout);
  int FillFromTls(bool raiseIfClosed, int timeout, bool raiseOnTimeout);
  void SendRaw(std::span<const std::uint8_t> bytes, bool countWork);

  std::unique_ptr<TNetSocketHandle> binding_;
  std::unique_ptr<TNetBuffer> input_buffer_;
  std::unique_ptr<TNetBuffer> write_buffer_;
  std::unique_ptr<TNetTlsLayer> tls_;
  int write_buffer_threshold_ = 0;
  bool opened_ = false;
  bool closed_gracefully_ = false;
  bool read_ln_split_ = false;
  bool read_ln_timed_out_ = false;
};

// A millisecond counter and the wrap-aware difference of two readings.
std::uint32_t Ticks();
std::uint32_t TickDiff(std::uint32_t oldTicks, std::uint32_t newTicks);

}  // namespace orvex
