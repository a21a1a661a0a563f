#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <optional>
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

// The failure of class E that `call` ended with, for checks beyond its message; empty when the
// call did not fail. A failure of another class goes on to the test.
//   const auto failure = test::FailureOf<ENetSocketError>([&] { client.Connect(); });
//   ASSERT_TRUE(failure.has_value());
//   EXPECT_EQ(failure->LastError(), 10061);
template <class E, class F>
std::optional<E> FailureOf(F&& call) {
  try {
    call();
  } catch (const E& failure) {
    return failure;
  }
  return std::nullopt;
}

}  // namespace orvex::test
