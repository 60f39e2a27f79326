#pragma once

#include <cstdint>

#include "base/text.h"

namespace tw {

// Whether an image entry names a picture drawn through a mask of the same
// name: it begins with "SP_", upper-case S and P only.
bool is_masked_entry(TextView entry);

// The file name of a main image entry: everything before the first "<", or
// the empty text for an empty entry. Failure when a non-empty entry has no
// "<" (a picture is named only together with its position).
Text image_file_of(TextView entry);

// The position of a main image entry, in pixels: x after the first "<" up to
// the next ",", y from there to the next ">"; (0, 0) for an empty entry.
// Failure when a delimiter is missing or x or y is no 16-bit number.
struct ImagePosition {
  std::int16_t x = 0;
  std::int16_t y = 0;
};
ImagePosition image_position_of(TextView entry);

// The display time of an IMAGE line in 100 ms ticks: the number between the
// first "<" and the next ">". Failure when either is missing or the text is
// no 16-bit number.
std::int16_t image_time_of(TextView type_line);

}  // namespace tw
