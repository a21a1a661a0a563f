// URL splitting, composing and path merging on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/exception.h"
#include "http/uri.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  orvex::TNetURI uri;
  uri.Parse(text);
  try {
    (void)uri.ComposeURI(true, true);
    (void)uri.ComposeURI(false, false);
  } catch (const orvex::Exception&) {
  }
  // The same text as a path relative to the parsed one, and a search within it.
  (void)orvex::TNetURI::MergePath(uri.Path, text);
  std::string_view half = text.substr(0, size / 2);
  (void)orvex::TNetURI::ReverseFind(half, text);
  (void)orvex::TNetURI::ReverseFind(half, text, static_cast<int>(size % 7) - 1);
  return 0;
}
