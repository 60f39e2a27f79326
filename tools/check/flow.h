#pragma once

#include <cstdint>
#include <vector>

#include "check/game_source.h"

namespace tw {

// Where leaving a record can lead, by its type line alone: the records of
// the same scene (possibly outside it), the next scene's record 0, or the
// records a loaded game resumes at. Fields that do not read lead nowhere (the
// record checks report them), but a type line that is no keyword and no
// number leads on to the next record, as the NORMAL it usually misspells.
struct Successors {
  std::vector<long> records;
  bool next_scene = false;
  bool loads_game = false;
};
Successors successors_of(const SceneSource& scene, long record);

// Which records of each scene play can reach from `start` (record 0 of the
// first scene, or the debug file's start record), following every branch
// of every type line, and every place a saved game can resume at.
using Reached = std::vector<std::vector<bool>>;
Reached reachable_records(const GameSource& game, long start);

}  // namespace tw
