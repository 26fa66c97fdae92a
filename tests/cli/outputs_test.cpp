// tarvolen-fit's outputs on every kind of target, and the ways a run can end early: each ends
// with a message and leaves every file either as it was or complete. Devices and pipes are made
// in the test's own folder; resource limits are set in the child's shell.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "cli/cli_fixture.h"
#include "fit/fit.h"

namespace tarvolen::testing {
namespace {

constexpr const char* kFivePoints = "1 2\n2 4\n3 5\n4 4\n5 5\n";
constexpr const char* kFiveReport =
    "a= 2.2\nb= 0.6\nStandard Error= 0.894427190999916\n"
    "correlation coefficient= 0.774596669241483\n";

class CliOutputs : public CliTest {
 protected:
  // Runs `line` with sh in the test's folder, "$FIT" standing for tarvolen-fit; the status of
  // its last command.
  int Shell(const std::string& line) const {
    const std::string command = "cd '" + folder_.string() + "' && FIT='" + TARVOLEN_FIT_EXE +
                                "' && LC_ALL=C && export FIT LC_ALL && " + line;
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::string At(const std::string& name) const { return Read((folder_ / name).string()); }
  bool IsCharacterDevice(const std::string& name) const {
    struct stat info {};
    return ::lstat((folder_ / name).c_str(), &info) == 0 && S_ISCHR(info.st_mode);
  }
  // Makes a character device in the test's folder: 3 discards, 7 is always full.
  bool MakeDevice(const std::string& name, unsigned minor) const {
    const std::string path = (folder_ / name).string();
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0 &&
           ::chmod(path.c_str(), 0666) == 0;
  }
};

TEST_F(CliOutputs, StandardOutputAndDescriptorsAreWrittenWhereTheyStand) {
  Write("five.txt", kFivePoints);
  ASSERT_EQ(Shell("$FIT --model 1 --curve curve.txt five.txt > /dev/null"), 0);
  const std::string curve = At("curve.txt");
  ASSERT_EQ(curve.substr(0, 21), "1 2.7999999999999998\n");
  // Appended to a log after the report, as the redirection asks; the same through /dev/fd/N.
  Write("log", "old\n");
  ASSERT_EQ(Shell("$FIT --model 1 --curve /dev/stdout five.txt >> log"), 0);
  ASSERT_EQ(Shell("$FIT --model 1 --curve /dev/fd/3 five.txt 3>> log > /dev/null"), 0);
  EXPECT_EQ(At("log"), "old\n" + std::string(kFiveReport) + curve + curve);

  // Through a pipe and into a named pipe with a reader.
  ASSERT_EQ(Shell("$FIT --model 1 --curve /dev/stdout five.txt | cat > piped"), 0);
  EXPECT_EQ(At("piped"), kFiveReport + curve);
  ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(Shell("(cat fifo > from-fifo &) && $FIT --model 1 --curve fifo five.txt > /dev/null"
                  " && sleep 0.1"),
            0);
  EXPECT_EQ(At("from-fifo"), curve);

  // A device stays a device; an ordinary user writes it without being allowed to create files
  // beside it.
  if (MakeDevice("discard", 3)) {
    EXPECT_EQ(Shell("$FIT --model 1 --curve discard five.txt > /dev/null"), 0);
    EXPECT_TRUE(IsCharacterDevice("discard"));
    if (::geteuid() == 0 &&
        Shell("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null") == 0) {
      ASSERT_EQ(::chmod(folder_.c_str(), 0755), 0);
      EXPECT_EQ(Shell("setpriv --reuid=65534 --regid=65534 --clear-groups "
                      "$FIT --model 1 --curve discard five.txt > /dev/null"),
                0);
      EXPECT_TRUE(IsCharacterDevice("discard"));
    }
  }
}

TEST_F(CliOutputs, OutputsThatWouldOverwriteTheDataOrEachOtherAreRefused) {
  Write("data.txt", kFivePoints);
  Write("other.txt", "other");
  ASSERT_EQ(::symlink("data.txt", (folder_ / "alias").c_str()), 0);
  ASSERT_EQ(::link((folder_ / "data.txt").c_str(), (folder_ / "hard").c_str()), 0);
  const char* cases[] = {
      "--curve data.txt data.txt",
      "--curve alias data.txt",
      "--curve data.txt alias",
      "--curve hard data.txt",
      "--curve ./sub/../data.txt data.txt",
      "--curve other.txt --plot other.txt data.txt",
      "--curve new.txt --plot ./new.txt data.txt",
  };
  std::filesystem::create_directories(folder_ / "sub");
  for (const char* arguments : cases) {
    EXPECT_EQ(Shell(std::string("$FIT --model 1 ") + arguments + " > out 2> err"), 2)
        << arguments;
    EXPECT_TRUE(At("err").starts_with("tarvolen-fit: --")) << At("err");
    EXPECT_EQ(At("out"), "");
  }
  EXPECT_EQ(At("data.txt"), kFivePoints);
  EXPECT_EQ(At("other.txt"), "other");
  EXPECT_FALSE(fs::exists(folder_ / "new.txt"));
  EXPECT_EQ(At("err"),
            "tarvolen-fit: --curve \"new.txt\" and --plot \"./new.txt\" are the same file: one "
            "would overwrite the other\n");
}

TEST_F(CliOutputs, AFitThatFailsBeforeItsCurveLeavesTheCurveFileAsItWas) {
  Write("curve.txt", "earlier curve\n");
  const std::pair<const char*, const char*> cases[] = {
      {"bad-cell.txt", "1 2\n2 x\n3 4\n"},
      {"singular.txt", "1 2\n1 3\n1 4\n"},
  };
  for (const auto& [name, data] : cases) {
    const Outcome o = Run("--model 2 --curve " + (folder_ / "curve.txt").string() + " " +
                          Write(name, data));
    EXPECT_EQ(o.status, 1) << name;
    EXPECT_EQ(At("curve.txt"), "earlier curve\n") << name;
  }
  const Outcome missing = Run("--model 1 --curve " + (folder_ / "curve.txt").string() + " " +
                              (folder_ / "missing.txt").string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(At("curve.txt"), "earlier curve\n");
}

TEST_F(CliOutputs, LongNamesLinksAndLoops) {
  Write("five.txt", kFivePoints);
  const std::string long_name(250, 'c');
  EXPECT_EQ(Shell("$FIT --model 1 --curve " + long_name + " five.txt > /dev/null"), 0);
  EXPECT_EQ(At(long_name).substr(0, 21), "1 2.7999999999999998\n");
  ASSERT_EQ(::symlink("target.txt", (folder_ / "dangling").c_str()), 0);
  EXPECT_EQ(Shell("$FIT --model 1 --curve dangling five.txt > /dev/null"), 0);
  EXPECT_EQ(At("target.txt"), At(long_name));
  EXPECT_TRUE(fs::is_symlink(folder_ / "dangling"));
  ASSERT_EQ(::symlink("loop", (folder_ / "loop").c_str()), 0);
  EXPECT_EQ(Shell("$FIT --model 1 --curve loop five.txt > /dev/null 2> err"), 1);
  EXPECT_EQ(At("err"), "Cannot create file \"" + (folder_ / "loop").string() +
                           "\". Too many levels of symbolic links.\n");
  EXPECT_TRUE(fs::is_symlink(folder_ / "loop"));
}

TEST_F(CliOutputs, StandardOutputThatCannotBeWrittenIsAnError) {
  Write("five.txt", kFivePoints);
  std::vector<std::string> cases = {
      "$FIT --model 1 five.txt >&-",
      "$FIT --help >&-",
      // A file-size limit, as a full disk: the write fails instead of ending the program.
      "(ulimit -f 1; exec $FIT --model 1 five.txt >> large)",
  };
  if (MakeDevice("full", 7)) {
    cases.push_back("$FIT --model 1 five.txt > full");
    cases.push_back("$FIT --help > full");
  }
  for (const std::string& line : cases) {
    Write("large", std::string(2048, 'l'));
    EXPECT_EQ(Shell(line + " 2> err"), 1) << line;
    EXPECT_EQ(At("err"), "Stream write error.\n") << line;
  }
  // With standard output closed, the curve still goes to its own file, not to descriptor 1.
  EXPECT_EQ(Shell("$FIT --model 1 --curve curve.txt five.txt >&- 2> err"), 1);
  EXPECT_EQ(At("curve.txt").substr(0, 21), "1 2.7999999999999998\n");
  EXPECT_EQ(Shell("$FIT --model 1 --curve /dev/stdout five.txt >&- 2> err"), 1);
  EXPECT_EQ(At("err"),
            "Cannot create file \"/dev/stdout\". Bad file descriptor.\nStream write error.\n");
}

// tarvolen-fit loading a named pipe whose writer never ends, so that the run lasts until it is
// ended from outside. Standard output and error go to "out" and "err".
struct EndlessRun {
  pid_t pid;
  int writer;  // held open: the load waits for more
};

EndlessRun StartEndlessRun(const fs::path& folder, const std::string& extra) {
  const std::string fifo = (folder / "endless").string();
  ::unlink(fifo.c_str());
  ::mkfifo(fifo.c_str(), 0600);
  const int writer = ::open(fifo.c_str(), O_RDWR);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(writer);
    const int err = ::open((folder / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int out = ::open((folder / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, 2);
    ::dup2(out, 1);
    const std::string curve = (folder / "curve.txt").string();
    ::execl(TARVOLEN_FIT_EXE, TARVOLEN_FIT_EXE, "--model", "1", "--curve", curve.c_str(),
            extra.empty() ? fifo.c_str() : extra.c_str(), extra.empty() ? nullptr : "0.3",
            fifo.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return {child, writer};
}

// Waits for the run; its raw status.
int Finish(const EndlessRun& run) {
  int status = 0;
  ::waitpid(run.pid, &status, 0);
  ::close(run.writer);
  return status;
}

TEST_F(CliOutputs, InterruptionAndTheTimeLimitEndTheRunWithAMessage) {
  Write("curve.txt", "earlier curve\n");
  for (const int signal_number : {SIGINT, SIGTERM}) {
    const EndlessRun run = StartEndlessRun(folder_, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(run.pid, signal_number);
    const int status = Finish(run);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_EQ(At("err"), signal_number == SIGINT ? "tarvolen-fit: interrupted\n"
                                                 : "tarvolen-fit: terminated\n");
    EXPECT_EQ(At("curve.txt"), "earlier curve\n");
  }

  const int status = Finish(StartEndlessRun(folder_, "--max-seconds"));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(At("err"), "tarvolen-fit: stopped after 0.3 seconds (--max-seconds)\n");
  EXPECT_EQ(At("out"), "");
  EXPECT_EQ(At("curve.txt"), "earlier curve\n");
}

// Memory runs out under an address-space limit: a clean message, never an abort; and memory
// is never taken for what a file only claims (a sparse file, lines without data).
TEST_F(CliOutputs, RunningOutOfMemoryEndsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "an address-space limit breaks the sanitizer's shadow memory";
#else
  const std::string limit = "ulimit -v 262144; ";  // 256 MB
  EXPECT_EQ(Shell("yes '1 2' | (" + limit + "exec $FIT --model 1 /dev/stdin > out 2> err)"), 1);
  EXPECT_EQ(At("err"), "Out of memory.\n");

  Write("sparse.txt", kFivePoints);
  ASSERT_EQ(::truncate((folder_ / "sparse.txt").c_str(), off_t{32} << 30), 0);
  EXPECT_EQ(Shell("(" + limit + "exec $FIT --model 1 sparse.txt > out 2> err)"), 0);
  EXPECT_EQ(At("out"), kFiveReport);

  // Three million line ends: rows without cells, which once took 32 bytes per cell in advance.
  Write("line-ends.txt", std::string(3000000, '\n'));
  EXPECT_EQ(Shell("(" + limit + "exec $FIT --model 1 line-ends.txt > out 2> err)"), 1);
  EXPECT_NE(At("err"), "Out of memory.\n");
  EXPECT_TRUE(At("err").starts_with(kNoDataMessage)) << At("err");
#endif
}

TEST_F(CliOutputs, TheCurveUsesTheReportsDecimalSeparatorAndLoadsBack) {
  Write("comma.txt", "0,5 2,75\n1 3,5\n1,5 3,25\n2 4,5\n");
  ASSERT_EQ(Shell("$FIT --decimal-separator , --model 2 --curve curve.txt comma.txt > out"), 0);
  const std::string curve = At("curve.txt");
  EXPECT_EQ(curve.find('.'), std::string::npos);
  EXPECT_EQ(curve.substr(0, 4), "0,5 ");
  EXPECT_EQ(Shell("$FIT --decimal-separator , --model 2 curve.txt > again"), 0);
  EXPECT_EQ(At("again").substr(0, 3), "a= ");
}

}  // namespace
}  // namespace tarvolen::testing
