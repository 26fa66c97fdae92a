#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "common/progress.h"

namespace tarvolen {

// Reads a whole file as bytes. Throws EFOpenError "Cannot open file "<full path>". <reason>"
// when it cannot be opened or read (a directory counts as a file that cannot be opened). A named
// pipe without a writer reads as empty instead of waiting for one. Memory grows with the bytes
// that arrive, never ahead of them from the size the file claims.
std::string ReadWholeFile(const std::string& path);

// Whether `file_name` ends in `extension` (given in lower case, with its dot), letters A to Z
// taken as their lower case.
bool HasExtension(std::string_view file_name, std::string_view extension);

// As ReadWholeFile, but reading stops at the first byte `stop`, which is not included: nothing
// after it is read, so even a device without end (/dev/zero) gives a finite text. A named pipe
// without a writer reads as empty instead of waiting for one. With an observed `progress`, the
// read tells how far it got in a file that claims its size, and a stop asked for ends it
// (throwing Cancelled) within a tenth of a second, also while a pipe or device sends nothing.
std::string ReadFileUntil(const std::string& path, char stop, const Progress& progress = {});

// As ReadFileUntil, from the program's standard input as it stands (a pipe, a terminal, a
// file); its errors name the file "standard input".
std::string ReadStandardInputUntil(char stop);

// Where a write to a name lands, as WriteWholeFile sees it.
struct SaveTarget {
  enum class Kind {
    kNewFile,      // nothing of that name yet: a regular file is created
    kRegularFile,  // an existing regular file, replaced as a whole
    kDescriptor,   // one of the program's own open descriptors (/dev/stdout, /dev/fd/N, ...)
    kInPlace,      // any other existing file (a device, a named pipe): written where it is
  };
  Kind kind = Kind::kNewFile;
  // The name written: symbolic links followed, also to a file that does not exist yet.
  std::string path;
  int descriptor = -1;    // kDescriptor only
  struct stat info {};    // kRegularFile only
};

// Follows `path` through its symbolic links to the file a write would land in. Throws
// EFCreateError "Cannot create file "<full path>". <reason>" for a folder, a loop of links, a
// name that cannot be looked up, or a link in a shared folder (/tmp) that another user owns,
// which the system itself would not follow either.
SaveTarget FindSaveTarget(const std::string& path);

// Writes `bytes` as the new content of the file `path`, where FindSaveTarget says it lands:
// - A regular file, or a name that does not exist yet, gets the bytes in a temporary file in the
//   same folder (unnamed where the file system allows it) that takes the name only once it is
//   complete and on disk: an earlier file of that name survives a failed or interrupted write
//   whole. A replaced file keeps its permissions, less the set-user-ID and set-group-ID bits, and
//   its owner and group where the writer may set them. A file the writer may not write stays as
//   it is, although renaming over it might succeed.
// - One of the program's open descriptors is written where it stands, as `tee` does: a file
//   opened for appending is appended to, nothing is truncated.
// - Any other existing file is opened and written in place.
// Throws EFCreateError "Cannot create file "<full path>". <reason>" when the file cannot be
// created or opened, EWriteError "Stream write error" when fewer bytes were stored than asked.
//
// `temporary` kNamed takes the way a file system without unnamed files gets: a named temporary,
// removed on every error and by the handler of PendingFile (common/pending_files.h) when the
// program is ended by SIGINT, SIGTERM or SIGHUP.
enum class Temporary { kUnnamedWherePossible, kNamed };
void WriteWholeFile(const std::string& path, std::string_view bytes,
                    Temporary temporary = Temporary::kUnnamedWherePossible);

// The full path shown in file error messages.
std::string FullPath(const std::string& path);

}  // namespace tarvolen
