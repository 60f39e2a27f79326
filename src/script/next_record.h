#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/text.h"

namespace tw {

// Where leaving a record can lead, by its type line: the next record after
// NORMAL, FLAG, SAVE and IMAGE; record n + 1 after a jump line n; an IF's
// targets; each target of a COMMAND's choices; out of the scene for
// NEXT_FILE (the next scene's record 0) and LOAD (where the saved game
// resumes); nowhere after END. With the flags known an IF leads only where
// they send it: its first target when its test holds, its second when not,
// and record 0 when its letter names no flag or its operator is none of
// "=", ">" and "<" (without them, record 0 in those cases, else both
// targets). A field that does not read leads nowhere.
struct RecordLeads {
  std::vector<long> records;
  bool next_scene = false;
  bool loads_game = false;
};
using FlagValues = std::array<std::int16_t, 26>;
RecordLeads next_records(TextView type_line, long record, const FlagValues* flags = nullptr);

}  // namespace tw
