#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex {

// A seekable byte stream: what an HTTP body is written into (memory or file) and what the
// settings and updater code read from. Positions and sizes are 64-bit.
class TStream {
 public:
  virtual ~TStream() = default;
  virtual std::int64_t Position() const = 0;
  virtual void SetPosition(std::int64_t position) = 0;
  virtual std::int64_t Size() const = 0;
  // Grows (zero-filled) or cuts the stream; the position is kept unless it lies past the end.
  virtual void SetSize(std::int64_t size) = 0;
  // Writes at the position and advances it; returns the count written (short only on failure).
  virtual std::size_t Write(const void* data, std::size_t count) = 0;
  // Reads from the position and advances it; returns the count read (0 at the end).
  virtual std::size_t Read(void* data, std::size_t count) = 0;
};

// Grows with what is written (geometric growth, at most twice what it holds); nothing sizes
// it from a length a peer announces.
class TMemoryStream : public TStream {
 public:
  std::int64_t Position() const override { return position_; }
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  void SetSize(std::int64_t size) override;
  std::size_t Write(const void* data, std::size_t count) override;
  std::size_t Read(void* data, std::size_t count) override;

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::int64_t position_ = 0;
};

// A file opened through the platform's file functions. Create makes a new file (replacing one
// that is there); CreateNew fails when anything stands at the path (a symbolic link included);
// Open opens an existing one for reading. Failures raise EInOutError.
class TFileStream : public TStream {
 public:
  enum class Mode { Create, CreateNew, OpenRead, OpenReadWrite };
  TFileStream(const std::string& path, Mode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Position() const override;
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override;
  void SetSize(std::int64_t size) override;
  std::size_t Write(const void* data, std::size_t count) override;
  std::size_t Read(void* data, std::size_t count) override;
  // Pushes the written bytes to the disk (so a rename after it publishes a whole file).
  void Flush();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
};

}  // namespace orvex
