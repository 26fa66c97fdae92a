#pragma once

#include <string>

namespace tarvolen {

// A named temporary file that a save creates beside its target, noted so that a signal handler
// can remove it when the program is ended in the middle of the save. Noted from construction
// (before the file is created, so that no moment is missed) until `Kept`; the destructor removes
// the file unless it was kept.
//
// Where the program leaves SIGINT, SIGTERM and SIGHUP to the system's default action, the first
// PendingFile installs a handler for them that removes the noted files and then ends the program
// as the default action would. A program with handlers of its own calls RemovePendingFiles in
// them. At most 16 files are noted at once; more are still removed by their destructors.
class PendingFile {
 public:
  // `folder` is an open descriptor of the folder that holds `name`, `full_path` the file's full
  // path for the handler.
  PendingFile(int folder, const std::string& full_path, std::string name);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // The file took the target's name, or was never created (its name belongs to another file):
  // nothing to remove any more.
  void Kept();

 private:
  void Forget();

  int folder_;
  std::string name_;
  int slot_ = -1;
  bool kept_ = false;
};

// Removes every noted file. Async-signal-safe.
void RemovePendingFiles() noexcept;

}  // namespace tarvolen
