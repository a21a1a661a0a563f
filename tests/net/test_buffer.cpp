#include <gtest/gtest.h>

#include "net/buffer.h"
#include "net/exceptions.h"
#include "stream/stream.h"
#include "support/expect_failure.h"

namespace orvex {
namespace {

std::vector<std::uint8_t> Bytes(int count, std::uint8_t first = 0) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

TEST(NetBufferTest, RemovingFromTheFrontCompactsPastTheGrowthFactor) {
  struct Case {
    int remove;
    int head;          // HeadIndex afterwards
    int max_capacity;  // capacity afterwards at most
  } const cases[] = {
      {1000, 1000, 4000},                    // no copy yet
      {2048, 2048, 4000},                    // exactly the growth factor: still no copy
      {2049, 0, 1951 + 2048},                // compacted and trimmed to size + 2048
      {3000, 0, 1000 + 2048}, {4000, 0, 0},  // all removed: storage released
      {5000, 0, 0},
  };
  for (const auto& c : cases) {
    TNetBuffer buffer;
    int reported = 0;
    buffer.SetOnBytesRemoved([&](TNetBuffer&, int count) { reported += count; });
    buffer.Append(Bytes(4000));
    buffer.Remove(c.remove);
    EXPECT_EQ(buffer.HeadIndex(), c.head) << c.remove;
    EXPECT_LE(buffer.Capacity(), c.max_capacity) << c.remove;
    EXPECT_EQ(buffer.Size(), std::max(0, 4000 - c.remove)) << c.remove;
    EXPECT_EQ(reported, c.remove) << c.remove;
    if (buffer.Size() > 0) {
      EXPECT_EQ(buffer.Peek()[0], static_cast<std::uint8_t>(c.remove));
    }
  }
}

TEST(NetBufferTest, AppendAdoptsIntoAnEmptyBufferAndGrowsWithSpareCapacity) {
  TNetBuffer buffer;
  std::vector<std::uint8_t> block = Bytes(100);
  const std::uint8_t* storage = block.data();
  buffer.Append(std::move(block));
  EXPECT_EQ(buffer.Peek().data(), storage);  // adopted, not copied
  buffer.Remove(10);
  buffer.Append(Bytes(50, 100));  // compacts the head first, then grows by size + 2048
  EXPECT_EQ(buffer.HeadIndex(), 0);
  EXPECT_EQ(buffer.Size(), 140);
  EXPECT_EQ(buffer.Capacity(), 140 + 2048);
  EXPECT_EQ(buffer.Peek()[0], 10);
  EXPECT_EQ(buffer.Peek()[139], 149);
  buffer.Append(Bytes(2000));  // fits in the spare capacity: no growth
  EXPECT_EQ(buffer.Capacity(), 140 + 2048);
}

TEST(NetBufferTest, IndexOfFindsFromAStart) {
  TNetBuffer buffer;
  buffer.Append(std::string_view("abc\ndef"));
  EXPECT_EQ(buffer.IndexOf("\n"), 3);
  EXPECT_EQ(buffer.IndexOf("\n", 4), -1);
  EXPECT_EQ(buffer.IndexOf("def", 1), 4);
  EXPECT_EQ(buffer.IndexOf("efg"), -1);
  EXPECT_TRUE(test::FailsWith<ENetException>([&] { buffer.IndexOf("\n", 7); },
                                             "Buffer start position is invalid."));
  EXPECT_TRUE(test::FailsWith<ENetException>([&] { buffer.IndexOf(""); },
                                             "Buffer terminator must be specified."));
  TNetBuffer empty;
  EXPECT_EQ(empty.IndexOf("x"), -1);
}

TEST(NetBufferTest, ExtractingMoreThanThereIsFailsAndKeepsTheBytes) {
  TNetBuffer buffer;
  buffer.Append(std::string_view("12345"));
  EXPECT_TRUE(test::FailsWith<ENetNotEnoughDataInBuffer>([&] { buffer.ExtractString(10); },
                                                         "Not enough data in buffer. (10/5)"));
  EXPECT_EQ(buffer.Size(), 5);
  EXPECT_EQ(buffer.ExtractString(0), "");
  EXPECT_EQ(buffer.Size(), 5);
  std::vector<std::uint8_t> bytes{9, 9, 9};
  buffer.ExtractBytes(bytes, 2, false);  // written from the start
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'1', '2', 9}));
  buffer.ExtractBytes(bytes, 1, true);  // appended
  EXPECT_EQ(bytes.size(), 4u);
  EXPECT_EQ(bytes[3], '3');
  TMemoryStream stream;
  buffer.ExtractToStream(stream);
  EXPECT_EQ(stream.Text(), "45");
  EXPECT_EQ(buffer.Size(), 0);
}

TEST(NetBufferTest, AppendingItsOwnBytesIsSafe) {
  TNetBuffer buffer;
  buffer.Append(std::string_view("xxabc"));
  buffer.Remove(2);
  buffer.Append(buffer.Peek());
  EXPECT_EQ(buffer.ExtractString(), "abcabc");
}

}  // namespace
}  // namespace orvex
