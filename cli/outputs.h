#pragma once

// What tarvolen-fit checks around its outputs: files that would overwrite its own input or one
// another, standard output that fails, and a chart that cannot show the data's range.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plot/chart.h"

namespace tarvolen {

// The data file name that stands for standard input.
inline constexpr const char* kStandardInputName = "-";

struct NamedOutput {
  std::string option;  // "--curve", "--plot"
  std::string path;
};

// The message that refuses the outputs when one of them is the data file or two of them are the
// same file: the same regular file (device and inode, also through symbolic links and other
// names), or the same name not created yet. Outputs that are written where they stand (devices,
// pipes, the program's own descriptors such as /dev/stdout) are never refused. A data file "-"
// is standard input, which clashes with an output that is the regular file it was redirected
// from. nullopt when every output is a file of its own.
std::optional<std::string> OutputClash(const std::string& data_file,
                                       const std::vector<NamedOutput>& outputs);

// Writes `bytes` to standard output and hands them to the system at once, so that whatever is
// written to /dev/stdout afterwards follows them. False when any write to standard output has
// failed so far; CloseStandardOutput tells it again.
bool WriteStandardOutput(std::string_view bytes);

// Flushes and closes standard output; false when that or any earlier write failed (a full disk,
// /dev/full, a closed descriptor).
bool CloseStandardOutput();

// The message for a chart whose last frame could not place the data: an axis whose range is
// beyond the largest double (data near +-1.797e308), which draws an empty or flat picture.
// nullopt when both axes could be drawn.
std::optional<std::string> UndrawableRange(const TChart& chart);

}  // namespace tarvolen
