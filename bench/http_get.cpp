// GET measurement: a large body over loopback, framed by Content-Length and chunked, into a
// memory stream and a file stream. Numbers only, never pass/fail.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "http/net_http.h"
#include "net/stack.h"
#include "platform/sockets.h"
#include "stream/stream.h"

using namespace orvex;

namespace {

void SendAll(platform::SocketHandle s, const char* data, std::size_t count) {
  while (count > 0) {
    auto n = platform::SendSome(s, data, count);
    if (n <= 0) return;
    data += n;
    count -= static_cast<std::size_t>(n);
  }
}

void Serve(platform::SocketHandle listener, long long total, bool chunked) {
  auto s = platform::AcceptSocket(listener);
  std::string request;
  char block[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    auto n = platform::ReceiveSome(s, block, sizeof block);
    if (n <= 0) break;
    request.append(block, static_cast<std::size_t>(n));
  }
  std::string head = "HTTP/1.1 200 OK\r\n";
  head += chunked ? "Transfer-Encoding: chunked\r\n\r\n"
                  : "Content-Length: " + std::to_string(total) + "\r\nConnection: close\r\n\r\n";
  SendAll(s, head.data(), head.size());
  std::vector<char> body(32768, 'x');
  for (long long left = total; left > 0;) {
    auto piece = static_cast<std::size_t>(std::min<long long>(left, 32768));
    if (chunked) {
      char size[32];
      int length = std::snprintf(size, sizeof size, "%zx\r\n", piece);
      SendAll(s, size, static_cast<std::size_t>(length));
    }
    SendAll(s, body.data(), piece);
    if (chunked) SendAll(s, "\r\n", 2);
    left -= static_cast<long long>(piece);
  }
  if (chunked) SendAll(s, "0\r\n\r\n", 5);
  platform::ShutdownSocket(s, 1);
  platform::CloseSocket(s);
}

}  // namespace

int main(int argc, char** argv) {
  const long long total = (argc > 1 ? std::atoll(argv[1]) : 100) * 1000 * 1000;
  TNetStackUse use;
  for (int round = 0; round < 4; ++round) {
    bool chunked = round % 2 == 1;
    bool toFile = round >= 2;
    auto listener = platform::OpenStreamSocket(platform::AddressFamily::IPv4);
    platform::SocketAddress address;
    address.bytes[0] = 127;
    address.bytes[3] = 1;
    platform::BindSocket(listener, address);
    platform::ListenSocket(listener, 1);
    platform::LocalAddress(listener, address);
    std::thread server(Serve, listener, total, chunked);

    std::string path = (std::filesystem::temp_directory_path() / "orvex-http-bench.bin").string();
    std::unique_ptr<TStream> stream;
    if (toFile) {
      stream = std::make_unique<TFileStream>(path, TFileStream::Mode::Create);
    } else {
      stream = std::make_unique<TMemoryStream>();
    }
    TNetHTTP client(nullptr);
    auto start = std::chrono::steady_clock::now();
    client.Get("http://127.0.0.1:" + std::to_string(address.port) + "/big.jar.tmp", *stream);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    server.join();
    platform::CloseSocket(listener);
    std::printf("%-13s %-14s %lld bytes in %.2f s (%.0f MB/s)\n",
                toFile ? "file stream" : "memory stream", chunked ? "chunked" : "Content-Length",
                static_cast<long long>(stream->Size()), seconds, total / seconds / 1e6);
    stream.reset();
    if (toFile) std::filesystem::remove(path);
  }
  return 0;
}
