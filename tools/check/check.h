#pragma once

#include <filesystem>
#include <ostream>

#include "platform/pictures_and_fonts.h"

namespace tw {

// Checks a game in the form the engine would play it (the per-record files
// of the debug form, or the packed scene files) and prints every finding
// and a summary to `out`. Returns 0 when nothing would end play with a
// failure, 1 otherwise. Message lines are measured in the fonts that play
// draws them with.
int run_check(const std::filesystem::path& game_folder, bool debug_form, const AssetLibraries& assets,
              std::ostream& out);

}  // namespace tw
