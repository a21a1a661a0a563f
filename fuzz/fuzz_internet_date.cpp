// Dates as servers send them (Expires, Last-Modified): every form and the zone offset.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/exception.h"
#include "http/internet_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string zone;
  orvex::TDateTime moment = orvex::ParseInternetDate(text, &zone);
  if (!std::isfinite(moment)) __builtin_trap();
  if (zone.size() > size) __builtin_trap();
  if (!std::isfinite(orvex::ParseGmtOffset(text))) __builtin_trap();
  try {
    (void)orvex::InternetDateToLocal(text);
  } catch (const orvex::Exception&) {
  }
  return 0;
}
