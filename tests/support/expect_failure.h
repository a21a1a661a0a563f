#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <string_view>

namespace orvex::test {

// Whether `call` fails with an exception of class E whose message is `message`:
//   EXPECT_TRUE(test::FailsWith<ENetException>([&] { buffer.IndexOf(""); }, "..."));
template <class E, class F>
::testing::AssertionResult FailsWith(F&& call, std::string_view message) {
  try {
    call();
  } catch (const E& failure) {
    if (failure.Message() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "failed with \"" << failure.Message() << "\" instead of \"" << message << "\"";
  } catch (const std::exception& other) {
    return ::testing::AssertionFailure() << "failed with another class: " << other.what();
  }
  return ::testing::AssertionFailure() << "did not fail; expected \"" << message << "\"";
}

}  // namespace orvex::test
