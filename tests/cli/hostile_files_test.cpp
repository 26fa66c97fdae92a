// Files no one means to load, given to tarvolen-fit: each ends with one of the system's messages
// or a report, never with a crash or a wait. The very large ones (a 100 MB line, 10^7 lines) and
// the memory they take are checked by bench/hostile-files instead.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include "cli/cli_fixture.h"
#include "fit/fit.h"

namespace tarvolen::testing {
namespace {

constexpr std::string_view kNotANumberTail = "' is not a valid floating point value. Row ";

// Standard error for a conversion error on `text` in the cell `where` ("Row 1, column X.").
std::string NotANumber(const std::string& text, const std::string& where) {
  return "'" + text + "' is not a valid floating point value. " + where + "\n";
}

// Without a single data row the linear fit has nothing to solve, and says so.
bool IsNoDataMessage(const std::string& err) {
  return err == std::string(kNoDataMessage) +
                    ". The Linear model needs at least 3 points, each a row with an X and a Y; "
                    "rows whose X and Y are both empty are left out.\n";
}

// `size` bytes from a fixed seed; with `nul` false, no byte is 0.
std::string RandomBytes(std::size_t size, bool nul) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    const auto b = static_cast<unsigned char>(random());
    c = static_cast<char>(nul || b != 0 ? b : 1);
  }
  return bytes;
}

TEST_F(CliTest, HostileContentEndsWithAMessage) {
  struct Case {
    const char* name;
    std::string content;
    std::string message;  // standard error; empty: no data row at all
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"binary-zero", std::string(1000, '\0'), ""},
      // 4096 empty lines: rows without texts.
      {"only-cr", std::string(4096, '\r'), ""},
      // Little-endian UTF-16 with a byte-order mark: the text ends at the first NUL.
      {"utf16", std::string("\xFF\xFE" "1\0 \0" "2\0\n\0", 10),
       NotANumber("\xFF\xFE" "1", "Row 1, column X.")},
      {"utf8-bom", "\xEF\xBB\xBF" "1 2\n2 4\n3 5\n",
       NotANumber("\xEF\xBB\xBF" "1", "Row 1, column X.")},
      {"one-quote", "\"", ""},
      {"fields-only-in-hidden-columns", "\"\" \"\" 1 2\n", ""},
      // Terminal codes in a cell (set the title, clear the screen) are shown, not obeyed.
      {"terminal-codes", "1 2\n\"\x1b]0;owned\x07\x1b[2J\" 3\n",
       NotANumber("\\x1b]0;owned\\x07\\x1b[2J", "Row 2, column X.")},
  };
  for (const Case& c : cases) {
    const Outcome o = Run("--model 1 " + Write(c.name, c.content));
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(IsNoDataMessage(o.err)) << c.name << ": " << o.err;
    } else {
      EXPECT_EQ(o.err, c.message) << c.name;
    }
  }
}

TEST_F(CliTest, RandomBytesEndWithAConversionError) {
  // 10 MB: as they come (the text ends at the first NUL) and with every NUL replaced.
  for (const bool nul : {true, false}) {
    const Outcome o = Run("--model linear " + Write("random", RandomBytes(10 << 20, nul)));
    EXPECT_EQ(o.status, 1) << nul;
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(kNotANumberTail), std::string::npos) << o.err.substr(0, 100);
    EXPECT_TRUE(o.err.ends_with(", column X.\n") || o.err.ends_with(", column Y.\n"));
  }
}

TEST_F(CliTest, TextAfterANulIsNeverRead) {
  const std::string data = "1 2\n2 4\n3 5\n4 4\n5 5\n";
  const Outcome plain = Run("--model 1 " + Write("plain", data));
  ASSERT_EQ(plain.status, 0);
  for (const std::string& tail : {std::string("\0", 1), std::string("\0 9 9\n7 x\n", 10),
                                  std::string("\0\0\0\0", 4) + RandomBytes(1 << 16, true)}) {
    const Outcome o = Run("--model 1 " + Write("nul", data + tail));
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, plain.out);
    EXPECT_EQ(o.err, "");
  }
}

TEST_F(CliTest, PathsThatAreNoReadableFileEndWithTheOpenError) {
  const std::string fifo = (folder_ / "pipe").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string too_long(5000, 'a');
  struct Case {
    std::string path;
    std::string message;  // empty: no data row at all
  };
  const Case cases[] = {
      // A named pipe without a writer reads as an empty file instead of waiting for one.
      {fifo, ""},
      // A device without end: reading stops at its first NUL.
      {"/dev/zero", ""},
      {"/dev/null", ""},
      {too_long,
       "Cannot open file \"" + (fs::current_path() / too_long).string() + "\". File name too long.\n"},
      {(folder_ / "no-folder" / "f.txt").string(),
       "Cannot open file \"" + (folder_ / "no-folder" / "f.txt").string() +
           "\". No such file or directory.\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = Run("--model 1 " + c.path);
    EXPECT_EQ(o.status, 1) << c.path.substr(0, 60);
    if (c.message.empty()) {
      EXPECT_TRUE(IsNoDataMessage(o.err)) << c.path << ": " << o.err;
    } else {
      EXPECT_EQ(o.err, c.message) << c.path.substr(0, 60);
    }
  }
}

TEST_F(CliTest, AFileWithoutReadPermissionEndsWithTheOpenError) {
  const std::string file = Write("secret.txt", "1 2\n2 4\n3 5\n");
  ASSERT_EQ(::chmod(file.c_str(), 0), 0);
  std::string env = "LC_ALL=C";
  if (::geteuid() == 0) {
    // Permissions do not stop root: run as the unprivileged user instead, when that is possible.
    if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null") != 0) {
      GTEST_SKIP() << "running as root and cannot drop privileges with setpriv";
    }
    ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);  // so that the redirections stay writable
    env += " setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  const Outcome o = Run("--model 1 " + file, env);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "Cannot open file \"" + file + "\". Permission denied.\n");
}

}  // namespace
}  // namespace tarvolen::testing
