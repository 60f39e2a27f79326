#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "check/game_source.h"
#include "script/next_record.h"

namespace tw {

// Where leaving a record can lead, as next_records says, in the checker's
// eyes: in the debug form NEXT_FILE leads nowhere, and a type line that is
// no keyword and no number leads on to the next record, as the NORMAL it
// usually misspells (the record checks report it).
RecordLeads successors_of(const SceneSource& scene, long record);

// The record play goes on at when a record leads to `target`: record -1 is
// left like a NORMAL record, so play goes on at record 0.
inline long entered_record(long target) { return target == -1 ? 0 : target; }

// A place where loading a saved game resumes play: in `scene` at `record`,
// after a game saved by the SAVE record `saved_by`, or, when `saved_by` is
// empty, with no saved game (at the title, or the debug file's start).
struct Resume {
  std::size_t scene = 0;
  long record = 0;
  std::optional<long> saved_by;
};
std::vector<Resume> resume_points(const GameSource& game, long start);

// Which records of each scene play can reach from `start` (record 0 of the
// first scene, or the debug file's start record), following every branch
// of every type line, and every place a saved game can resume at.
using Reached = std::vector<std::vector<bool>>;
Reached reachable_records(const GameSource& game, long start);

}  // namespace tw
