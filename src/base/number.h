#pragma once

#include <cstdint>

#include "base/text.h"

namespace tw {

// The text-to-number rule of the data files. A text is a decimal number with
// optional surrounding blanks and an optional leading sign; a fraction goes
// to the nearest integer, halves to the even neighbour. An empty text, a
// text that is no number, or a value outside -32768..32767 throws Failure.
std::int16_t to_int16(TextView text);

// The same syntax read as a double-precision number, without rounding.
double to_real(TextView text);

// Rounds to the nearest integer, halves to the even neighbour, and checks the
// 16-bit range; throws Failure outside -32768..32767 (and for NaN).
std::int16_t round_to_int16(double value);

// Checks that an integer result fits 16 bits; throws Failure otherwise.
std::int16_t checked_int16(long long value);

// The decimal text of a number: a minus sign when negative, no blanks.
Text decimal_text(long long value);

}  // namespace tw
