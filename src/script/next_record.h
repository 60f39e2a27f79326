#pragma once

#include <array>
#include <cstdint>
#include <optional>
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

// The choices a COMMAND line offers, in their order: the slot (0 to 3, the
// message line that shows it) and the record it leads to. A target of 0
// offers no choice. Failure when the targets do not read.
struct Choice {
  int slot = 0;
  long target = 0;
};
std::vector<Choice> offered_choices(TextView command_line);

// Where an IF line leads without the flags known: `holds` when its test
// holds and `fails` when not, each empty when it does not read. A test
// whose letter names no flag or whose operator is none of "=", ">" and "<"
// tests nothing and leads to record 0 (`holds`). Failure when a ">" is
// missing.
struct IfTargets {
  bool tests_flag = true;
  std::optional<long> holds;
  std::optional<long> fails;
};
IfTargets if_targets(TextView if_line);

}  // namespace tw
