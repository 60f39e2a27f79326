#pragma once

#include <cstdint>
#include <vector>

#include "check/game_source.h"
#include "script/next_record.h"

namespace tw {

// Where leaving a record can lead, as next_records says, in the checker's
// eyes: in the debug form NEXT_FILE leads nowhere, and a type line that is
// no keyword and no number leads on to the next record, as the NORMAL it
// usually misspells (the record checks report it).
RecordLeads successors_of(const SceneSource& scene, long record);

// Which records of each scene play can reach from `start` (record 0 of the
// first scene, or the debug file's start record), following every branch
// of every type line, and every place a saved game can resume at.
using Reached = std::vector<std::vector<bool>>;
Reached reachable_records(const GameSource& game, long start);

}  // namespace tw
