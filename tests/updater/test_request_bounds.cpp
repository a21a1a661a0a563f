#include <gtest/gtest.h>

#include "http/net_http.h"
#include "updater/update_form.h"

namespace orvex {
namespace {

// The updater's minute-long bounds themselves are exercised with short settings in the client's
// tests; here: which settings each of its two requests gets.
TEST(UpdaterBounds, TheCheckEndsWithinAMinuteAndTheJarMovesAtLeast1KiBPerMinute) {
  TNetHTTP client(nullptr);
  BoundVersionCheck(client);
  EXPECT_EQ(client.TotalTimeout, 60000);
  EXPECT_EQ(client.MinimumRate, 0);
  BoundDownload(client);
  EXPECT_EQ(client.TotalTimeout, 0);
  EXPECT_EQ(client.MinimumRate, 1024);
  EXPECT_EQ(client.RateWindow, 60000);
  BoundVersionCheck(client);
  EXPECT_EQ(client.TotalTimeout, 60000);
  EXPECT_EQ(client.MinimumRate, 0);
}

}  // namespace
}  // namespace orvex
