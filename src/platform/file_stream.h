#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Plain file access for the file stream. Calls return false (or -1) on failure; LastFileError()
// gives the system's text for the last failure of the calling thread.
namespace orvex::platform {

using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

// CreateNew fails when anything stands at the path, a symbolic link included (never followed).
enum class FileOpenMode { Create, CreateNew, OpenRead, OpenReadWrite };

// Handles are never inherited by started processes.
FileHandle OpenFile(const std::string& path, FileOpenMode mode);
// Opens (creating when missing, never through a symbolic link) and locks the file for this
// process without waiting (POSIX: flock; Windows: LockFileEx). kInvalidFile when another holder
// has it or it cannot be opened; CloseFile releases the lock.
FileHandle OpenLockedFile(const std::string& path);
void CloseFile(FileHandle file);
// Bytes transferred, or -1.
std::int64_t ReadFile(FileHandle file, void* data, std::size_t count);
std::int64_t WriteFile(FileHandle file, const void* data, std::size_t count);
// Moves to an absolute position; the new position or -1.
std::int64_t SeekFile(FileHandle file, std::int64_t position);
std::int64_t FileSize(FileHandle file);
// Cuts or grows (zero-filled) the file to size; the position is left unspecified.
bool TruncateFile(FileHandle file, std::int64_t size);
bool FlushFile(FileHandle file);
std::string LastFileError();

}  // namespace orvex::platform
