#pragma once

#include <stdexcept>
#include <string>

namespace tw {

// A step of the engine that cannot go on: a missing file, a text that is no
// number, a 16-bit overflow, a picture that cannot be read. It travels up to
// the procedure that owns a message, which turns it into the error box and
// the end of the program. The text is our own description of the cause; the
// player only sees it in the generic report of procedures without a message.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace tw
