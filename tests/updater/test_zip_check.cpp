#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "stream/stream.h"
#include "core/exception.h"
#include "support/update_scenario.h"
#include "updater/zip_check.h"

namespace orvex {
namespace {

void Set16(std::string& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void Set32(std::string& bytes, std::size_t at, std::uint32_t value) {
  Set16(bytes, at, value & 0xFFFF);
  Set16(bytes, at + 2, value >> 16);
}

std::string Le(std::uint64_t value, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// Three stored entries; the end record is the last 22 bytes.
std::string Archive() {
  return test::ZipArchive({{"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n\r\n"},
                           {"a.txt", std::string(5000, 'a')},
                           {"b.txt", "b"}});
}

std::size_t End(const std::string& archive) {
  return archive.size() - 22;
}

std::uint32_t DirectoryOffset(const std::string& archive) {
  const auto* p = reinterpret_cast<const unsigned char*>(archive.data() + End(archive) + 16);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The same archive with its counts moved to a zip64 end record and locator.
std::string Zip64(std::string archive) {
  const std::size_t end = End(archive);
  const std::uint32_t offset = DirectoryOffset(archive);
  const std::uint32_t size = static_cast<std::uint32_t>(end) - offset;
  std::string record = Le(0x06064b50, 4) + Le(44, 8) + Le(45, 2) + Le(45, 2) + Le(0, 4) + Le(0, 4) +
                       Le(3, 8) + Le(3, 8) + Le(size, 8) + Le(offset, 8);
  std::string locator = Le(0x07064b50, 4) + Le(0, 4) + Le(end, 8) + Le(1, 4);
  archive.insert(end, record + locator);
  const std::size_t newEnd = End(archive);
  Set16(archive, newEnd + 8, 0xFFFF);
  Set16(archive, newEnd + 10, 0xFFFF);
  Set32(archive, newEnd + 12, 0xFFFFFFFF);
  Set32(archive, newEnd + 16, 0xFFFFFFFF);
  return archive;
}

struct ZipCase {
  const char* name;
  std::function<std::string()> bytes;
  bool whole;
};

void PrintTo(const ZipCase& c, std::ostream* out) {
  *out << c.name;
}

class ZipCheckTest : public ::testing::TestWithParam<ZipCase> {};

TEST_P(ZipCheckTest, OnlyAWholeArchivePasses) {
  const ZipCase& c = GetParam();
  const std::string bytes = c.bytes();
  TMemoryStream stream;
  stream.Write(bytes.data(), bytes.size());
  if (c.whole) {
    EXPECT_NO_THROW(CheckWholeZipArchive(stream));
  } else {
    try {
      CheckWholeZipArchive(stream);
      ADD_FAILURE() << "passed for whole";
    } catch (const Exception& failure) {
      EXPECT_EQ(failure.Message().rfind("The download is not a whole zip archive: ", 0), 0u)
          << failure.Message();
    }
  }
}

const ZipCase kZipCases[] = {
    {"whole", [] { return Archive(); }, true},
    {"test_jar", [] { return test::JarBytes(3); }, true},
    {"with_comment",
     [] {
       std::string a = Archive();
       Set16(a, End(a) + 20, 7);
       return a + "comment";
     },
     true},
    // A comment that holds an end record's signature does not mislead the search.
    {"comment_with_a_signature",
     [] {
       std::string a = Archive();
       const std::string comment = "PK\x05\x06" + std::string(30, 'x');
       Set16(a, End(a) + 20, static_cast<std::uint32_t>(comment.size()));
       return a + comment;
     },
     true},
    {"zip64", [] { return Zip64(Archive()); }, true},
    {"empty", [] { return std::string(); }, false},
    {"not_a_zip", [] { return std::string(1000, 'x'); }, false},
    {"cut_in_the_middle", [] { return Archive().substr(0, 3000); }, false},
    {"cut_in_the_central_directory",
     [] {
       const std::string a = Archive();
       return a.substr(0, DirectoryOffset(a) + 30);
     },
     false},
    {"cut_in_the_end_record", [] { return Archive().substr(0, Archive().size() - 1); }, false},
    {"cut_test_jar", [] { return test::JarBytes(3).substr(0, 100000); }, false},
    {"bytes_after_the_end_record", [] { return Archive() + "junk"; }, false},
    {"comment_longer_than_the_file",
     [] {
       std::string a = Archive();
       Set16(a, End(a) + 20, 50);
       return a + "short";
     },
     false},
    {"directory_offset_past_the_end",
     [] {
       std::string a = Archive();
       Set32(a, End(a) + 16, static_cast<std::uint32_t>(a.size()));
       return a;
     },
     false},
    {"directory_size_past_the_end_record",
     [] {
       std::string a = Archive();
       Set32(a, End(a) + 12, 0x7FFFFFFF);
       return a;
     },
     false},
    {"more_entries_than_the_directory_holds",
     [] {
       std::string a = Archive();
       Set16(a, End(a) + 8, 4);
       Set16(a, End(a) + 10, 4);
       return a;
     },
     false},
    {"fewer_entries_than_the_directory_holds",
     [] {
       std::string a = Archive();
       Set16(a, End(a) + 8, 2);
       Set16(a, End(a) + 10, 2);
       return a;
     },
     false},
    {"no_entries", [] { return test::ZipArchive({}); }, false},
    {"several_disks",
     [] {
       std::string a = Archive();
       Set16(a, End(a) + 4, 1);
       return a;
     },
     false},
    {"entry_past_the_directory",
     [] {
       std::string a = Archive();
       // The first central header's local offset.
       Set32(a, DirectoryOffset(a) + 42, DirectoryOffset(a));
       return a;
     },
     false},
    {"first_local_header_missing",
     [] {
       std::string a = Archive();
       a[0] = 'X';
       return a;
     },
     false},
    {"zip64_locator_outside_the_file",
     [] {
       std::string a = Zip64(Archive());
       Set32(a, End(a) - 20 + 8, 0x7FFFFFFF);
       return a;
     },
     false},
    {"zip64_record_missing",
     [] {
       std::string a = Zip64(Archive());
       a.erase(End(a) - 76, 56);
       return a;
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Archives, ZipCheckTest, ::testing::ValuesIn(kZipCases),
                         [](const ::testing::TestParamInfo<ZipCase>& info) {
                           return std::string(info.param.name);
                         });

// The same check through the file a download leaves.
TEST(ZipCheckFileTest, ReadsTheArchiveFromAFile) {
  test::TempDir dir("orvex-zip");
  const auto path = (dir.Path() / "jar.tmp").string();
  const std::string jar = test::JarBytes(2);
  test::WriteFile(path, jar);
  {
    TFileStream file(path, TFileStream::Mode::OpenRead);
    EXPECT_NO_THROW(CheckWholeZipArchive(file));
  }
  test::WriteFile(path, jar.substr(0, jar.size() - 100));
  TFileStream file(path, TFileStream::Mode::OpenRead);
  EXPECT_THROW(CheckWholeZipArchive(file), Exception);
}

}  // namespace
}  // namespace orvex
