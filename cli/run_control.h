#pragma once

// How tarvolen-fit ends when something outside the fit ends it: a closed standard descriptor,
// Ctrl+C, a time limit, a file-size limit, an allocation that fails where no handler can catch
// it. Each way ends with a message and leaves no partial file behind.

#include <string>

namespace tarvolen {

// Gives a closed standard input, output or error a descriptor that cannot be used (standard
// output one that cannot be written), so that no file the program opens takes its number and
// output to it fails as it should. Call first.
void HoldStandardDescriptors();

// From now on SIGINT (Ctrl+C), SIGTERM and SIGHUP remove the named temporary of a save in
// progress, say "tarvolen-fit: interrupted" (or "terminated") on standard error and end the
// program by the signal, so its caller sees that it was interrupted (the shell's status 130 for
// Ctrl+C); a signal the program was started to ignore stays ignored. A file-size limit makes a
// write fail with "Stream write error" instead of ending the program. An allocation that fails
// where nothing can catch it (a worker thread) ends the program with "Out of memory." and
// status 1.
void EndCleanlyOnSignals();

// Ends the program after `seconds` of wall time from now, with `message` on standard error and
// status 1, removing the named temporary of a save in progress first.
void LimitRunTime(double seconds, const std::string& message);

}  // namespace tarvolen
