// The image entries of scene records: the file name and the position of the
// main image entry.
#include "present/image_entry.h"

#include "base/number.h"
#include "data/scan.h"

namespace tw {

namespace {

constexpr char32_t kMaskedPrefix[] = U"SP_";

}  // namespace

bool is_masked_entry(TextView entry) { return entry.starts_with(kMaskedPrefix); }

Text image_file_of(TextView entry) {
  Text name;
  if (!entry.empty()) scan_to(entry, 1, U'<', &name);
  return name;
}

ImagePosition image_position_of(TextView entry) {
  if (entry.empty()) return {};
  Text x_text;
  Text y_text;
  std::int16_t pos = scan_to(entry, 1, U'<', nullptr);
  pos = scan_to(entry, next_position(pos), U',', &x_text);
  scan_to(entry, next_position(pos), U'>', &y_text);
  return {to_int16(x_text), to_int16(y_text)};
}

std::int16_t image_time_of(TextView line) {
  Text time;
  scan_to(line, next_position(scan_to(line, 1, U'<', nullptr)), U'>', &time);
  return to_int16(time);
}

}  // namespace tw
