#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the build tells the programs about their installation: their version, and where they
// find the files installed with them.
//
// Layout. An installation keeps the programs in bin/ and their files in share/ beside it:
//   bin/tarvolen, bin/tarvolen-fit, bin/tarvolen-fit-pictures
//   share/tarvolen/examples/               the example data files
//   share/doc/tarvolen/Tarvolen.chm        the compiled manual
//   share/doc/tarvolen/manual/index.html   the same manual as HTML pages
// Everything is found relative to the running program's own executable, so an installation
// works under any prefix and can be moved as a whole. The build folder mirrors the layout: its
// programs lie one folder below its root (shell/, cli/, tests/) and the build puts the same files
// under its own share/, so the programs find them run from the build folder too.

namespace tarvolen {

// The version, "4.1": the project's version as the build sets it, the one place it is kept.
const char* ProgramVersion();

// The folder of the running program's executable, symbolic links resolved, without a trailing
// separator; empty when the system does not say.
std::string ProgramFolder();

// The program `name` installed beside the running one (the programs always lie together). Just
// `name` when the running program's folder is unknown.
std::string ProgramBeside(std::string_view name);

enum class InstalledItem { kExamplesFolder, kManualChm, kManualHtml };

// Where `item` lies for a program in `program_folder`, whether or not it is there: a plain path
// without "." or ".." parts. kManualHtml is the manual's first page, index.html.
std::string InstalledPath(std::string_view program_folder, InstalledItem item);

// Where `item` lies for the running program, when it is there (a folder for kExamplesFolder, a
// regular file otherwise). Looked up afresh on every call.
std::optional<std::string> FindInstalled(InstalledItem item);

inline std::optional<std::string> ExamplesFolder() {
  return FindInstalled(InstalledItem::kExamplesFolder);
}
inline std::optional<std::string> ManualChm() {
  return FindInstalled(InstalledItem::kManualChm);
}
inline std::optional<std::string> ManualHtml() {
  return FindInstalled(InstalledItem::kManualHtml);
}

}  // namespace tarvolen
