#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "core/exception.h"
#include "stream/stream.h"

namespace orvex {
namespace {

void Exercise(TStream& stream) {
  EXPECT_EQ(stream.Write("hello world", 11), 11u);
  EXPECT_EQ(stream.Position(), 11);
  EXPECT_EQ(stream.Size(), 11);
  stream.SetPosition(6);
  char text[16] = {};
  EXPECT_EQ(stream.Read(text, sizeof text), 5u);
  EXPECT_STREQ(text, "world");
  EXPECT_EQ(stream.Read(text, sizeof text), 0u);
  stream.SetPosition(5);
  stream.Write("!", 1);
  stream.SetSize(6);  // cut: position kept (it is not past the end)
  EXPECT_EQ(stream.Size(), 6);
  EXPECT_EQ(stream.Position(), 6);
  stream.SetSize(3);  // cut below the position: the position moves to the end
  EXPECT_EQ(stream.Position(), 3);
  stream.SetSize(5);  // grown with zeros
  stream.SetPosition(0);
  char all[8] = {};
  EXPECT_EQ(stream.Read(all, sizeof all), 5u);
  EXPECT_EQ(std::string(all, 5), std::string("hel\0\0", 5));
}

TEST(StreamTest, MemoryStreamReadsWritesAndResizes) {
  TMemoryStream stream;
  Exercise(stream);
}

TEST(StreamTest, FileStreamReadsWritesAndResizes) {
  auto dir = std::filesystem::temp_directory_path() /
             ("orvex-stream-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(dir);
  auto path = (dir / "data.bin").string();
  {
    TFileStream stream(path, TFileStream::Mode::Create);
    Exercise(stream);
    stream.Flush();
  }
  {
    TFileStream stream(path, TFileStream::Mode::OpenRead);
    EXPECT_EQ(stream.Size(), 5);
    EXPECT_THROW(stream.Write("x", 1), EInOutError);
  }
  EXPECT_THROW(TFileStream((dir / "missing.bin").string(), TFileStream::Mode::OpenRead),
               EInOutError);
  std::filesystem::remove_all(dir);
}

TEST(StreamTest, MemoryStreamHoldsOnlyWhatWasWritten) {
  TMemoryStream stream;
  std::vector<char> block(1000, 'x');
  for (int i = 0; i < 10; ++i) stream.Write(block.data(), block.size());
  EXPECT_EQ(stream.Size(), 10000);
  EXPECT_EQ(stream.Bytes().size(), 10000u);
}

}  // namespace
}  // namespace orvex
