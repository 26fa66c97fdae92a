// Saving onto every kind of target: devices, pipes and the program's own descriptors, links,
// the longest names, files of other owners, and saves ended in the middle. Devices and pipes
// are made in the test's own folder; ownership is checked as root (as CI runs) and as the
// unprivileged user in a child process.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/file_test_folder.h"
#include "common/pending_files.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr Temporary kBothTemporaries[] = {Temporary::kUnnamedWherePossible, Temporary::kNamed};

class FileSaveTest : public testing::FileTestFolder {
 protected:
  // The message of the EFCreateError that writing `path` throws, or "" when none is thrown.
  static std::string CreateError(const std::string& path) {
    try {
      WriteWholeFile(path, "x");
    } catch (const EFCreateError& e) {
      return e.what();
    }
    return "";
  }
  static struct stat Status(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
  }
};

TEST_F(FileSaveTest, DevicesPipesAndSocketsAreWrittenWhereTheyStand) {
  // A character device: the one that discards what it gets, made here.
  const std::string device = Path("discard");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    WriteWholeFile(device, "1 2\n");
    EXPECT_TRUE(S_ISCHR(Status(device).st_mode));
  }

  // A named pipe with a reader, which gets every byte.
  const std::string pipe = Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::string data(300000, 'p');  // more than a pipe holds at once
  // The reader end, and a writer of our own that keeps it from seeing the end before the save
  // has even started (or, were the pipe replaced, from waiting for ever).
  const int read_end = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  const int held = ::open(pipe.c_str(), O_WRONLY);
  ASSERT_GE(read_end, 0);
  ASSERT_EQ(::fcntl(read_end, F_SETFL, 0), 0);
  std::string received;
  std::thread pipe_reader([&] {
    char buffer[65536];
    for (ssize_t got; (got = ::read(read_end, buffer, sizeof buffer)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(got));
    }
  });
  WriteWholeFile(pipe, data);
  ::close(held);
  pipe_reader.join();
  ::close(read_end);
  EXPECT_EQ(received, data);
  EXPECT_TRUE(S_ISFIFO(Status(pipe).st_mode));

  // A socket cannot be opened as a file: the system says so, and the socket stays.
  const std::string socket_path = Path("socket");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socket_path.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socket_path.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(CreateError(socket_path),
            "Cannot create file \"" + socket_path + "\". No such device or address");
  EXPECT_TRUE(S_ISSOCK(Status(socket_path).st_mode));
  ::close(listener);
}

TEST_F(FileSaveTest, OwnDescriptorsAreWrittenWhereTheyStandAsTeeDoes) {
  // A log opened for appending, as `>> log` opens it, is appended to through every name of it.
  const std::string log = Write("log", "old\n");
  const ino_t inode = Status(log).st_ino;
  const int appending = ::open(log.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(appending, 0);
  const std::string number = std::to_string(appending);
  for (const std::string& name :
       {"/dev/fd/" + number, "/proc/self/fd/" + number,
        "/proc/" + std::to_string(::getpid()) + "/fd/" + number}) {
    WriteWholeFile(name, "x\n");
  }
  ::close(appending);
  EXPECT_EQ(Contents(log), "old\nx\nx\nx\n");
  EXPECT_EQ(Status(log).st_ino, inode);

  // A descriptor in the middle of a file writes there and cuts nothing off.
  const std::string middle = Write("middle", "0123456789");
  const int positioned = ::open(middle.c_str(), O_WRONLY);
  ASSERT_EQ(::lseek(positioned, 4, SEEK_SET), 4);
  WriteWholeFile("/dev/fd/" + std::to_string(positioned), "ab");
  EXPECT_EQ(Contents(middle), "0123ab6789");
  ::close(positioned);

  // A descriptor that is closed, or open for reading only, cannot take the bytes.
  const int reading = ::open(middle.c_str(), O_RDONLY);
  const int closed = ::dup(reading);
  ::close(closed);
  for (const int fd : {reading, closed}) {
    const std::string name = "/dev/fd/" + std::to_string(fd);
    EXPECT_EQ(CreateError(name), "Cannot create file \"" + name + "\". Bad file descriptor");
  }
  ::close(reading);
  EXPECT_EQ(Contents(middle), "0123ab6789");
}

TEST_F(FileSaveTest, LinksAreWrittenThroughToTheirTargets) {
  fs::create_directories(folder_ / "sub");
  Write("sub/existing.txt", "old");
  fs::create_symlink("sub/existing.txt", folder_ / "to-existing");
  fs::create_symlink("missing.txt", folder_ / "sub" / "dangling");  // relative to its folder
  fs::create_symlink("to-existing", folder_ / "chain");
  struct Case {
    const char* link;
    const char* target;
  };
  for (const Temporary temporary : kBothTemporaries) {
    for (const Case& c : {Case{"to-existing", "sub/existing.txt"},
                          Case{"sub/dangling", "sub/missing.txt"},
                          Case{"chain", "sub/existing.txt"}}) {
      WriteWholeFile(Path(c.link), c.link, temporary);
      EXPECT_EQ(Contents(Path(c.target)), c.link);
      EXPECT_TRUE(fs::is_symlink(folder_ / c.link)) << c.link;
    }
  }
  // Nothing left beside them: sub and two links here, the link and two files in sub.
  EXPECT_EQ(FileCount(), 3);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "sub"), {}), 3);

  fs::create_symlink("loop-b", folder_ / "loop-a");
  fs::create_symlink("loop-a", folder_ / "loop-b");
  fs::create_symlink("sub", folder_ / "to-folder");
  const std::pair<std::string, std::string> errors[] = {
      {Path("loop-a"), "Too many levels of symbolic links"},
      {Path("to-folder"), "Is a directory"},
  };
  for (const auto& [path, reason] : errors) {
    EXPECT_EQ(CreateError(path), "Cannot create file \"" + path + "\". " + reason);
    EXPECT_TRUE(fs::is_symlink(path));
  }
}

TEST_F(FileSaveTest, TheLongestNamesStillGetATemporaryBesideThem) {
  for (const std::size_t length : {250, 255}) {
    const std::string path = Path(std::string(length, 'n'));
    for (const Temporary temporary : kBothTemporaries) {
      WriteWholeFile(path, "new", temporary);
      WriteWholeFile(path, "replaced", temporary);
      EXPECT_EQ(Contents(path), "replaced");
    }
    fs::remove(path);
    EXPECT_EQ(FileCount(), 0);
  }
}

// Runs `body` in a child process as the unprivileged user, with `groups` as its supplementary
// groups; its exit status, or -1 when the test cannot become that user here.
template <class Body>
int AsNobody(std::initializer_list<gid_t> groups, Body body) {
  const pid_t child = ::fork();
  if (child == 0) {
    const std::vector<gid_t> list(groups);
    if (::setgroups(list.size(), list.data()) != 0 || ::setgid(kNobody) != 0 ||
        ::setuid(kNobody) != 0) {
      ::_exit(99);
    }
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 99) return -1;
  return WEXITSTATUS(status);
}

TEST_F(FileSaveTest, ARewriteKeepsOwnerGroupAndPermissionsButNoSetIdBits) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files to other users";
  struct Case {
    uid_t owner;
    gid_t group;
    mode_t mode;
    mode_t kept;
  };
  const Case cases[] = {
      {kNobody, kNobody, 0600, 0600},  // a user's private file stays the user's
      {kNobody, kNobody, 04755, 0755},
      {0, 100, 02775, 0775},
      {kNobody, 0, 0640, 0640},
  };
  for (const Temporary temporary : kBothTemporaries) {
    for (const Case& c : cases) {
      const std::string path = Write("owned", "old");
      ASSERT_EQ(::chown(path.c_str(), c.owner, c.group), 0);
      ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
      WriteWholeFile(path, "new", temporary);
      const struct stat info = Status(path);
      EXPECT_EQ(info.st_uid, c.owner);
      EXPECT_EQ(info.st_gid, c.group);
      EXPECT_EQ(info.st_mode & 07777, c.kept) << std::oct << c.mode;
      EXPECT_EQ(Contents(path), "new");
    }
  }

  // An ordinary user cannot give the file back to its owner, but keeps its group when a member.
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  const std::string shared = Write("shared", "old");
  ASSERT_EQ(::chown(shared.c_str(), 0, 100), 0);
  ASSERT_EQ(::chmod(shared.c_str(), 0664), 0);
  const int status = AsNobody({100}, [&] {
    try {
      WriteWholeFile(shared, "by nobody");
    } catch (const Exception&) {
      return 1;
    }
    return 0;
  });
  if (status < 0) GTEST_SKIP() << "cannot run as an ordinary user here";
  EXPECT_EQ(status, 0);
  const struct stat info = Status(shared);
  EXPECT_EQ(info.st_uid, kNobody);
  EXPECT_EQ(info.st_gid, 100u);
  EXPECT_EQ(info.st_mode & 07777, 0664u);
  EXPECT_EQ(Contents(shared), "by nobody");
}

TEST_F(FileSaveTest, ALinkAnotherUserPlantedInASharedFolderIsNotFollowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to plant a link as another user";
  ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);  // shared like /tmp
  const std::string victim = Write("victim", "precious");
  const std::string link = Path("planted");
  fs::create_symlink(victim, link);
  ASSERT_EQ(::lchown(link.c_str(), kNobody, kNobody), 0);
  EXPECT_EQ(CreateError(link), "Cannot create file \"" + link + "\". Permission denied");
  EXPECT_EQ(Contents(victim), "precious");
  // The writer's own link there is followed.
  ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
  WriteWholeFile(link, "mine");
  EXPECT_EQ(Contents(victim), "mine");
}

TEST_F(FileSaveTest, ASignalThatEndsTheProgramRemovesThePendingTemporary) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored when the tests began (SIGHUP under nohup) stays ignored, as it should.
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      continue;
    }
    const std::string path = Path(".partial");
    const pid_t child = ::fork();
    if (child == 0) {
      const int folder = ::open(folder_.c_str(), O_PATH | O_DIRECTORY);
      PendingFile pending(folder, path, ".partial");
      ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0600));
      ::raise(signal_number);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_FALSE(fs::exists(path)) << signal_number;
  }
}

TEST_F(FileSaveTest, KillingTheProgramInTheMiddleOfASaveLeavesTheTargetWhole) {
  const std::string target = Write("target", "old");
  const std::string big(64 << 20, 'n');
  for (const int delay_ms : {2, 15, 40, 90}) {
    const pid_t child = ::fork();
    if (child == 0) {
      for (;;) WriteWholeFile(target, big);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = Contents(target);
    EXPECT_TRUE(now == "old" || now == big) << now.size();
    EXPECT_EQ(FileCount(), 1) << delay_ms;
  }
}

}  // namespace
}  // namespace tarvolen
