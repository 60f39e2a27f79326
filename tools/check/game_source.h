#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "check/report.h"
#include "data/scene_file.h"
#include "platform/game_folder.h"

namespace tw {

// One scene as the engine would load it, with the place of every line.
struct SceneSource {
  int number = 1;
  std::string file;  // the packed scene file; empty in the debug form
  std::vector<std::array<Text, kRecordFields>> records;
  bool debug_form = false;

  long last_record() const { return static_cast<long>(records.size()) - 1; }
  const Text& field(long record, RecordField field) const {
    return records[static_cast<std::size_t>(record)][static_cast<std::size_t>(field)];
  }
  Place place(long record, RecordField field) const;
};

// A game read in one form: its settings lines, its scenes (scene 1 upwards
// in the packed form, the one scene of the per-record files in the debug
// form) and, in the debug form, the debug file's lines.
struct GameSource {
  bool debug_form = false;
  std::string settings_file;
  std::vector<Text> settings;
  std::vector<SceneSource> scenes;
  std::optional<std::vector<Text>> debug_file;

  const Text& setting(int line) const;
};

// Reads the game as the engine's readers would, reporting what would make
// them fail (missing files, files too long, scene files that end early) and
// text that is not valid CP932. What could be read is kept for the checks
// that follow.
GameSource read_game_source(const GameFolder& game, bool debug_form, Report& report);

// The path of a game file as the report names it: "scene/scene1.gst".
std::string report_name(TextView engine_path);

}  // namespace tw
