#include <gtest/gtest.h>

#include "core/ini_text.h"

namespace orvex {
namespace {

// The text rules of the own reader and writer (the Windows build reads through the system).
TEST(IniTextTest, OnlyTheFirstSectionOfANameCounts) {
  EXPECT_EQ(FindIniValue("[RUN]\na=1\n[RUN]\nb=2\n", "RUN", "b"), std::nullopt);
  EXPECT_EQ(FindIniValue("[ RUN ]\na='q'\n", "run", "A"), "q");
  EXPECT_EQ(FindIniValue("[RUN]\na=\"q'\n", "RUN", "a"), "\"q'");
}

TEST(IniTextTest, SetKeepsEveryOtherLineAndItsEndings) {
  EXPECT_EQ(SetIniValue("; note\r\n[RUN]\r\nmemory=1\r\n[UPDATE]\r\nversion=3\r\nurl=u\r\n",
                        "update", "VERSION", "4"),
            "; note\r\n[RUN]\r\nmemory=1\r\n[UPDATE]\r\nVERSION=4\r\nurl=u\r\n");
  EXPECT_EQ(SetIniValue("[RUN]\nmemory=1\n\n[UPDATE]\nurl=u\n", "RUN", "jarName", "A"),
            "[RUN]\nmemory=1\njarName=A\n\n[UPDATE]\nurl=u\n");
  EXPECT_EQ(SetIniValue("[RUN]\nmemory=1", "RUN", "x", "2"), "[RUN]\nmemory=1\nx=2");
  EXPECT_EQ(SetIniValue("[RUN]\nmemory=1", "UPDATE", "version", "2"),
            "[RUN]\nmemory=1\n[UPDATE]\nversion=2\n");
  EXPECT_EQ(SetIniValue("", "UPDATE", "version", "2"), "[UPDATE]\nversion=2\n");
}

TEST(IniTextTest, SetRefusesWhatWouldNotReadBack) {
  EXPECT_EQ(SetIniValue("", "UPDATE", "version", "1\n[RUN]"), std::nullopt);
  EXPECT_EQ(SetIniValue("", "UP]DATE", "version", "1"), std::nullopt);
  EXPECT_EQ(SetIniValue("", "UPDATE", "a=b", "1"), std::nullopt);
  EXPECT_EQ(SetIniValue("", "UPDATE", " ", "1"), std::nullopt);
}

}  // namespace
}  // namespace orvex
