// The checks of the game's files: pictures, sounds, the settings lines and
// the debug file.
#include "check/game_checker.h"

#include "base/number.h"
#include "check/wording.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "script/type_line.h"
#include "sound/media_commands.h"

namespace tw {

namespace {

constexpr std::size_t kDebugFileLines = 7;

// The reason a decoder gave, without the path that the report already names.
std::string reason_of(const Failure& failure) {
  const std::string what = failure.what();
  const std::size_t open = what.rfind(" (");
  if (open == std::string::npos || what.back() != ')') return {};
  return ": " + what.substr(open + 2, what.size() - open - 3);
}

// A file as findings name it: `what` and the path inside the game folder.
std::string named(const std::string& what, TextView engine_path) {
  return what + " \"" + report_name(engine_path) + "\"";
}

}  // namespace

GameChecker::GameChecker(const GameFolder& game, Pictures& pictures, Fonts& fonts, SoundFiles& sounds,
                         const GameSource& source, Report& report)
    : game_(game),
      pictures_(pictures),
      source_(source),
      report_(report),
      media_(game, clock_, sounds, silence_),
      line_width_(fonts) {
  for (const SceneSource& scene : source.scenes) {
    for (long r = 0; r <= scene.last_record(); ++r) {
      any_save_ |= kind_of(scene.field(r, RecordField::Type)) == RecordKind::Save;
    }
  }
}

std::optional<std::filesystem::path> GameChecker::find(TextView engine_path, const Place& place,
                                                       Severity severity, const std::string& what) {
  const auto file = game_.resolve(engine_path);
  if (!file) {
    report_.add(severity, place, named(what, engine_path) + " does not exist");
    return std::nullopt;
  }
  if (!game_.exists_exactly(engine_path)) {
    const std::string found = std::filesystem::relative(*file, game_.root()).generic_string();
    report_.warning(place, named(what, engine_path) + " is found only as " + in_quotes(from_utf8(found)) +
                               ": the letter case differs");
  }
  return file;
}

const GameChecker::PictureFacts* GameChecker::check_picture(TextView engine_path, const Place& place,
                                                            Severity severity, const std::string& what) {
  const auto file = find(engine_path, place, severity, what);
  if (!file) return nullptr;
  auto [seen, fresh] = pictures_seen_.try_emplace(*file);
  if (fresh) {
    try {
      const Image picture = pictures_.load(*file);
      seen->second.width = picture.width;
      seen->second.height = picture.height;
    } catch (const Failure& failure) {
      seen->second.problem = reason_of(failure);
    }
  }
  if (seen->second.problem) {
    report_.add(severity, place, named(what, engine_path) + " cannot be read" + *seen->second.problem);
    return nullptr;
  }
  return &seen->second;
}

// Sounds that do not play leave play going on in silence, so they are
// warnings; a song too long for the engine's 16-bit length ends play.
void GameChecker::check_sound(TextView folder, const Text& name, bool music, const Place& place,
                              Severity severity) {
  if (name.empty()) return;
  const Text engine_path = Text(folder) + name;
  const std::string what = music ? "music" : "sound";
  if (!find(engine_path, place, Severity::Warning, what)) return;  // silence, not a failure
  auto [seen, fresh] = sounds_seen_.try_emplace(to_utf8(engine_path));
  if (fresh) {
    const Text path = from_utf8(game_.spelled(engine_path));
    const TextView alias = music ? U"midi" : U"wav";
    seen->second.code = media_.send(music ? open_music_command(path) : open_sound_command(path, alias)).code;
    if (seen->second.code == 0 && music) {
      const MediaReply length = media_.send(U"status midi length");
      if (!reads([&] { to_int16(length.reply); })) {
        seen->second.too_long =
            named("music", engine_path) + " lasts " + to_utf8(length.reply) +
            " sixteenth notes, more than the 32767 the engine can count: starting it ends play";
      }
    }
    media_.send(music ? U"close midi" : U"close wav");
  }
  if (seen->second.code != 0) {
    report_.warning(
        place, named(what, engine_path) + (music ? " is not a MIDI file that plays: the scene stays silent"
                                                 : " is not a WAV file that plays: nothing is heard"));
  }
  if (seen->second.too_long) report_.add(severity, place, *seen->second.too_long);
}

// The frame picture is drawn into the message frame and cut at its edges:
// a picture made for the frame with the sub window loses its right border
// when the sub window is off.
void GameChecker::check_frame_size(const PictureFacts& facts, const Place& place) {
  const bool sub_window = sub_window_on_setting(source_.setting(setting::kSubWindow));
  const FrameSize frame = message_frame_size(sub_window);
  if (facts.width <= frame.width && facts.height <= frame.height) return;
  report_.warning(place, "the frame picture is " + std::to_string(facts.width) + " x " +
                             std::to_string(facts.height) + " pixels, the message frame " +
                             std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                             (sub_window ? "" : " with the sub window off") +
                             ": its right or lower part is cut");
}

void GameChecker::check_settings() {
  const auto place = [this](int line) { return Place{source_.settings_file, line + 1L, {}}; };
  const auto setting_word = [](int line) { return "settings line " + std::to_string(line); };
  for (int line :
       {setting::kBackgroundTile, setting::kFramePicture, setting::kFrameCursor, setting::kPictureCursor}) {
    if (const Text& name = source_.setting(line); !name.empty()) {
      const PictureFacts* facts =
          check_picture(kFrameImageFolder + name, place(line), Severity::Error, "picture");
      if (line == setting::kFramePicture && facts && !facts->problem) check_frame_size(*facts, place(line));
    }
  }
  const std::pair<int, const char*> colours[] = {{setting::kTextColour, "the message text"},
                                                 {setting::kFrameColour, "the message frame"},
                                                 {setting::kWindowColour, "the message window"}};
  for (const auto& [line, what] : colours) {
    const Text& value = source_.setting(line);
    if (value != kBlackSetting && value.find(kBlackSetting) != Text::npos) {
      report_.warning(place(line), setting_word(line) + " " + in_quotes(value) + " is not exactly \"黒\": " +
                                       what + " gets the highlight colour, not black");
    }
  }
  const Text& sub_window = source_.setting(setting::kSubWindow);
  Text squeezed;
  for (char32_t c : as_meant(sub_window)) {
    if (!is_blank(c)) squeezed += c;
  }
  if (!sub_window_on_setting(sub_window) && squeezed == U"SUB_WINDOW=ON") {
    report_.warning(place(setting::kSubWindow),
                    setting_word(setting::kSubWindow) + " " + in_quotes(sub_window) +
                        " is not exactly \"Sub_Window=ON\": the sub window stays off");
  }
  check_sound(kWaveFolder, source_.setting(setting::kClickSound), false, place(setting::kClickSound),
              Severity::Warning);
}

long GameChecker::check_debug_file() {
  if (!source_.debug_file) return 0;
  const std::vector<Text>& lines = *source_.debug_file;
  const std::string file = report_name(kDebugFile);
  if (lines.size() > kDebugFileLines) {
    report_.warning({file, kDebugFileLines + 1L, {}},
                    "the debug file has more than 7 lines and is ignored as a whole");
    return 0;
  }
  const auto line = [&](std::size_t i) { return i < lines.size() ? lines[i] : Text(); };
  long start = 0;
  if (!reads([&] { start = to_int16(line(0)); })) {
    report_.warning({file, 1, {}},
                    "the start record " + in_quotes(line(0)) + " is no number: play starts at the title");
    return 0;
  }
  debug_start_ = start;
  // A file may stop after any line; only a line that is there and is no
  // number is a mistake.
  for (std::size_t flag = 0; flag < 5 && 1 + flag < lines.size(); ++flag) {
    if (!reads([&] { to_int16(line(1 + flag)); })) {
      report_.warning({file, static_cast<long>(flag) + 2, {}},
                      std::string("flag ") + char('A' + flag) + " " + in_quotes(line(1 + flag)) +
                          " is no number: the debug file stops here and leaves the flags after it at 0");
      break;
    }
  }
  const long last = source_.scenes.empty() ? -1 : source_.scenes.front().last_record();
  if (start < 0 || start > last) {
    report_.error({file, 1, {}}, "the start record " + std::to_string(start) +
                                     " lies outside the scene (records 0 to " + std::to_string(last) + ")");
    return 0;
  }
  if (kind_of(source_.scenes.front().field(start, RecordField::Type)) == RecordKind::Load) {
    report_.error({file, 1, {}}, "the start record " + std::to_string(start) +
                                     " is a LOAD record: a load resumes by stepping from it, which loads "
                                     "again without end: start at another record");
  }
  return start;
}

}  // namespace tw
