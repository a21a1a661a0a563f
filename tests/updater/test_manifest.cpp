#include <gtest/gtest.h>

#include <string>

#include "core/exception.h"
#include "support/expect_failure.h"
#include "updater/manifest.h"

namespace orvex {
namespace {

const std::string kHex = "3ce0a06c10c13cdb7829dd1c8dfdabedd4ce903cabc6d24e5ff15c0c58312941";
const std::string kHexUpper = "3CE0A06C10C13CDB7829DD1C8DFDABEDD4CE903CABC6D24E5FF15C0C58312941";

struct Accepted {
  const char* name;
  std::string text;
  std::int32_t version;
  std::int64_t size;
  std::string sha256;
};

TEST(Manifest, Accepted) {
  const Accepted cases[] = {
      {"version only (older servers)", "7\n", 7, -1, ""},
      {"version without line end", "7", 7, -1, ""},
      {"size and digest", "3\nsize=307475\nsha256=" + kHex + "\n", 3, 307475, kHex},
      {"CR LF lines", "3\r\nsize=5\r\nsha256=" + kHex + "\r\n", 3, 5, kHex},
      {"CR lines", "3\rsize=5\rsha256=" + kHex, 3, 5, kHex},
      {"digest in capitals is kept in lowercase", "3\nsha256=" + kHexUpper, 3, -1, kHex},
      {"size only", "3\nsize=0\n", 3, 0, ""},
      {"largest size", "3\nsize=9223372036854775807\n", 3, INT64_MAX, ""},
      {"other keys and empty lines are skipped", "3\n\nnotes=hello\nsize=9\n# x\n", 3, 9, ""},
      {"a NUL ends the text", std::string("3\nsize=9\n\0size=x\n", 17), 3, 9, ""},
      {"a NUL cuts a line", std::string("3\nsize=9\0", 9) + "9\n", 3, 9, ""},
      {"version rule unchanged", " 0x10\nsize=1", 16, 1, ""},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      const Manifest manifest = ParseManifest(c.text);
      EXPECT_EQ(manifest.version, c.version);
      EXPECT_EQ(manifest.size, c.size);
      EXPECT_EQ(manifest.sha256, c.sha256);
    } catch (const Exception& e) {
      ADD_FAILURE() << "refused: " << e.Message();
    }
  }
}

struct Refused {
  const char* name;
  std::string text;
};

TEST(Manifest, Refused) {
  const Refused cases[] = {
      {"no version", "\nsize=9\n"},
      {"empty", ""},
      {"not a version", "three\nsize=9\n"},
      {"size with a sign", "3\nsize=+9\n"},
      {"negative size", "3\nsize=-1\n"},
      {"size with a blank", "3\nsize= 9\n"},
      {"size with a trailing blank", "3\nsize=9 \n"},
      {"empty size", "3\nsize=\n"},
      {"hexadecimal size", "3\nsize=0x10\n"},
      {"size over 64 bits", "3\nsize=9223372036854775808\n"},
      {"size twice", "3\nsize=9\nsize=9\n"},
      {"digest too short", "3\nsha256=" + kHex.substr(1) + "\n"},
      {"digest too long", "3\nsha256=" + kHex + "0\n"},
      {"digest not hexadecimal", "3\nsha256=" + kHex.substr(1) + "g\n"},
      {"digest with a blank", "3\nsha256= " + kHex + "\n"},
      {"digest twice", "3\nsha256=" + kHex + "\nsha256=" + kHex + "\n"},
  };
  for (const Refused& c : cases) {
    EXPECT_THROW(ParseManifest(c.text), Exception) << c.name;
  }
}

TEST(Manifest, AMalformedLineIsNamedInTheFailure) {
  EXPECT_TRUE(test::FailsWith<Exception>([] { ParseManifest("3\nsize=12x\n"); },
                                         "Manifest line 'size=12x' is malformed"));
  const auto hostile =
      test::FailureOf<Exception>([] { ParseManifest("3\nsize=" + std::string(1000, '9')); });
  ASSERT_TRUE(hostile.has_value()) << "accepted";
  EXPECT_LT(hostile->Message().size(), 200u) << "a hostile line is shown shortened";
}

}  // namespace
}  // namespace orvex
