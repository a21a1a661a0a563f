// One TNetHTTP::Get of a URL, into a file or (with "-") into memory, with the client's default
// settings; an https URL may name a PEM file of trusted CAs. Timed and measured from outside
// (bench/bench.py); prints the byte count.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "http/net_http.h"
#include "stream/stream.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: get-file URL FILE|- [CA-FILE]\n");
    return 2;
  }
  const std::string target = argv[2];
  try {
    std::unique_ptr<orvex::TStream> stream;
    if (target == "-") {
      stream = std::make_unique<orvex::TMemoryStream>();
    } else {
      stream = std::make_unique<orvex::TFileStream>(target, orvex::TFileStream::Mode::Create);
    }
    orvex::TNetHTTP client(nullptr);
    if (argc == 4) client.LoadTrustAnchors(argv[3]);
    client.Get(argv[1], *stream);
    std::printf("%lld\n", static_cast<long long>(stream->Size()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "get-file: %s\n", e.what());
    return 1;
  }
  return 0;
}
