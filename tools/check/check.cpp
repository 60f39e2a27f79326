#include "check/check.h"

#include "check/game_checker.h"

namespace tw {

namespace {

std::string counted(std::size_t count, const std::string& word) {
  return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

CheckedGame check_game_folder(const std::filesystem::path& game_folder, bool debug_form,
                              const AssetLibraries& assets) {
  const GameFolder game(game_folder);
  CheckedGame checked;
  checked.folder = game_folder;
  checked.source = read_game_source(game, debug_form, checked.report);
  GameChecker checker(game, assets.pictures, assets.fonts, assets.sounds, checked.source, checked.report);
  checker.check_settings();
  checked.start = checker.check_debug_file();
  checked.reached = reachable_records(checked.source, checked.start);
  for (std::size_t s = 0; s < checked.source.scenes.size(); ++s) checker.check_scene(s, checked.reached[s]);
  return checked;
}

std::string check_summary(const CheckedGame& game) {
  std::size_t records = 0;
  for (const SceneSource& scene : game.source.scenes) records += scene.records.size();
  const Report& report = game.report;
  return game.folder.string() + " (" + (game.source.debug_form ? "debug form" : "packed form") + ", " +
         counted(game.source.scenes.size(), "scene") + ", " + counted(records, "record") + "): " +
         (report.findings().empty()
              ? "no problems found"
              : counted(report.errors(), "error") + ", " + counted(report.warnings(), "warning"));
}

int run_check(const std::filesystem::path& game_folder, bool debug_form, const AssetLibraries& assets,
              std::ostream& out) {
  const CheckedGame game = check_game_folder(game_folder, debug_form, assets);
  game.report.print(out);
  out << check_summary(game) << "\n";
  return game.report.errors() == 0 ? 0 : 1;
}

}  // namespace tw
