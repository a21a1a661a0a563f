// A whole response as a hostile server sends it: head, framing and body read by the client from
// memory, as the reply to a request for the version file. The first input byte picks the slice
// size in which the bytes arrive, so that lines and chunks also come cut at every place; the
// rest is what the server sends before it ends the connection in order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exception.h"
#include "http/net_http.h"
#include "net/memory_source.h"
#include "stream/stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr std::size_t kSliceSizes[] = {1, 2, 3, 7, 16, 64, 1024, 32768};
  orvex::TNetMemorySource source(std::string(reinterpret_cast<const char*>(data) + 1, size - 1),
                                 kSliceSizes[data[0] % 8]);
  orvex::TNetHTTP http(nullptr);
  orvex::TMemoryStream body;
  try {
    http.ResolveTarget("http://127.0.0.1:8080/update/version.txt");
    const auto next = http.ReadResponse(source, &body, {});
    const orvex::TNetHTTPResponse& response = http.Response();
    // A success delivered exactly what the framing announced.
    if (next == orvex::nsDone && http.ResponseCode() != 204 && response.HasContentLength() &&
        response.ContentLength() >= 0 &&
        response.RawHeaders.Value("Transfer-Encoding").find("chunked") == std::string::npos &&
        body.Size() != response.ContentLength()) {
      __builtin_trap();
    }
  } catch (const orvex::Exception&) {
  }
  return 0;
}
