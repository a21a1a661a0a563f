#include <algorithm>

#include "core/exception.h"
#include "platform/file_stream.h"
#include "stream/stream.h"

namespace orvex {

struct TFileStream::Handle {
  platform::FileHandle file = platform::kInvalidFile;
  std::string path;
  std::int64_t position = 0;
};

namespace {
[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw EInOutError(what + " " + path + ": " + platform::LastFileError());
}
[[noreturn]] void FailWrite(const std::string& path) {
  throw EInOutError(FormatMessage("Unable to write to %s", path));
}
}  // namespace

TFileStream::TFileStream(const std::string& path, Mode mode) : handle_(std::make_unique<Handle>()) {
  platform::FileOpenMode open = mode == Mode::Create      ? platform::FileOpenMode::Create
                                : mode == Mode::CreateNew ? platform::FileOpenMode::CreateNew
                                : mode == Mode::OpenRead  ? platform::FileOpenMode::OpenRead
                                                          : platform::FileOpenMode::OpenReadWrite;
  handle_->path = path;
  handle_->file = platform::OpenFile(path, open);
  if (handle_->file == platform::kInvalidFile)
    Fail(
        mode == Mode::Create || mode == Mode::CreateNew ? "Cannot create file" : "Cannot open file",
        path);
}

TFileStream::~TFileStream() {
  if (handle_->file != platform::kInvalidFile) platform::CloseFile(handle_->file);
}

std::int64_t TFileStream::Position() const {
  return handle_->position;
}

void TFileStream::SetPosition(std::int64_t position) {
  handle_->position = std::max<std::int64_t>(0, position);
}

std::int64_t TFileStream::Size() const {
  std::int64_t size = platform::FileSize(handle_->file);
  if (size < 0) Fail("Cannot read the size of", handle_->path);
  return size;
}

void TFileStream::SetSize(std::int64_t size) {
  if (!platform::TruncateFile(handle_->file, std::max<std::int64_t>(0, size)))
    FailWrite(handle_->path);
  if (handle_->position > size) handle_->position = std::max<std::int64_t>(0, size);
}

std::size_t TFileStream::Write(const void* data, std::size_t count) {
  if (count == 0) return 0;
  if (platform::SeekFile(handle_->file, handle_->position) != handle_->position)
    FailWrite(handle_->path);
  std::int64_t n = platform::WriteFile(handle_->file, data, count);
  if (n < 0) FailWrite(handle_->path);
  handle_->position += n;
  return static_cast<std::size_t>(n);
}

std::size_t TFileStream::Read(void* data, std::size_t count) {
  if (count == 0) return 0;
  if (platform::SeekFile(handle_->file, handle_->position) != handle_->position)
    Fail("Cannot read from", handle_->path);
  std::int64_t n = platform::ReadFile(handle_->file, data, count);
  if (n < 0) Fail("Cannot read from", handle_->path);
  handle_->position += n;
  return static_cast<std::size_t>(n);
}

void TFileStream::Flush() {
  if (!platform::FlushFile(handle_->file)) FailWrite(handle_->path);
}

}  // namespace orvex
