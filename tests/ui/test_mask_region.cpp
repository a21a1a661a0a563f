#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/embedded.h"
#include "ui/bitmap.h"
#include "ui/mask_region.h"

namespace orvex {
namespace {

using R = platform::RegionRect;

// Rows of characters: '.' white (0xFFFFFF), '#' black, 'g' a grey one unit off white.
TBitmap Picture(const std::vector<std::string>& rows) {
  TBitmap bitmap(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const char c = rows[y][x];
      bitmap.SetPixel(x, y, c == '.' ? 0xFFFFFF : c == 'g' ? 0xFFFFFE : 0x000000);
    }
  }
  return bitmap;
}

TRegion Shape(const std::vector<std::string>& rows) {
  TBitmap bitmap = Picture(rows);
  auto region = BuildMaskRegion(bitmap, bitmap.Pixel(0, 0), TMaskMode::Exclude);
  return region ? *region : TRegion{};
}

struct RegionCase {
  const char* name;
  std::vector<std::string> rows;
  TRegion expected;
};

TEST(MaskRegion, Table) {
  const std::vector<RegionCase> cases = {
      {"white key, one run per row",
       {".##.", "####", ".##."},
       {R{1, 0, 3, 1}, R{0, 1, 4, 2}, R{1, 2, 3, 3}}},
      {"a hole gives two runs in a row",
       {"....", "#..#", "####"},
       {R{0, 1, 1, 2}, R{3, 1, 4, 2}, R{0, 2, 4, 3}}},
      {"key from the top-left pixel: black key keeps the white", {"#..#", "####"}, {R{1, 0, 3, 1}}},
      {"one unit off the key is inside", {"..g", "g.."}, {R{2, 0, 3, 1}, R{0, 1, 1, 2}}},
      {"a run reaching the right edge ends at the width", {"..##"}, {R{2, 0, 4, 1}}},
      {"an all-key row adds nothing", {"#.#", "###", "#.#"}, {R{1, 0, 2, 1}, R{1, 2, 2, 3}}},
  };
  for (const RegionCase& c : cases) EXPECT_EQ(Shape(c.rows), c.expected) << c.name;
}

TEST(MaskRegion, AllKeyOrEmptyGivesNone) {
  TBitmap allKey = Picture({"...", "..."});
  EXPECT_FALSE(BuildMaskRegion(allKey, 0xFFFFFF, TMaskMode::Exclude));
  EXPECT_FALSE(BuildMaskRegion(TBitmap(), 0xFFFFFF, TMaskMode::Exclude));
}

TEST(MaskRegion, IncludeModeKeepsOnlyTheKey) {
  TBitmap bitmap = Picture({".#."});
  auto region = BuildMaskRegion(bitmap, 0xFFFFFF, TMaskMode::Include);
  ASSERT_TRUE(region);
  EXPECT_EQ(*region, (TRegion{R{0, 0, 1, 1}, R{2, 0, 3, 1}}));
}

// The embedded wait-window mask: 279 x 108, one run of non-white pixels per row, white only in
// the four corners, the middle rows full width.
TEST(MaskRegion, WaitWindowMask) {
  TBitmap mask = TBitmap::FromBmpFile(assets::wait_mask_bmp);
  ASSERT_EQ(mask.Width(), 279);
  ASSERT_EQ(mask.Height(), 108);
  EXPECT_EQ(assets::wait_mask_bmp.size(), 90774u);
  auto region = BuildMaskRegion(mask, mask.Pixel(0, 0), TMaskMode::Exclude);
  ASSERT_TRUE(region);
  ASSERT_EQ(region->size(), 108u);
  for (int y = 0; y < 108; ++y) {
    const R& r = (*region)[y];
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.left, 279 - r.right) << "symmetric row " << y;
  }
  EXPECT_GT((*region)[0].left, 10);  // corners cut
  EXPECT_EQ((*region)[54].left, 0);  // sides straight
  EXPECT_EQ((*region)[54].right, 279);
  EXPECT_EQ(mask.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(mask.Pixel(139, 54) & 0xFF, mask.Pixel(139, 54) >> 16);  // greys
  EXPECT_LE(mask.Pixel(139, 54) & 0xFF, 5u);                         // black inside
  EXPECT_GE(mask.Pixel(139, 0) & 0xFF, 38u);                         // dark outline
  EXPECT_LE(mask.Pixel(139, 0) & 0xFF, 42u);
}

TEST(Bitmap, MalformedFilesReadEmpty) {
  std::vector<std::uint8_t> good(assets::wait_mask_bmp.begin(), assets::wait_mask_bmp.end());
  const std::vector<std::vector<std::uint8_t>> bad = {
      {},
      {'B', 'M'},
      std::vector<std::uint8_t>(good.begin(), good.begin() + 200),  // pixels cut short
      [&] {
        auto b = good;
        b[28] = 16;  // 16 bits per pixel: not read
        return b;
      }(),
      [&] {
        auto b = good;
        b[18] = b[19] = b[20] = 0xFF;  // absurd width
        b[21] = 0x7F;
        return b;
      }(),
      [&] {
        auto b = good;
        b[10] = b[11] = b[12] = b[13] = 0xFF;  // pixels beyond the file
        return b;
      }(),
  };
  for (const auto& file : bad) EXPECT_TRUE(TBitmap::FromBmpFile(file).Empty());
}

TEST(Bitmap, TopDownRowsAreRead) {
  // 1 x 2, 24 bits, height -2: the first stored row is the top.
  std::vector<std::uint8_t> file(54 + 8, 0);
  file[0] = 'B';
  file[1] = 'M';
  file[10] = 54;
  file[14] = 40;
  file[18] = 1;
  file[22] = file[23] = file[24] = file[25] = 0xFF;
  file[22] = 0xFE;  // -2
  file[26] = 1;
  file[28] = 24;
  file[54] = 0x03;  // blue
  file[55] = 0x02;  // green
  file[56] = 0x01;  // red
  TBitmap bitmap = TBitmap::FromBmpFile(file);
  ASSERT_EQ(bitmap.Height(), 2);
  EXPECT_EQ(bitmap.Pixel(0, 0), 0x010203u);
  EXPECT_EQ(bitmap.Pixel(0, 1), 0u);
}

}  // namespace
}  // namespace orvex
