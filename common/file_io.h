#pragma once

#include <string>
#include <string_view>

namespace tarvolen {

// Reads a whole file as bytes. Throws EFOpenError "Cannot open file "<full path>". <reason>"
// when it cannot be opened or read (a directory counts as a file that cannot be opened). A named
// pipe without a writer reads as empty instead of waiting for one.
std::string ReadWholeFile(const std::string& path);

// As ReadWholeFile, but reading stops at the first byte `stop`, which is not included: nothing
// after it is read, so even a device without end (/dev/zero) gives a finite text. A named pipe
// without a writer reads as empty instead of waiting for one.
std::string ReadFileUntil(const std::string& path, char stop);

// Writes `bytes` as the new content of the file `path`: into a temporary file in the same folder
// first, which replaces the target only once it is complete, so an earlier file of that name
// survives a failed write. Throws EFCreateError "Cannot create file "<full path>". <reason>" when
// the file cannot be created, EWriteError "Stream write error" when fewer bytes were stored than
// asked.
void WriteWholeFile(const std::string& path, std::string_view bytes);

// The full path shown in file error messages.
std::string FullPath(const std::string& path);

}  // namespace tarvolen
