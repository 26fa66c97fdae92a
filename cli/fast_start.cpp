#include "cli/fast_start.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "cli/outputs.h"
#include "common/installation.h"

namespace tarvolen {
namespace {

// A fit of a large file allocates many small blocks (the text cells, the rows of the
// refinement's matrices), and on a 4 kB page each first touch costs a page fault. The C
// library's allocator backs its heap with 2 MB pages when GLIBC_TUNABLES asks for it, but reads
// that setting only when a program starts: for a file of 1 MB or more the program therefore
// starts itself once more with the setting added. Where that fails the run goes on as it is.
void UseHugePagesForLargeFiles(int argc, char** argv, const std::string& data_file) {
  constexpr const char* kSetting = "glibc.malloc.hugetlb=1";
  constexpr off_t kLargeFile = 1 << 20;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (std::getenv("TARVOLEN_FIT_RESTARTED") != nullptr ||
      (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr)) {
    return;
  }
  struct stat file {};
  // "-" is standard input: a large regular file redirected there counts as well.
  const int found = data_file == kStandardInputName ? fstat(STDIN_FILENO, &file)
                                                    : stat(data_file.c_str(), &file);
  if (found != 0 || !S_ISREG(file.st_mode) || file.st_size < kLargeFile) {
    return;
  }
  const std::string value =
      tunables != nullptr && *tunables != '\0' ? std::string(tunables) + ":" + kSetting : kSetting;
  if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0 ||
      setenv("TARVOLEN_FIT_RESTARTED", "1", 1) != 0) {
    return;
  }
  std::vector<char*> arguments(argv, argv + argc);
  arguments.push_back(nullptr);
  execv("/proc/self/exe", arguments.data());
  // Not restarted: carry on with the heap as it is.
  if (tunables != nullptr) {
    setenv("GLIBC_TUNABLES", tunables, 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
}

#ifdef TARVOLEN_PICTURES_PROGRAM
// Runs the same command line in the picture-drawing build beside this executable, which loads
// Qt; returns only when that program cannot be started.
[[noreturn]] void RunPicturesProgram(int argc, char** argv) {
  std::string program = ProgramBeside(TARVOLEN_PICTURES_PROGRAM);
  std::vector<char*> arguments(argv, argv + argc);
  arguments[0] = program.data();
  arguments.push_back(nullptr);
  execv(program.c_str(), arguments.data());
  std::cerr << "tarvolen-fit: cannot draw pictures: " << program << ": " << std::strerror(errno)
            << '\n';
  std::exit(1);
}
#endif

}  // namespace

void StartFast(int argc, char** argv, const std::string& data_file, bool draws_pictures) {
  UseHugePagesForLargeFiles(argc, argv, data_file);
#ifdef TARVOLEN_PICTURES_PROGRAM
  if (draws_pictures) RunPicturesProgram(argc, argv);
#else
  (void)draws_pictures;
#endif
}

}  // namespace tarvolen
