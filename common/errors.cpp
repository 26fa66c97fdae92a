#include "common/errors.h"

namespace tarvolen {

// By value: a message naming a cell of many megabytes is extended in place, not copied again.
std::string ErrorBoxText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

}  // namespace tarvolen
