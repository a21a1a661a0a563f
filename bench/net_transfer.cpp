// Receive-path measurement: 100 MB over loopback into a memory stream and into a file stream,
// counting heap allocations made while ReadStream runs. Numbers only, never pass/fail.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "net/tcp_client.h"
#include "platform/sockets.h"
#include "stream/stream.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long long> allocations{0}, allocated_bytes{0}, receive_blocks{0}, largest{0};
}  // namespace

void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) {
    ++allocations;
    allocated_bytes += static_cast<long long>(size);
    if (size == 32768) ++receive_blocks;
    long long seen = largest.load();
    while (static_cast<long long>(size) > seen && !largest.compare_exchange_weak(seen, size)) {
    }
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

using namespace orvex;

int main(int argc, char** argv) {
  const long long total = (argc > 1 ? std::atoll(argv[1]) : 100) * 1000 * 1000;
  for (int round = 0; round < 2; ++round) {
    bool to_file = round == 1;
    TNetStackUse use;
    auto listener = platform::OpenStreamSocket(platform::AddressFamily::IPv4);
    platform::SocketAddress address;
    address.bytes[0] = 127;
    address.bytes[3] = 1;
    platform::BindSocket(listener, address);
    platform::ListenSocket(listener, 1);
    platform::LocalAddress(listener, address);
    std::thread sender([&] {
      auto s = platform::AcceptSocket(listener);
      std::vector<char> block(65536, 'x');
      long long left = total;
      while (left > 0) {
        auto n = platform::SendSome(s, block.data(),
                                    static_cast<std::size_t>(std::min<long long>(left, 65536)));
        if (n <= 0) break;
        left -= n;
      }
      platform::ShutdownSocket(s, 1);
      platform::CloseSocket(s);
    });
    TNetTCPClient client;
    client.SetHost("127.0.0.1");
    client.SetPort(address.port);
    client.Connect();
    std::unique_ptr<TStream> stream;
    std::string path = (std::filesystem::temp_directory_path() / "orvex-bench.bin").string();
    if (to_file)
      stream = std::make_unique<TFileStream>(path, TFileStream::Mode::Create);
    else
      stream = std::make_unique<TMemoryStream>();
    allocations = allocated_bytes = receive_blocks = largest = 0;
    auto start = std::chrono::steady_clock::now();
    counting = true;
    client.IOHandler()->ReadStream(*stream, total);
    counting = false;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    sender.join();
    platform::CloseSocket(listener);
    std::printf(
        "%s: %lld bytes in %.2f s (%.0f MB/s); allocations %lld (receive blocks of 32768: %lld, "
        "other: %lld), allocated %.1f MB in total, largest single allocation %lld bytes\n",
        to_file ? "file stream  " : "memory stream", static_cast<long long>(stream->Size()),
        seconds, total / seconds / 1e6, allocations.load(), receive_blocks.load(),
        allocations.load() - receive_blocks.load(), allocated_bytes.load() / 1e6, largest.load());
    stream.reset();
    if (to_file) std::filesystem::remove(path);
  }
  return 0;
}
