#pragma once

// Runs the built tarvolen-fit in a folder of its own per test.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarvolen::testing {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tarvolen-cli-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& text) const {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Runs tarvolen-fit with `arguments` (shell words) and the environment prefix `env`.
  Outcome Run(const std::string& arguments, const std::string& env = "LC_ALL=C") const {
    const std::string out = (folder_ / "stdout").string();
    const std::string err = (folder_ / "stderr").string();
    const std::string command = "env " + env + " " + TARVOLEN_FIT_EXE + " " + arguments + " >" +
                                out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(out), Read(err)};
  }

  fs::path folder_;
};

}  // namespace tarvolen::testing
