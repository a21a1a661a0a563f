#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/exception.h"
#include "settings/ini_file.h"
#include "support/expect_failure.h"
#include "support/temp_dir.h"

namespace orvex {
namespace {

enum class Kind { Text, Number, Flag };

struct ReadCase {
  const char* name;
  std::optional<std::string> file;  // nothing: no settings file at all
  const char* section;
  const char* key;
  Kind kind;
  std::string fallback;  // the default, as text ("1"/"0" for flags)
  std::string expected;  // the result, as text ("1"/"0" for flags)
};

std::string Read(const TIniFile& ini, const ReadCase& c) {
  switch (c.kind) {
    case Kind::Text:
      return ini.ReadText(c.section, c.key, c.fallback);
    case Kind::Number:
      return std::to_string(ini.ReadNumber(c.section, c.key, std::stoi(c.fallback)));
    case Kind::Flag:
      return ini.ReadFlag(c.section, c.key, c.fallback == "1") ? "1" : "0";
  }
  return {};
}

TEST(IniFileTest, ReadsConvertAndFallBackToTheirDefaults) {
  const std::string longValue(3000, 'v');
  const ReadCase cases[] = {
      {"missing file, text", std::nullopt, "RUN", "memory", Kind::Text, "128", "128"},
      {"missing file, flag", std::nullopt, "RUN", "keepRunning", Kind::Flag, "0", "0"},
      {"missing file, number", std::nullopt, "UPDATE", "version", Kind::Number, "1", "1"},
      {"no RUN section", "[UPDATE]\nversion=3\n", "RUN", "jarName", Kind::Text, "AppRunner",
       "AppRunner"},
      {"missing key", "[RUN]\nmemory=256\n", "RUN", "jarName", Kind::Text, "AppRunner",
       "AppRunner"},
      {"plain text", "[RUN]\nmemory=256\n", "RUN", "memory", Kind::Text, "128", "256"},
      {"blank before a number", "[UPDATE]\nversion= 7\n", "UPDATE", "version", Kind::Number, "1",
       "7"},
      {"blanks around name and value", "[UPDATE]\n  version  =  7  \n", "UPDATE", "version",
       Kind::Number, "1", "7"},
      {"number and a word", "[UPDATE]\nversion=7 beta\n", "UPDATE", "version", Kind::Number, "1",
       "1"},
      {"hexadecimal", "[UPDATE]\nversion=0x1F\n", "UPDATE", "version", Kind::Number, "1", "31"},
      {"empty value", "[UPDATE]\nversion=\n", "UPDATE", "version", Kind::Number, "1", "1"},
      {"empty text value", "[RUN]\njarName=\n", "RUN", "jarName", Kind::Text, "AppRunner", ""},
      {"the word true", "[RUN]\nkeepRunning=true\n", "RUN", "keepRunning", Kind::Flag, "0", "0"},
      {"one", "[RUN]\nkeepRunning=1\n", "RUN", "keepRunning", Kind::Flag, "0", "1"},
      {"minus one", "[RUN]\nkeepRunning=-1\n", "RUN", "keepRunning", Kind::Flag, "0", "1"},
      {"zero", "[RUN]\nkeepRunning=0\n", "RUN", "keepRunning", Kind::Flag, "1", "0"},
      {"3000 characters", "[RUN]\njarName=" + longValue + "\n", "RUN", "jarName", Kind::Text, "",
       longValue.substr(0, 2047)},
      {"names without case", "[run]\nMEMORY=512\n", "RUN", "memory", Kind::Text, "128", "512"},
      {"quotes removed", "[RUN]\njarName=\"App Runner\"\n", "RUN", "jarName", Kind::Text, "",
       "App Runner"},
      {"comment line", "[RUN]\n;memory=1\nmemory=2\n", "RUN", "memory", Kind::Text, "128", "2"},
      {"first key wins", "[RUN]\nmemory=1\nmemory=2\n", "RUN", "memory", Kind::Text, "128", "1"},
      {"CR LF lines", "[RUN]\r\nmemory=300\r\n[UPDATE]\r\nurl=x\r\n", "RUN", "memory", Kind::Text,
       "128", "300"},
      {"other section's key", "[UPDATE]\nmemory=1\n[RUN]\n", "RUN", "memory", Kind::Text, "128",
       "128"},
      {"garbage", "\x01\xff[[=]\n=\n[RUN\nmemory\n", "RUN", "memory", Kind::Text, "128", "128"},
  };
  for (const ReadCase& c : cases) {
    test::TempDir dir("orvex-ini");
    if (c.file) test::WriteFile(dir.Path() / "setup.properties", *c.file);
    TIniFile ini(dir.Dir() + "setup.properties");
    EXPECT_EQ(Read(ini, c), c.expected) << c.name;
    ini.Close();
  }
}

TEST(IniFileTest, WritingTheVersionCreatesTheFile) {
  test::TempDir dir("orvex-ini");
  const std::string path = dir.Dir() + "setup.properties";
  TIniFile ini(path);
  ini.WriteNumber("UPDATE", "version", 42);
  ini.Close();
  EXPECT_EQ(TIniFile(path).ReadNumber("UPDATE", "version", 1), 42);
  EXPECT_NE(test::ReadFile(path).find("[UPDATE]"), std::string::npos);
}

TEST(IniFileTest, WritingReplacesTheKeyAndKeepsTheRest) {
  test::TempDir dir("orvex-ini");
  const std::string path = dir.Dir() + "setup.properties";
  test::WriteFile(path, "[RUN]\nmemory=256\n[UPDATE]\nversion=3\nurl=http://host/\n");
  TIniFile ini(path);
  ini.WriteNumber("UPDATE", "version", -5);
  ini.WriteText("UPDATE", "extra", "x y");
  ini.Close();
  EXPECT_EQ(ini.ReadNumber("UPDATE", "version", 1), -5);
  EXPECT_EQ(ini.ReadText("UPDATE", "url", ""), "http://host/");
  EXPECT_EQ(ini.ReadText("UPDATE", "extra", ""), "x y");
  EXPECT_EQ(ini.ReadText("RUN", "memory", ""), "256");
}

TEST(IniFileTest, AFailedWriteSaysWhichFile) {
  test::TempDir dir("orvex-ini");
  const std::string path = dir.Dir() + "missing" + (dir.Dir().back()) + "setup.properties";
  TIniFile ini(path);
  EXPECT_TRUE(test::FailsWith<EInOutError>(
      [&] {
        ini.WriteNumber("UPDATE", "version", 2);
        ini.Close();
      },
      "Unable to write to " + path));
}

}  // namespace
}  // namespace orvex
