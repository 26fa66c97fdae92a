#include "common/installation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>

// The build sets the version and the ways from bin/ to share/tarvolen and share/doc/tarvolen.
#if !defined(TARVOLEN_VERSION) || !defined(TARVOLEN_DATA_FROM_BIN) || \
    !defined(TARVOLEN_DOC_FROM_BIN)
#error "the build sets TARVOLEN_VERSION, TARVOLEN_DATA_FROM_BIN and TARVOLEN_DOC_FROM_BIN"
#endif

namespace tarvolen {

const char* ProgramVersion() {
  return TARVOLEN_VERSION;
}

std::string ProgramFolder() {
  std::array<char, 4096> self{};
  const ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= self.size()) return {};
  const std::string path(self.data(), static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string ProgramBeside(std::string_view name) {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return std::string(name);
  return folder + (folder.back() == '/' ? "" : "/") + std::string(name);
}

std::string InstalledPath(std::string_view program_folder, InstalledItem item) {
  const std::filesystem::path folder(program_folder);
  std::filesystem::path path;
  switch (item) {
    case InstalledItem::kExamplesFolder:
      path = folder / TARVOLEN_DATA_FROM_BIN / "examples";
      break;
    case InstalledItem::kManualChm:
      path = folder / TARVOLEN_DOC_FROM_BIN / "Tarvolen.chm";
      break;
    case InstalledItem::kManualHtml:
      path = folder / TARVOLEN_DOC_FROM_BIN / "manual" / "index.html";
      break;
  }
  return path.lexically_normal().string();
}

std::optional<std::string> FindInstalled(InstalledItem item) {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return std::nullopt;
  std::string path = InstalledPath(folder, item);
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return std::nullopt;
  const bool wanted =
      item == InstalledItem::kExamplesFolder ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
  if (!wanted) return std::nullopt;
  return path;
}

}  // namespace tarvolen
