#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "stream/stream.h"
#include "platform/files.h"
#include "core/exception.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "updater/update_lock.h"

namespace orvex {
namespace {

namespace fs = std::filesystem;

TEST(UpdateLockTest, OneHolderAtATimeAndFreeAgainOnceReleased) {
  test::TempDir dir("orvex-lock");
  const std::string path = (dir.Path() / "AppRunner.lock").string();
  {
    TUpdateLock first(path);
    ASSERT_TRUE(first.Held());
    TUpdateLock second(path);
    EXPECT_FALSE(second.Held());
  }
  TUpdateLock again(path);
  EXPECT_TRUE(again.Held());
}

TEST(UpdateLockTest, ALockInAMissingDirectoryIsNotHeld) {
  test::TempDir dir("orvex-lock");
  TUpdateLock lock((dir.Path() / "missing" / "AppRunner.lock").string());
  EXPECT_FALSE(lock.Held());
}

TEST(CreateNewFileTest, RefusesAnExistingFile) {
  test::TempDir dir("orvex-create");
  const fs::path path = dir.Path() / "AppRunner.tmp";
  test::WriteFile(path, "earlier");
  EXPECT_THROW(TFileStream(path.string(), TFileStream::Mode::CreateNew), EInOutError);
  EXPECT_EQ(test::ReadFile(path), "earlier");
  ASSERT_TRUE(platform::RemoveFile(path.string()));
  {
    TFileStream file(path.string(), TFileStream::Mode::CreateNew);
    file.Write("new", 3);
  }
  EXPECT_EQ(test::ReadFile(path), "new");
}

// A link planted where the download goes: neither followed on creation nor when removed.
TEST(CreateNewFileTest, NeverWritesThroughASymbolicLink) {
  if (test::WindowsTarget()) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  test::TempDir dir("orvex-create");
  const fs::path victim = dir.Path() / "victim";
  const fs::path path = dir.Path() / "AppRunner.tmp";
  test::WriteFile(victim, "precious");
  fs::create_symlink(victim, path);
  EXPECT_THROW(TFileStream(path.string(), TFileStream::Mode::CreateNew), EInOutError);
  fs::create_symlink(dir.Path() / "dangling", dir.Path() / "dangling.tmp");
  EXPECT_THROW(TFileStream((dir.Path() / "dangling.tmp").string(), TFileStream::Mode::CreateNew),
               EInOutError);
  EXPECT_FALSE(fs::exists(dir.Path() / "dangling"));
  EXPECT_TRUE(platform::RemoveFile(path.string()));
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_EQ(test::ReadFile(victim), "precious");
  // A link to a directory is removed like any other link.
  fs::create_directory(dir.Path() / "sub");
  fs::create_directory_symlink(dir.Path() / "sub", dir.Path() / "sub.tmp");
  EXPECT_TRUE(platform::RemoveFile((dir.Path() / "sub.tmp").string()));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "sub"));
  EXPECT_FALSE(platform::RemoveFile((dir.Path() / "sub").string()));
}

TEST(DataDirectoryTest, OnlyADirectoryNoOneElseCanWriteIsPrivate) {
  test::TempDir dir("orvex-private");
  const fs::path data = dir.Path() / "data";
  fs::create_directory(data);
  EXPECT_FALSE(platform::DirectoryIsPrivate((dir.Path() / "missing").string()));
  if (test::WindowsTarget()) {
    EXPECT_TRUE(platform::DirectoryIsPrivate(data.string()));
    return;
  }
  struct Mode {
    fs::perms perms;
    bool isPrivate;
  };
  for (const Mode mode :
       {Mode{fs::perms::owner_all, true},
        Mode{fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                 fs::perms::others_read | fs::perms::others_exec,
             true},
        Mode{fs::perms::owner_all | fs::perms::group_all, false},
        Mode{fs::perms::owner_all | fs::perms::others_write, false}}) {
    fs::permissions(data, mode.perms);
    EXPECT_EQ(platform::DirectoryIsPrivate(data.string()), mode.isPrivate)
        << static_cast<int>(mode.perms);
  }
}

TEST(DataDirectoryTest, FreeSpaceAndFlushOfARealDirectory) {
  test::TempDir dir("orvex-space");
  EXPECT_GT(platform::FreeDiskSpace(dir.Dir()), 0);
  if (!test::WindowsTarget()) {
    EXPECT_EQ(platform::FreeDiskSpace((dir.Path() / "missing").string()), -1);
  }
  EXPECT_TRUE(platform::FlushDirectory(dir.Dir()));
}

}  // namespace
}  // namespace orvex
