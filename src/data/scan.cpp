#include "data/scan.h"

#include <algorithm>

#include "base/number.h"

namespace tw {

namespace {

constexpr long kLastPosition = 32767;

}  // namespace

// Past the end of the line every position reads as the empty text, so once
// the scan gets there the counter is bound to overflow: it fails at once
// instead of stepping through the empty positions one by one.
std::int16_t scan_to(TextView line, std::int16_t pos, char32_t delimiter, Text* passed) {
  const long end = std::min(static_cast<long>(line.size()), kLastPosition);
  for (long p = std::max<long>(pos, 1); p <= end; ++p) {
    const char32_t c = line[static_cast<std::size_t>(p - 1)];
    if (c == delimiter) return static_cast<std::int16_t>(p);
    if (passed) passed->push_back(c);
  }
  return next_position(kLastPosition);  // throws: the counter overflows
}

std::int16_t next_position(long pos) { return checked_int16(pos + 1LL); }

}  // namespace tw
