#include "platform/clock.h"

#include <ctime>

namespace orvex::platform {

bool LocalTimeBiasMinutes(int& bias) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return false;
  bias = static_cast<int>(-local.tm_gmtoff / 60);
  return true;
}

}  // namespace orvex::platform
