#include "data/scan.h"

#include "data/number.h"

namespace tw {

std::int16_t scan_to(TextView line, std::int16_t pos, char32_t delimiter, Text* passed) {
  const Text wanted(1, delimiter);
  for (Text c = char_at(line, pos); c != wanted; c = char_at(line, pos)) {
    if (passed) *passed += c;
    pos = next_position(pos);
  }
  return pos;
}

std::int16_t next_position(long pos) { return checked_int16(pos + 1LL); }

}  // namespace tw
