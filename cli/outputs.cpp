#include "cli/outputs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <tuple>

#include "common/errors.h"
#include "common/file_io.h"

namespace tarvolen {
namespace {

// What makes two names the same file for a write: device and inode of an existing regular file,
// or the full name of a file still to be created. nullopt for a name written where it stands,
// or one that cannot be looked up (its write reports that).
struct FileKey {
  dev_t device = 0;
  ino_t inode = 0;
  std::string new_name;
  bool operator==(const FileKey&) const = default;
};

std::optional<FileKey> KeyOf(const std::string& path) {
  SaveTarget target;
  try {
    target = FindSaveTarget(path);
  } catch (const Exception&) {
    return std::nullopt;
  }
  switch (target.kind) {
    case SaveTarget::Kind::kRegularFile:
      return FileKey{target.info.st_dev, target.info.st_ino, {}};
    case SaveTarget::Kind::kNewFile: {
      std::error_code ec;
      const std::filesystem::path full =
          std::filesystem::weakly_canonical(std::filesystem::absolute(target.path, ec), ec);
      return FileKey{0, 0, ec ? FullPath(target.path) : full.string()};
    }
    case SaveTarget::Kind::kDescriptor:
    case SaveTarget::Kind::kInPlace:
      break;
  }
  return std::nullopt;
}

// Standard input as the data file: the regular file it was redirected from, if any.
std::optional<FileKey> KeyOfStandardInput() {
  struct stat info {};
  if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileKey{info.st_dev, info.st_ino, {}};
}

std::string Quoted(const std::string& path) {
  std::string quoted(1, '"');
  quoted.append(EscapeControlCharacters(path)).append(1, '"');
  return quoted;
}

bool standard_output_failed = false;

}  // namespace

std::optional<std::string> OutputClash(const std::string& data_file,
                                       const std::vector<NamedOutput>& outputs) {
  const bool standard_input = data_file == kStandardInputName;
  const std::optional<FileKey> input = standard_input ? KeyOfStandardInput() : KeyOf(data_file);
  std::vector<std::optional<FileKey>> keys;
  for (const NamedOutput& output : outputs) {
    keys.push_back(KeyOf(output.path));
    if (keys.back() && keys.back() == input) {
      return output.option + " " + Quoted(output.path) + " is the data file " +
             (standard_input ? "(standard input)" : Quoted(data_file)) +
             ": writing it would destroy the data";
    }
    for (std::size_t other = 0; other + 1 < keys.size(); ++other) {
      if (keys.back() && keys.back() == keys[other]) {
        return outputs[other].option + " " + Quoted(outputs[other].path) + " and " +
               output.option + " " + Quoted(output.path) +
               " are the same file: one would overwrite the other";
      }
    }
  }
  return std::nullopt;
}

bool WriteStandardOutput(std::string_view bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
    standard_output_failed = true;
  }
  if (std::fflush(stdout) != 0) standard_output_failed = true;
  return !standard_output_failed;
}

bool CloseStandardOutput() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) standard_output_failed = true;
  if (std::fclose(stdout) != 0) standard_output_failed = true;
  return !standard_output_failed;
}

std::optional<std::string> UndrawableRange(const TChart& chart) {
  const std::tuple<const TChartAxis&, const char*> axes[] = {{chart.BottomAxis(), "X"},
                                                             {chart.LeftAxis(), "Y"}};
  for (const auto& [axis, name] : axes) {
    if (!std::isfinite(axis.IRange()) || !std::isfinite(axis.IMinimum()) ||
        !std::isfinite(axis.IMaximum())) {
      return std::string("The chart cannot draw the data: the range of ") + name +
             " is beyond the largest number the chart can hold";
    }
  }
  return std::nullopt;
}

}  // namespace tarvolen
