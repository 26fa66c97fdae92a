#pragma once

// How tarvolen-fit starts fast. The program links only the Qt-free core (statically where the
// tool chain allows, see cli/CMakeLists.txt), so that it starts in a few milliseconds; the two
// restarts below are the rest of its speed machinery.

#include <string>

namespace tarvolen {

// Called first thing with the command line. A run that draws a picture (`draws_pictures`) is
// handed whole to tarvolen-fit-pictures, the same program built with Qt's painter, installed
// beside this one; a run on a data file of 1 MB or more restarts once with the C library's
// allocator on huge pages. Returns when neither applies, or when a restart cannot be done and
// the run may go on as it is; exits with 1 when the picture program cannot be started.
void StartFast(int argc, char** argv, const std::string& data_file, bool draws_pictures);

}  // namespace tarvolen
