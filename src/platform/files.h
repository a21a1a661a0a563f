#pragma once

#include <cstdint>
#include <string>

// Files and directories, one request each. Paths are the system's own (8-bit) text.
namespace orvex::platform {

// Separator of directory names in the paths the system makes.
extern const char kPathSeparator;

// A file that exists and is not a directory.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Creates one directory level (POSIX: private to the user); false when it could not (a missing
// parent included).
bool MakeDirectory(const std::string& path);
// Removes the name; a symbolic link is removed itself, never what it points to. False for a
// directory.
bool RemoveFile(const std::string& path);
// Renames; never replaces: false when `to` exists.
bool RenameFile(const std::string& from, const std::string& to);
// Copies (not named CopyFile: windows.h makes that a macro); false when `to` exists. The copy gets
// the source's last-write time and its bytes are on the disk when this returns.
bool CopyWholeFile(const std::string& from, const std::string& to);
// The last-write time in local time, packed as a DOS date and time (2 s resolution):
// year-1980 in bits 31-25, month 24-21, day 20-16, hour 15-11, minute 10-5, seconds/2 4-0.
// -1 for a missing file or a directory.
std::int32_t FileAge(const std::string& path);

// Bytes free for the user on the disk holding the directory; -1 when the system cannot say.
std::int64_t FreeDiskSpace(const std::string& directory);
// Pushes the directory's entries (names just renamed into it) to the disk. POSIX: fsync of the
// directory; Windows has no such request for directories and returns true.
bool FlushDirectory(const std::string& directory);
// Whether only the user can change the directory's entries. POSIX: owned by the effective user
// and writable by neither group nor others; Windows: whether it exists (access there comes from the
// profile's access lists).
bool DirectoryIsPrivate(const std::string& directory);

// The per-user application data directory without a trailing separator (Windows: APPDATA; Linux:
// XDG_DATA_HOME, else HOME/.local/share); empty when the environment does not name one.
std::string UserDataDirectory();

}  // namespace orvex::platform
