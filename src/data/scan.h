#pragma once

#include <cstdint>

#include "base/text.h"

namespace tw {

// Walks `line` from the 1-based position `pos` until the character there is
// `delimiter` and returns that position, appending the characters passed to
// `passed` when given. The position is a 16-bit counter and the character
// past the end of the text is the empty text, so a delimiter that is missing,
// or lies beyond position 32767, ends in an overflow: Failure.
std::int16_t scan_to(TextView line, std::int16_t pos, char32_t delimiter, Text* passed);

// The position after `pos`; Failure past 32767.
std::int16_t next_position(long pos);

}  // namespace tw
