#include "check/check.h"

#include "check/flow.h"
#include "check/game_checker.h"
#include "check/game_source.h"
#include "check/report.h"

namespace tw {

namespace {

std::string counted(std::size_t count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

int run_check(const std::filesystem::path& game_folder, bool debug_form, const AssetLibraries& assets,
              std::ostream& out) {
  const GameFolder game(game_folder);
  Report report;
  const GameSource source = read_game_source(game, debug_form, report);
  GameChecker checker(game, assets.pictures, assets.fonts, assets.sounds, source, report);
  checker.check_settings();
  const long start = checker.check_debug_file();
  const Reached reached = reachable_records(source, start);
  std::size_t records = 0;
  for (std::size_t s = 0; s < source.scenes.size(); ++s) {
    checker.check_scene(s, reached[s]);
    records += source.scenes[s].records.size();
  }
  report.print(out);
  out << game_folder.string() << " (" << (debug_form ? "debug form" : "packed form") << ", "
      << counted(source.scenes.size(), "scene") << ", " << counted(records, "record") << "): ";
  if (report.findings().empty()) {
    out << "no problems found\n";
  } else {
    out << counted(report.errors(), "error") << ", " << counted(report.warnings(), "warning") << "\n";
  }
  return report.errors() == 0 ? 0 : 1;
}

}  // namespace tw
