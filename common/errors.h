#pragma once

#include <stdexcept>
#include <string>

namespace tarvolen {

// Every error the core raises carries the message the user sees; the window's top-level
// handler shows it, the command-line program prints it. The core itself never prints.
//
// A message may be followed by its cause: one plain sentence, composed where the cause is known
// (the row and column of a bad cell, the model and the value outside its domain). `what()` is
// the message, then ". " (or just a blank after a message that ends in a full stop) and the
// cause, so the message itself stays first and unchanged.
class Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;

  const char* what() const noexcept override;
  // The message without its cause.
  const char* Message() const noexcept { return std::runtime_error::what(); }
  const std::string& Cause() const noexcept { return cause_; }
  // Sets the cause sentence (ending in a full stop); an empty text removes it.
  void SetCause(std::string cause);

 private:
  std::string cause_;
  std::string text_;  // message and cause, when there is a cause
};

// A cell text that is not a number: "'%s' is not a valid floating point value".
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Floating-point faults that end a fit.
class EMathError : public Exception {
 public:
  using Exception::Exception;
};
class EInvalidOp : public EMathError {
 public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
};
class EZeroDivide : public EMathError {
 public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};
class EOverflow : public EMathError {
 public:
  EOverflow() : EMathError("Floating point overflow") {}
};

// A fit that cannot produce a meaningful result for a reason of its own (a singular system,
// an iteration that does not settle).
class EFitError : public Exception {
 public:
  using Exception::Exception;
};

// File errors: "Cannot open file "%s". %s", "Cannot create file "%s". %s", "Stream write error".
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
};
class EWriteError : public Exception {
 public:
  EWriteError() : Exception("Stream write error") {}
};

// `text` with every control character shown as \xHH (lower-case hex): the C0 controls, DEL, and
// the C1 controls both as single bytes and in their UTF-8 form (each of its two bytes escaped).
// Everything else, backslashes and other non-ASCII bytes included, stays as it is. A text of
// many megabytes without control characters is returned without a copy.
std::string EscapeControlCharacters(std::string text);

// The text an error box shows for `message`: a full stop is appended when the last character
// sorts after the full stop, so "...value'" and "...overflow." stay as they are while a message
// ending in a letter or digit gets one; then control characters are escaped, so that a cell or a
// file name that holds terminal codes is shown rather than obeyed.
std::string ErrorBoxText(std::string message);

}  // namespace tarvolen
