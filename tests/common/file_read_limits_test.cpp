// Reading files that never end or never start: a device without end, a named pipe without a
// writer. Both once made a load wait forever.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "common/file_io.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

class FileReadLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("tarvolen-read-limits-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

TEST_F(FileReadLimits, ReadingUntilAByteStopsBeforeIt) {
  const std::string path = (folder_ / "f").string();
  // The stop byte at the start, in the middle, at the end of a 64 kB read, in a later read, and
  // nowhere.
  const std::string big(1 << 16, 'x');
  struct Case {
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {std::string("\0abc", 4), ""},
      {std::string("1 2\n\0" "3 4\n", 9), "1 2\n"},
      {big + std::string("\0tail", 5), big},
      {big + "yz" + std::string("\0", 1) + big, big + "yz"},
      {"no stop byte", "no stop byte"},
  };
  for (const Case& c : cases) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
    EXPECT_EQ(ReadFileUntil(path, '\0'), c.expected) << c.bytes.size();
  }
}

// A sparse file claims far more than it holds: memory follows the bytes read, never the claim.
// Checked under an address-space limit in a child process (which the sanitizers' own
// reservations would not survive).
TEST_F(FileReadLimits, ASparseFileIsNotTakenAtItsWord) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "an address-space limit breaks the sanitizer's shadow memory";
#else
  const std::string path = (folder_ / "sparse").string();
  std::ofstream(path, std::ios::binary) << "1 2\n2 4\n3 5\n4 4\n5 5\n";
  ASSERT_EQ(::truncate(path.c_str(), off_t{32} << 30), 0);  // 32 GB, holes read as NUL
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit cap{512 << 20, 512 << 20};
    ::setrlimit(RLIMIT_AS, &cap);
    try {
      ::_exit(ReadFileUntil(path, '\0') == "1 2\n2 4\n3 5\n4 4\n5 5\n" ? 0 : 1);
    } catch (...) {
      ::_exit(2);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

TEST_F(FileReadLimits, ADeviceWithoutEndIsReadUpToTheStopByte) {
  EXPECT_EQ(ReadFileUntil("/dev/zero", '\0'), "");
}

TEST_F(FileReadLimits, ANamedPipeWithoutWriterReadsAsEmpty) {
  const std::string pipe = (folder_ / "pipe").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ReadWholeFile(pipe), "");
  EXPECT_EQ(ReadFileUntil(pipe, '\0'), "");
}

TEST_F(FileReadLimits, ANamedPipeWithAWriterGivesAllItsData) {
  const std::string pipe = (folder_ / "pipe").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string data(200000, '7');  // more than a pipe holds at once
  // The writer opens first, so the reader finds it; then the reader must wait for all the data.
  const int writer = ::open(pipe.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  std::thread feed([&] {
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t put = ::write(writer, data.data() + done, data.size() - done);
      if (put <= 0) break;
      done += static_cast<std::size_t>(put);
    }
    ::close(writer);
  });
  const std::string read = ReadWholeFile(pipe);
  feed.join();
  EXPECT_EQ(read, data);
}

}  // namespace
}  // namespace tarvolen
