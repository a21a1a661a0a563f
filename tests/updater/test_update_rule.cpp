#include <gtest/gtest.h>

#include "updater/update_rule.h"

namespace orvex {
namespace {

TEST(UpdateRule, Cases) {
  struct Case {
    const char* what;
    std::int32_t remote, local, installed, failed;
    UpdateDecision expected;
  };
  const Case cases[] = {
      {"newer than both", 5, 4, 4, -1, UpdateDecision::kDownload},
      {"not newer than the data directory's", 5, 5, 3, -1, UpdateDecision::kNone},
      {"not newer than the installation's", 5, 3, 5, -1, UpdateDecision::kNone},
      {"older", 2, 3, 1, -1, UpdateDecision::kNone},
      {"no version obtained", -1, -5, -5, -1, UpdateDecision::kNone},
      {"signed comparison", 1, -2, -3, -1, UpdateDecision::kDownload},
      {"largest version", 2147483647, 1, 1, -1, UpdateDecision::kDownload},
      {"the version rolled back before", 3, 2, 1, 3, UpdateDecision::kRolledBackOnce},
      {"a later one than the rolled-back", 4, 2, 1, 3, UpdateDecision::kDownload},
      {"rolled back, but not newer anyway", 3, 3, 1, 3, UpdateDecision::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecideUpdate(c.remote, c.local, c.installed, c.failed), c.expected) << c.what;
  }
}

}  // namespace
}  // namespace orvex
