#include <gtest/gtest.h>

#include "session/session_command.h"

namespace orvex {
namespace {

TEST(SessionCommandTest, AnUnknownCodeRequestsNothing) {
  EXPECT_EQ(PerformSessionCommand(5), -1);
  EXPECT_EQ(PerformSessionCommand(0xFFFFFFFFu), -1);
}

}  // namespace
}  // namespace orvex
