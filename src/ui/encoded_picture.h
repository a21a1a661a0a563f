#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/imaging.h"

namespace orvex {

class TStream;

// A picture kept in its encoded form (a PNG file) and decoded whenever it is needed.
class TEncodedPicture {
 public:
  bool Empty() const { return empty_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // 0 until ReadPictureSize has decoded the bytes.
  int Width() const { return width_; }
  int Height() const { return height_; }

  // What a form description stores: the encoded file itself. Copies the bytes and clears the
  // empty flag; decodes nothing and sends no change notification.
  void ReadData(std::span<const std::uint8_t> bytes);
  // Copies another picture's bytes; the change notification follows, then ReadPictureSize.
  void Assign(const TEncodedPicture& other);
  // Writes the stored bytes.
  void SaveToStream(TStream& stream) const;

  // True when the bytes were handed to the decoder; width and height are then the decoded
  // picture's (0 x 0 for bytes it cannot read).
  bool ReadPictureSize();
  // Decodes the bytes; null when empty or unreadable. Raises "Could not allocate memory for
  // image" when memory runs out.
  platform::ImagePtr Decode() const;
  // Decodes and draws into that rectangle, source-over.
  void DrawPictureTo(platform::Surface& surface, int x, int y, int width, int height) const;

  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

 private:
  std::vector<std::uint8_t> bytes_;
  bool empty_ = true;
  int width_ = 0;
  int height_ = 0;
  std::function<void()> onChange_;
};

}  // namespace orvex
