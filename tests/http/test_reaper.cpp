// Every HTTP test talks to a loopback server: a reaper per test turns a hang into a failure.
#include <gtest/gtest.h>

#include <memory>

#include "support/reaper.h"

namespace orvex::test {
namespace {

class ReaperPerTest : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo& info) override {
    reaper_ = std::make_unique<Reaper>(std::chrono::seconds(60),
                                       std::string(info.test_suite_name()) + "." + info.name());
  }
  void OnTestEnd(const ::testing::TestInfo&) override { reaper_.reset(); }

 private:
  std::unique_ptr<Reaper> reaper_;
};

const bool kInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new ReaperPerTest);  // gtest owns it
  return true;
}();

}  // namespace
}  // namespace orvex::test
