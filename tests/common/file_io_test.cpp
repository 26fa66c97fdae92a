#include "common/file_io.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/errors.h"
#include "common/file_test_folder.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public testing::FileTestFolder {};

TEST_F(FileIoTest, ReadsEveryByte) {
  const std::string bytes("a\0b\r\n\xff", 6);
  std::ofstream(Path("f"), std::ios::binary) << bytes;
  EXPECT_EQ(ReadWholeFile(Path("f")), bytes);
}

TEST_F(FileIoTest, UnreadableFilesNameTheFullPathAndTheReason) {
  const std::pair<std::string, std::string> cases[] = {
      {Path("missing.txt"), "No such file or directory"},
      {folder_.string(), "Is a directory"},
  };
  for (const auto& [path, reason] : cases) {
    try {
      ReadWholeFile(path);
      ADD_FAILURE() << path;
    } catch (const EFOpenError& e) {
      EXPECT_EQ(e.what(), "Cannot open file \"" + path + "\". " + reason);
    }
  }
}

TEST_F(FileIoTest, RelativeNamesAreShownWithTheirFullPath) {
  const fs::path old = fs::current_path();
  fs::current_path(folder_);
  try {
    ReadWholeFile("nothing.dat");
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.what(), "Cannot open file \"" + Path("nothing.dat") +
                            "\". No such file or directory");
  }
  fs::current_path(old);
}

constexpr Temporary kBothTemporaries[] = {Temporary::kUnnamedWherePossible, Temporary::kNamed};

TEST_F(FileIoTest, WritingReplacesAnEarlierFileWithoutTraces) {
  for (const Temporary temporary : kBothTemporaries) {
    WriteWholeFile(Path("r.txt"), "first, and longer", temporary);
    WriteWholeFile(Path("r.txt"), "second", temporary);
    EXPECT_EQ(Contents(Path("r.txt")), "second");
    WriteWholeFile(Path("r.txt"), "", temporary);
    EXPECT_EQ(Contents(Path("r.txt")), "");
    EXPECT_EQ(FileCount(), 1);  // no temporary file left beside it
  }
}

TEST_F(FileIoTest, AFileThatCannotBeCreatedSaysSo) {
  const std::string path = Path("no-such-folder/r.txt");
  try {
    WriteWholeFile(path, "x");
    ADD_FAILURE();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.what(), "Cannot create file \"" + path + "\". No such file or directory");
  }
}

TEST_F(FileIoTest, AShortWriteKeepsTheEarlierFile) {
  WriteWholeFile(Path("keep.txt"), "earlier result");
  for (const Temporary temporary : kBothTemporaries) {
    // A file size limit makes the write store fewer bytes than asked, as a full disk would.
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
      WriteWholeFile(Path("keep.txt"), "a much longer new result", temporary);
    } catch (const EWriteError& e) {
      message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(Contents(Path("keep.txt")), "earlier result");
    EXPECT_EQ(FileCount(), 1);
  }
}

// A file without write permission in a writable folder: renaming over it would work, but the
// user protected it. Checked in a child process that runs as an ordinary user, since root may
// write anything.
TEST_F(FileIoTest, AReadOnlyFileIsNotReplaced) {
  fs::permissions(folder_, fs::perms::all);
  WriteWholeFile(Path("locked.txt"), "keep me");
  fs::permissions(Path("locked.txt"), fs::perms::owner_read | fs::perms::group_read |
                                          fs::perms::others_read);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    try {
      WriteWholeFile(Path("locked.txt"), "replaced");
    } catch (const EFCreateError& e) {
      const std::string expected =
          "Cannot create file \"" + Path("locked.txt") + "\". Permission denied";
      ::_exit(e.what() == expected ? 0 : 2);
    }
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot run as an ordinary user here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Contents(Path("locked.txt")), "keep me");
}

TEST_F(FileIoTest, ANewFileGetsTheUsualPermissions) {
  const mode_t mask = ::umask(022);
  WriteWholeFile(Path("p.txt"), "x");
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(Path("p.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

}  // namespace
}  // namespace tarvolen
