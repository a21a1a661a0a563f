#include "ui/encoded_picture.h"

#include <new>

#include "core/exception.h"
#include "stream/stream.h"

namespace orvex {

void TEncodedPicture::ReadData(std::span<const std::uint8_t> bytes) {
  bytes_.assign(bytes.begin(), bytes.end());
  empty_ = false;
}

void TEncodedPicture::Assign(const TEncodedPicture& other) {
  if (&other != this) {
    bytes_ = other.bytes_;
    empty_ = other.empty_;
    width_ = 0;
    height_ = 0;
  }
  if (onChange_) onChange_();
  ReadPictureSize();
}

void TEncodedPicture::SaveToStream(TStream& stream) const {
  if (!bytes_.empty()) stream.Write(bytes_.data(), bytes_.size());
}

platform::ImagePtr TEncodedPicture::Decode() const {
  if (empty_ || bytes_.empty()) return nullptr;
  try {
    return platform::DecodeImage(bytes_);
  } catch (const std::bad_alloc&) {
    throw Exception("Could not allocate memory for image");
  }
}

bool TEncodedPicture::ReadPictureSize() {
  if (empty_ || bytes_.empty()) return false;
  platform::ImagePtr image = Decode();
  if (image) {
    width_ = platform::ImageWidth(*image);
    height_ = platform::ImageHeight(*image);
  }
  return true;
}

void TEncodedPicture::DrawPictureTo(platform::Surface& surface, int x, int y, int width,
                                    int height) const {
  platform::ImagePtr image = Decode();
  if (image) platform::DrawImage(surface, *image, x, y, width, height);
}

}  // namespace orvex
