#include <gtest/gtest.h>

#include <string>

#include "shell/command_line.h"

namespace orvex {
namespace {

struct SplitCase {
  std::string rest;  // the command line after "prog "
  std::string first;
};

TEST(CommandLineTest, FirstArgumentFollowsTheCuttingRules) {
  const SplitCase cases[] = {
      {"lock", "lock"},
      {"\"lock\"", "lock"},
      {"lo\"ck\"", "lock"},
      {"\"lo ck\"", "lo ck"},
      {"\"\" lock", "lock"},
      {"\"\"lock", "lock"},
      {"\"\" \"\" lock", "lock"},
      {"\"lock", "lock"},
      {"\"lock\"\"", "lock"},
      {"\\\"lock\\\"", "\\lock\\"},
      {"\" lock\"", " lock"},
      {"lock reboot", "lock"},
      {"\tlock", "lock"},
      {"\r\nlock", "lock"},
      {"", ""},
      {" \t\r\n", ""},
      {"\"\"", ""},
      {"\"", ""},
      {"\x01lock\x1f", "lock"},
      {"caf\xe9 lock", "caf\xe9"},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(ArgumentOf("prog " + c.rest, 1), c.first) << "rest: [" << c.rest << "]";
  }
}

TEST(CommandLineTest, LaterArgumentsAndThePastTheEndIndex) {
  EXPECT_EQ(ArgumentOf("prog lock reboot", 2), "reboot");
  EXPECT_EQ(ArgumentOf("prog lock reboot", 3), "");
  EXPECT_EQ(ArgumentOf("prog \"\" lock \"\" reboot \"\"", 2), "reboot");
  EXPECT_EQ(ArgumentOf("prog lock reboot", 1000), "");
  EXPECT_EQ(ArgumentOf("prog lock", -1), "");
}

TEST(CommandLineTest, QuotedProgramPathIsOneToken) {
  EXPECT_EQ(ArgumentOf("\"C:\\Program Files\\Orvex\\orvex-launcher.exe\" lock", 1), "lock");
  EXPECT_EQ(ArgumentOf("\"C:\\Program Files\\Orvex\\orvex-launcher.exe\" lock", 0),
            "C:\\Program Files\\Orvex\\orvex-launcher.exe");
  // Unquoted, the path's second piece becomes the first argument.
  EXPECT_EQ(ArgumentOf("C:\\Program Files\\Orvex\\orvex-launcher.exe lock", 1),
            "Files\\Orvex\\orvex-launcher.exe");
  // A command line that is only a session word takes it for the program's name.
  EXPECT_EQ(ArgumentOf("lock", 1), "");
}

TEST(CommandLineTest, CutArgumentStopsAtTheSeparatorAfterTheArgument) {
  std::string param;
  const std::string text = "prog  \"a b\"c  d";
  std::size_t position = CutArgument(text, 0, param);
  EXPECT_EQ(param, "prog");
  EXPECT_EQ(position, 4u);
  position = CutArgument(text, position, param);
  EXPECT_EQ(param, "a bc");
  EXPECT_EQ(position, 12u);
  position = CutArgument(text, position, param);
  EXPECT_EQ(param, "d");
  position = CutArgument(text, position, param);
  EXPECT_EQ(param, "");
  EXPECT_EQ(position, text.size());
}

TEST(CommandLineTest, ArgumentZeroIsTheExecutablePathWhateverTheCommandLineSays) {
  const std::string path = CommandArgument(0);
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.find("test_shell"), std::string::npos) << path;
  EXPECT_EQ(CommandArgument(-1), "");
  EXPECT_EQ(CommandArgument(-2147483647 - 1), "");
  const std::string dir = ExeDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(path.substr(0, dir.size()), dir);
  EXPECT_EQ(path.find_first_of(dir.back() == '/' ? "/" : "\\:", dir.size()), std::string::npos);
}

TEST(CommandLineTest, DirectoryPartCutsAfterTheLastDelimiter) {
  EXPECT_EQ(DirectoryPart("D:\\data\\file.ext", "\\:"), "D:\\data\\");
  EXPECT_EQ(DirectoryPart("D:file.ext", "\\:"), "D:");
  EXPECT_EQ(DirectoryPart("file.ext", "\\:"), "");
  EXPECT_EQ(DirectoryPart("/opt/orvex/orvex-launcher", "/"), "/opt/orvex/");
  EXPECT_EQ(DirectoryPart("", "/"), "");
}

}  // namespace
}  // namespace orvex
