// Stands in for the Java runtime in the launcher benchmarks: appends the monotonic clock (in
// nanoseconds) at its start to $ORVEX_BENCH_STAMP, then stays for $ORVEX_BENCH_JAVA_MS ms.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

int main() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  if (const char* stamp = std::getenv("ORVEX_BENCH_STAMP")) {
    std::ofstream(stamp, std::ios::app)
        << std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() << "\n";
  }
  const char* stay = std::getenv("ORVEX_BENCH_JAVA_MS");
  std::this_thread::sleep_for(std::chrono::milliseconds(stay ? std::atol(stay) : 0));
  return 0;
}
