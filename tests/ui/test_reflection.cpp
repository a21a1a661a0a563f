#include <gtest/gtest.h>

#include <vector>

#include "assets/embedded.h"
#include "platform/imaging.h"
#include "ui/reflection_image.h"
#include "ui/reflection_math.h"

namespace orvex {
namespace {

TEST(ReflectionMath, FactorsWithTheDefaults) {
  struct Case {
    int row;
    int factor;
  };
  const std::vector<Case> cases = {{0, 255}, {1, 252}, {50, 128}, {99, 3}, {100, 0}, {150, 0}};
  for (const Case& c : cases) EXPECT_EQ(ReflectionFactor(c.row, 100, 255, 0), c.factor) << c.row;
}

TEST(ReflectionMath, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(127.5), 128);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(2.49), 2);
  EXPECT_EQ(ReflectedAlpha(128, 136), 68);
  EXPECT_EQ(ReflectedAlpha(255, 255), 255);
  EXPECT_EQ(ReflectedAlpha(0, 255), 0);
}

TEST(ReflectionMath, EdgeSettings) {
  EXPECT_EQ(ReflectionFactor(0, 0, 255, 0), 0);    // size 0: all transparent
  EXPECT_EQ(ReflectionFactor(0, 100, 0, 255), 0);  // growing more opaque downwards
  EXPECT_EQ(ReflectionFactor(99, 100, 0, 255), 252);
}

// A 2 x 3 picture: row 0 opaque red, row 1 half-transparent blue (alpha 136), row 2 clear.
platform::ImagePtr SmallPicture() {
  platform::ImagePtr image = platform::CreateImage(2, 3);
  for (int x = 0; x < 2; ++x) {
    platform::SetImagePixel(*image, x, 0, 0xFFFF0000);
    platform::SetImagePixel(*image, x, 1, 0x880000FF);
  }
  return image;
}

TEST(Reflection, FlipsAndScalesStraightAlpha) {
  platform::ImagePtr picture = SmallPicture();
  ASSERT_TRUE(picture);
  EXPECT_EQ(platform::GetImagePixel(*picture, 0, 2), 0u);
  // Size 2: row 0 factor 255, row 1 factor 128 (127.5 to even), row 2 factor 0.
  platform::ImagePtr reflection = BuildReflectionImage(*picture, 2, 255, 0);
  ASSERT_TRUE(reflection);
  EXPECT_EQ(platform::GetImagePixel(*reflection, 0, 0), 0u);           // was the clear row
  EXPECT_EQ(platform::GetImagePixel(*reflection, 1, 1), 0x440000FFu);  // 136 at 128 gives 68
  EXPECT_EQ(platform::GetImagePixel(*reflection, 0, 2), 0x00FF0000u);  // factor 0, colour kept
}

TEST(Reflection, SizeZeroIsAllTransparent) {
  platform::ImagePtr picture = SmallPicture();
  platform::ImagePtr reflection = BuildReflectionImage(*picture, 0, 255, 0);
  ASSERT_TRUE(reflection);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(platform::GetImagePixel(*reflection, x, y) >> 24, 0u);
  }
}

TEST(Reflection, FramePictureDecodes) {
  platform::ImagePtr frame = platform::DecodeImage(assets::wait_frame_png);
  ASSERT_TRUE(frame);
  EXPECT_EQ(platform::ImageWidth(*frame), 293);
  EXPECT_EQ(platform::ImageHeight(*frame), 122);
  EXPECT_EQ(platform::GetImagePixel(*frame, 0, 60), 0u);            // clear ground
  EXPECT_EQ(platform::GetImagePixel(*frame, 10, 60), 0xFFB7C9DCu);  // opaque core
  EXPECT_EQ(platform::GetImagePixel(*frame, 3, 60) >> 24, 136u);    // outer edge
  EXPECT_EQ(platform::GetImagePixel(*frame, 146, 60), 0u);          // clear inside
}

TEST(Reflection, UnreadableBytesGiveNothing) {
  const std::vector<std::uint8_t> junk = {1, 2, 3, 4, 5};
  EXPECT_FALSE(platform::DecodeImage(junk));
  TReflectionImage image(nullptr);
  image.SetProperty("Picture.Data", PropertyValue(Bytes(junk)));
  image.BuildReflection();
  EXPECT_EQ(image.ReflectionBitmap(), nullptr);
  EXPECT_TRUE(image.Picture().ReadPictureSize());
  EXPECT_EQ(image.Picture().Width(), 0);
  platform::SurfacePtr surface = platform::CreateOffscreenSurface(8, 8);
  image.PaintPicture(*surface);  // draws nothing, raises nothing
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 1, 1), 0xFFFFFFu);
}

TEST(ReflectionImage, SettersFollowTheirRules) {
  TReflectionImage image(nullptr);
  EXPECT_EQ(image.Width(), 32);
  EXPECT_EQ(image.Height(), 32);
  image.SetReflectionOpacityStart(300);  // ignored
  EXPECT_EQ(image.ReflectionOpacityStart(), 255);
  image.SetReflectionSize(-1);  // ignored
  EXPECT_EQ(image.ReflectionSize(), 100);
  image.SetProperty("Version", PropertyValue(std::string("9")));
  EXPECT_EQ(TReflectionImage::Version(), "1.5.0.2");
  // An empty picture builds nothing and sizes nothing.
  image.SetAutoSize(true);
  EXPECT_EQ(image.ReflectionBitmap(), nullptr);
  EXPECT_EQ(image.Width(), 32);
  TEncodedPicture frame;
  frame.ReadData(assets::wait_frame_png);
  image.SetPicture(frame);
  ASSERT_NE(image.ReflectionBitmap(), nullptr);
  EXPECT_EQ(image.Width(), 293);
  EXPECT_EQ(image.Height(), 122 + 100);
  image.SetReflectionSize(10);
  EXPECT_EQ(image.Height(), 132);
}

// The picture lands at its own size with the reflection below it, clipped to the control.
TEST(ReflectionImage, PaintsPictureAndReflection) {
  TReflectionImage image(nullptr);
  image.SetBounds(0, 0, 293, 250);
  TEncodedPicture frame;
  frame.ReadData(assets::wait_frame_png);
  image.SetPicture(frame);
  platform::SurfacePtr surface = platform::CreateOffscreenSurface(293, 250);
  platform::PushClip(*surface, 0, 0, 293, 250);
  image.PaintPicture(*surface);
  platform::PopClip(*surface);
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 10, 60), 0xB7C9DCu);   // the picture
  EXPECT_EQ(platform::ReadSurfacePixel(*surface, 146, 60), 0xFFFFFFu);  // its clear inside
  // Reflection row 0 (picture row 121, clear) is at 123; picture row 110 (the bottom band)
  // is reflection row 11 at y = 134, at factor 227 over white.
  const std::uint32_t reflected = platform::ReadSurfacePixel(*surface, 146, 134);
  EXPECT_NE(reflected, 0xFFFFFFu);
  EXPECT_GT(reflected & 0xFF, 0xDCu);  // lighter than the opaque core: partly transparent
}

}  // namespace
}  // namespace orvex
