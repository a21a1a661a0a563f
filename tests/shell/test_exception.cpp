#include <gtest/gtest.h>

#include "core/exception.h"

namespace orvex {
namespace {

TEST(ExceptionTest, MessageTemplateTakesTheValueInPlaceOfTheFirstMarker) {
  EXPECT_EQ(FormatMessage("Resource %s not found", "TFormMain"), "Resource TFormMain not found");
  EXPECT_EQ(FormatMessage("no marker", "x"), "no marker");
  EResNotFound failure(FormatMessage("Resource %s not found", "TFormWait"));
  const Exception& base = failure;
  EXPECT_EQ(base.Message(), "Resource TFormWait not found");
}

}  // namespace
}  // namespace orvex
