#pragma once

#include <map>
#include <optional>
#include <string>

#include "check/flow.h"
#include "check/game_source.h"
#include "check/line_width.h"
#include "check/report.h"
#include "platform/headless/headless_platform.h"
#include "platform/pictures_and_fonts.h"
#include "sound/mci_interpreter.h"

namespace tw {

// The checks of one game, each made with the engine's own reading of the
// line or file concerned. Faults that play would meet are errors where play
// reaches them and warnings in records that no path reaches.
class GameChecker {
 public:
  GameChecker(const GameFolder& game, Pictures& pictures, Fonts& fonts, SoundFiles& sounds,
              const GameSource& source, Report& report);

  void check_settings();
  // The debug file's start record, or 0 when it sets none.
  long check_debug_file();
  void check_scene(std::size_t scene, const std::vector<bool>& reached);

 private:
  struct PictureFacts {
    std::optional<std::string> problem;
    int width = 0;
    int height = 0;
  };
  struct SoundFacts {
    unsigned code = 0;
    std::optional<std::string> too_long;
  };

  void check_type_line(const SceneSource& scene, long record, Severity severity);
  void check_command(const SceneSource& scene, long record, Severity severity);
  void check_flag(const SceneSource& scene, long record, Severity severity);
  void check_if(const SceneSource& scene, long record, Severity severity);
  void check_target(const SceneSource& scene, long record, long target, const std::string& what,
                    Severity severity);
  void check_next(const SceneSource& scene, long record, Severity severity);
  void check_main_image(const SceneSource& scene, long record, Severity severity);
  void check_sub_image(const SceneSource& scene, long record, Severity severity);
  void check_sounds(const SceneSource& scene, long record, Severity severity);
  void check_resumed_load(const SceneSource& scene, long record, const std::vector<bool>& reached);
  void check_first_record_text(const SceneSource& scene);
  void check_line_widths(const SceneSource& scene, long record);
  void check_frame_size(const PictureFacts& facts, const Place& place);

  // Whether the file exists; a name found only by its letter case is a
  // warning, a missing one a finding of `severity`.
  std::optional<std::filesystem::path> find(TextView engine_path, const Place& place, Severity severity,
                                            const std::string& what);
  const PictureFacts* check_picture(TextView engine_path, const Place& place, Severity severity,
                                    const std::string& what);
  void check_sound(TextView folder, const Text& name, bool music, const Place& place, Severity severity);

  const GameFolder& game_;
  Pictures& pictures_;
  const GameSource& source_;
  Report& report_;
  VirtualClock clock_;
  SilentOutput silence_;
  MciInterpreter media_;
  LineWidth line_width_;
  std::map<std::filesystem::path, PictureFacts> pictures_seen_;
  std::map<std::string, SoundFacts> sounds_seen_;
  bool any_save_ = false;
  // The start record a load takes from the debug file instead of the saved
  // one; none when the debug file sets none.
  std::optional<long> debug_start_;
  bool sub_window_warned_ = false;
};

}  // namespace tw
