// A whole response as a hostile server sends it: head, framing and body read by TNetHTTP::Get
// over a real loopback connection. The first input byte picks the client's receive block size
// so that lines and chunks also arrive cut at every place; the rest is what the server sends
// after reading the request head, before it ends the connection in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "core/exception.h"
#include "http/net_http.h"
#include "net/io_handler.h"
#include "platform/sockets.h"
#include "stream/stream.h"

namespace {

namespace platform = orvex::platform;

platform::SocketHandle listener = platform::kInvalidSocket;
int port = 0;

void Listen() {
  platform::StartSockets();
  listener = platform::OpenStreamSocket(platform::AddressFamily::IPv4);
  platform::SocketAddress address;
  address.bytes[0] = 127;
  address.bytes[3] = 1;
  platform::SetReuseAddress(listener);
  if (listener == platform::kInvalidSocket || platform::BindSocket(listener, address) != 0 ||
      platform::ListenSocket(listener, 16) != 0 || platform::LocalAddress(listener, address) != 0) {
    std::abort();
  }
  port = address.port;
}

void Serve(std::string_view response) {
  platform::SocketHandle s = platform::AcceptSocket(listener);
  if (s == platform::kInvalidSocket) return;
  // Read the whole request head so that closing never resets the connection.
  std::string head;
  char block[4096];
  while (head.find("\r\n\r\n") == std::string::npos) {
    auto n = platform::ReceiveSome(s, block, sizeof block);
    if (n <= 0) break;
    head.append(block, static_cast<std::size_t>(n));
  }
  while (!response.empty()) {
    auto n = platform::SendSome(s, response.data(), response.size());
    if (n <= 0) break;  // the client gave up and closed
    response.remove_prefix(static_cast<std::size_t>(n));
  }
  platform::ShutdownSocket(s, 1);
  platform::CloseSocket(s);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Listen();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr int kBlockSizes[] = {1, 2, 3, 7, 16, 64, 1024, 32768};
  const int blockSize = kBlockSizes[data[0] % 8];
  std::string_view response(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::thread server(Serve, response);
  {
    orvex::TNetHTTP http(nullptr);
    auto handler = std::make_unique<orvex::TNetIOHandlerStack>();
    handler->RecvBufferSize = blockSize;
    http.SetIOHandler(std::move(handler));
    orvex::TMemoryStream body;
    try {
      http.Get("http://127.0.0.1:" + std::to_string(port) + "/update/version.txt", body);
      // A success delivered exactly what the framing announced.
      if (http.ResponseCode() != 204 && http.Response().HasContentLength() &&
          http.Response().ContentLength() >= 0 &&
          http.Response().RawHeaders.Value("Transfer-Encoding").find("chunked") ==
              std::string::npos &&
          body.Size() != http.Response().ContentLength()) {
        __builtin_trap();
      }
    } catch (const orvex::Exception&) {
    }
  }
  server.join();
  return 0;
}
