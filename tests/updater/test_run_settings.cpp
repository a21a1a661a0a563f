#include <gtest/gtest.h>

#include <string>

#include "core/exception.h"
#include "updater/run_settings.h"

namespace orvex {
namespace {

struct SettingCase {
  std::string value;
  bool accepted;
};

void PrintTo(const SettingCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(c.value) << (c.accepted ? " accepted" : " refused");
}

class JarNameTest : public ::testing::TestWithParam<SettingCase> {};

TEST_P(JarNameTest, OnlyAPlainFileNameIsTaken) {
  const SettingCase& c = GetParam();
  if (c.accepted) {
    EXPECT_NO_THROW(CheckJarName(c.value));
    return;
  }
  try {
    CheckJarName(c.value);
    ADD_FAILURE() << "accepted";
  } catch (const Exception& failure) {
    EXPECT_NE(failure.Message().find("jarName"), std::string::npos) << failure.Message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, JarNameTest,
    ::testing::Values(SettingCase{"AppRunner", true}, SettingCase{"App Runner", true},
                      SettingCase{"app-runner_2.1", true}, SettingCase{"Ärger", true},
                      SettingCase{"", false}, SettingCase{"/../../X", false},
                      SettingCase{"../X", false}, SettingCase{"..", false},
                      SettingCase{"a..b", false}, SettingCase{"sub/App", false},
                      SettingCase{"sub\\App", false}, SettingCase{"C:App", false},
                      SettingCase{"App\" -Dx=1 \"", false}, SettingCase{"App\nversion=9", false},
                      SettingCase{"App\t", false}, SettingCase{std::string("A\0B", 3), false},
                      SettingCase{"App\x7f", false}));

class MemoryTest : public ::testing::TestWithParam<SettingCase> {};

TEST_P(MemoryTest, OnlyADecimalNumberOfMegabytesIsTaken) {
  const SettingCase& c = GetParam();
  if (c.accepted) {
    EXPECT_NO_THROW(CheckMemory(c.value));
    return;
  }
  try {
    CheckMemory(c.value);
    ADD_FAILURE() << "accepted";
  } catch (const Exception& failure) {
    EXPECT_NE(failure.Message().find("memory"), std::string::npos) << failure.Message();
  }
}

INSTANTIATE_TEST_SUITE_P(Values, MemoryTest,
                         ::testing::Values(SettingCase{"128", true}, SettingCase{"1", true},
                                           SettingCase{"9999999", true}, SettingCase{"0128", true},
                                           SettingCase{"", false}, SettingCase{"0", false},
                                           SettingCase{"000", false},
                                           SettingCase{"10000000", false}, SettingCase{"-1", false},
                                           SettingCase{"+5", false}, SettingCase{"$80", false},
                                           SettingCase{"1.5", false}, SettingCase{"128m", false},
                                           SettingCase{"128 -Dfoo=bar", false},
                                           SettingCase{"128\" -cp \"x", false}));

}  // namespace
}  // namespace orvex
