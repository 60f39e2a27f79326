#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "check/flow.h"
#include "check/game_source.h"
#include "check/report.h"
#include "platform/pictures_and_fonts.h"

namespace tw {

// A game as the checker read it in one form (the per-record files of the
// debug form, or the packed scene files), with the record play starts at,
// the records play reaches and everything the checks found.
struct CheckedGame {
  std::filesystem::path folder;
  GameSource source;
  long start = 0;
  Reached reached;
  Report report;
};

CheckedGame check_game_folder(const std::filesystem::path& game_folder, bool debug_form,
                              const AssetLibraries& assets);

// The summary line of a check: the folder, its form and size, and the
// counts of what was found.
std::string check_summary(const CheckedGame& game);

// Checks a game in the form the engine would play it and prints every
// finding and the summary to `out`. Returns 0 when nothing would end play
// with a failure, 1 otherwise. Message lines are measured in the fonts that
// play draws them with.
int run_check(const std::filesystem::path& game_folder, bool debug_form, const AssetLibraries& assets,
              std::ostream& out);

}  // namespace tw
