#include "net/memory_source.h"

#include <algorithm>
#include <string_view>

namespace orvex {

TNetMemorySource::TNetMemorySource(std::string bytes, std::size_t sliceSize)
    : bytes_(std::move(bytes)),
      sliceSize_(std::clamp<std::size_t>(sliceSize, 1, std::size_t{1} << 30)) {}

int TNetMemorySource::Fill() {
  const std::size_t take = std::min(sliceSize_, Pending());
  input_.Append(std::string_view(bytes_).substr(next_, take));
  next_ += take;
  return static_cast<int>(take);
}

}  // namespace orvex
