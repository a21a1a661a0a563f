#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/java_command.h"

namespace orvex {
namespace {

TEST(JavaCommandTest, CommandLineQuotesTheRuntimeTheJarAndExeDir) {
  const auto command = JavaCommand("D:\\Tool\\jre\\bin\\javaw.exe", "256",
                                   "D:\\Tool\\AppRunner.jar", "app", "D:\\Tool\\");
  EXPECT_EQ(command.commandLine,
            "\"D:\\Tool\\jre\\bin\\javaw.exe\" -Xmx256m -jar \"D:\\Tool\\AppRunner.jar\" app "
            "\"D:\\Tool\\\"");
}

TEST(JavaCommandTest, ArgumentVectorHoldsTheSameWordsUnquoted) {
  const auto command = JavaCommand("/opt/my tool/jre/bin/java", "128",
                                   "/opt/my tool/App Runner.jar", "app", "/opt/my tool/");
  const std::vector<std::string> expected = {
      "/opt/my tool/jre/bin/java",   "-Xmx128m", "-jar",
      "/opt/my tool/App Runner.jar", "app",      "/opt/my tool/"};
  EXPECT_EQ(command.arguments, expected);
  EXPECT_EQ(command.commandLine,
            "\"/opt/my tool/jre/bin/java\" -Xmx128m -jar \"/opt/my tool/App Runner.jar\" app "
            "\"/opt/my tool/\"");
}

}  // namespace
}  // namespace orvex
