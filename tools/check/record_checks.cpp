// The checks of scene records: type lines, image entries, sounds and the
// width of message lines.
#include <algorithm>
#include <optional>

#include "base/number.h"
#include "check/game_checker.h"
#include "check/wording.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "present/image_entry.h"
#include "script/type_line.h"

namespace tw {

namespace {

constexpr int kMainPictureWidth = 640;
constexpr int kMainPictureHeight = 480;

std::string record_word(long record) { return "record " + std::to_string(record); }

}  // namespace

void GameChecker::check_scene(std::size_t index, const std::vector<bool>& reached) {
  const SceneSource& scene = source_.scenes[index];
  for (long r = 0; r <= scene.last_record(); ++r) {
    const bool is_reached = reached[static_cast<std::size_t>(r)];
    if (!is_reached && (r == 0 || reached[static_cast<std::size_t>(r - 1)])) {
      long last = r;
      while (last < scene.last_record() && !reached[static_cast<std::size_t>(last + 1)]) ++last;
      report_.warning(
          scene.place(r, RecordField::Type),
          last == r ? "no path of play reaches this record"
                    : "no path of play reaches records " + std::to_string(r) + " to " + std::to_string(last));
    }
    const Severity severity = is_reached ? Severity::Error : Severity::Warning;
    check_type_line(scene, r, severity);
    check_main_image(scene, r, severity);
    check_sub_image(scene, r, severity);
    check_sounds(scene, r, severity);
    check_resumed_load(scene, r, reached);
    check_line_widths(scene, r);
  }
  check_first_record_text(scene);
}

// A line wider than its label is cut at the label's right edge, often
// through a glyph. The text of an IMAGE record is revealed behind the hidden
// message window, and record 0 of a later scene file never shows (see
// check_first_record_text).
void GameChecker::check_line_widths(const SceneSource& scene, long record) {
  if (kind_of(scene.field(record, RecordField::Type)) == RecordKind::Image ||
      (record == 0 && !scene.debug_form && scene.number >= 2)) {
    return;
  }
  for (int line = 0; line < kMessageLines; ++line) {
    const auto field = static_cast<RecordField>(static_cast<int>(RecordField::Message1) + line);
    const Text& text = scene.field(record, field);
    if (text.empty()) continue;
    if (const std::optional<Text> shown = line_width_.shown_part(text)) {
      report_.warning(scene.place(record, field), "message line " + std::to_string(line + 1) +
                                                      " is wider than the message window: only " +
                                                      in_quotes(*shown) + " shows");
    }
  }
}

// A later scene file starts at its record 0 without showing it: the screen
// keeps the scene before until the next click leaves that record, so its
// text never shows and the click seems to do nothing.
void GameChecker::check_first_record_text(const SceneSource& scene) {
  if (scene.debug_form || scene.number < 2 || scene.last_record() < 0) return;
  for (const RecordField field :
       {RecordField::Message1, RecordField::Message2, RecordField::Message3, RecordField::Message4}) {
    if (scene.field(0, field).empty()) continue;
    report_.warning(scene.place(0, field), "the text " + in_quotes(scene.field(0, field)) +
                                               " never shows: a later scene file starts past its record 0, "
                                               "and the first click only leaves it");
    return;
  }
}

// A load resumes with a step from the record before the SAVE record that
// saved the game (the SAVE record's scene is saved too). A LOAD record there
// loads again from the same saved game, which play ends with a failure. In
// the debug form a debug file that sets its start record replaces the saved
// one; check_debug_file looks at that record.
void GameChecker::check_resumed_load(const SceneSource& scene, long record,
                                     const std::vector<bool>& reached) {
  const auto kind = [&](long r) { return kind_of(scene.field(r, RecordField::Type)); };
  if (debug_start_ || record >= scene.last_record() || kind(record) != RecordKind::Load ||
      kind(record + 1) != RecordKind::Save) {
    return;
  }
  report_.add(reached[static_cast<std::size_t>(record + 1)] ? Severity::Error : Severity::Warning,
              scene.place(record, RecordField::Type),
              "a saved game resumes by stepping from this LOAD record, which loads again without end: put "
              "another record before the SAVE " +
                  record_word(record + 1));
}

void GameChecker::check_target(const SceneSource& scene, long record, long target, const std::string& what,
                               Severity severity) {
  if (target >= -1 && target <= scene.last_record()) return;
  const std::string where = target < 0 ? "before the first record"
                                       : "past the last record (" + std::to_string(scene.last_record()) + ")";
  report_.add(severity, scene.place(record, RecordField::Type),
              what + " leads to " + record_word(target) + ", " + where + ": leaving it there fails");
}

void GameChecker::check_next(const SceneSource& scene, long record, Severity severity) {
  if (record + 1 <= scene.last_record()) return;
  report_.add(severity, scene.place(record, RecordField::Type),
              "play runs past the last record of the scene: end it with END or NEXT_FILE");
}

void GameChecker::check_type_line(const SceneSource& scene, long record, Severity severity) {
  const Text& line = scene.field(record, RecordField::Type);
  const Place place = scene.place(record, RecordField::Type);
  switch (kind_of(line)) {
    case RecordKind::End:
      return;
    case RecordKind::Normal:
    case RecordKind::Save:
      return check_next(scene, record, severity);
    case RecordKind::Command:
      return check_command(scene, record, severity);
    case RecordKind::Flag:
      return check_flag(scene, record, severity);
    case RecordKind::If:
      return check_if(scene, record, severity);
    case RecordKind::Load:
      if (!any_save_) {
        report_.warning(place,
                        "LOAD, but no record saves a game: it resumes at the title while nothing is saved");
      }
      return;
    case RecordKind::NextFile:
      if (!scene.debug_form && static_cast<std::size_t>(scene.number) >= source_.scenes.size()) {
        report_.add(
            severity, place,
            "NEXT_FILE, but there is no scene file scene/scene" + std::to_string(scene.number + 1) + ".gst");
      }
      return;
    case RecordKind::Image:
      if (!reads([&] { image_time_of(line); })) {
        report_.add(severity, place,
                    "the time of " + in_quotes(line) +
                        " does not read: write it in tenths of a second, as IMAGE<30>");
      }
      return check_next(scene, record, severity);
    case RecordKind::Jump:
      break;
  }
  std::int16_t target = 0;
  if (reads([&] { target = jump_target(line); })) {
    return check_target(scene, record, target, "the jump " + in_quotes(line), severity);
  }
  std::string message = line.empty() ? "the type line is empty"
                                     : "the type line " + in_quotes(line) + " is no keyword and no number";
  Text meant = as_meant(line);
  if (kind_of(meant) == RecordKind::Jump && !reads([&] { jump_target(meant); })) {
    meant = nearest_keyword(meant).value_or(meant);
  }
  if (!line.empty() && meant != line &&
      (kind_of(meant) != RecordKind::Jump || reads([&] { jump_target(meant); }))) {
    message += " (did you mean " + in_quotes(meant) + "?)";
  }
  report_.add(severity, place, message + ": leaving this record fails");
}

void GameChecker::check_command(const SceneSource& scene, long record, Severity severity) {
  const Text& line = scene.field(record, RecordField::Type);
  const Place place = scene.place(record, RecordField::Type);
  std::int16_t char_pos = kFirstTargetPosition;
  std::int16_t jump_work = 0;
  constexpr std::int16_t kNoDigits = -1;
  std::array<std::int16_t, 5> targets{kNoDigits, kNoDigits, kNoDigits, kNoDigits, 0};
  if (!reads([&] { read_command_targets(line, char_pos, jump_work, targets); })) {
    report_.add(severity, place,
                "the choices of " + in_quotes(line) +
                    " do not read: write four record numbers from position 9, as COMMAND<12><20><0><0>");
    return;
  }
  bool offered = false;
  for (int slot = 0; slot < 4; ++slot) {
    const std::string choice = "choice " + std::to_string(slot + 1);
    if (targets[slot] == kNoDigits) {
      report_.warning(place, choice +
                                 " has no record number: it keeps the target of the COMMAND record before "
                                 "(write 0 for a choice that is not offered)");
      continue;
    }
    const auto message = static_cast<RecordField>(static_cast<int>(RecordField::Message1) + slot);
    if (targets[slot] == 0) {
      // More choice texts than targets: the player sees a choice that
      // taking does nothing for.
      if (!scene.field(record, message).empty()) {
        report_.warning(scene.place(record, message),
                        choice + " shows " + in_quotes(scene.field(record, message)) +
                            " but its record number is 0: taking it does nothing");
      }
      continue;
    }
    offered = true;
    check_target(scene, record, targets[slot], choice, severity);
    if (scene.field(record, message).empty()) {
      report_.warning(scene.place(record, message), choice + " is offered but its message line is empty");
    }
  }
  if (!offered && std::find(targets.begin(), targets.end(), kNoDigits) == targets.end()) {
    report_.add(severity, place, "no choice is offered: play cannot go on from here");
  }
}

void GameChecker::check_flag(const SceneSource& scene, long record, Severity severity) {
  const Place place = scene.place(record, RecordField::Type);
  FlagLine flag;
  if (!reads([&] { flag = parse_flag_line(scene.field(record, RecordField::Type)); })) {
    report_.add(severity, place, "no \">\" closes the operand: write it as FLAG<A+1>");
  } else if (!flag_index(flag.letter)) {
    report_.warning(
        place, in_quotes(flag.letter) + " at position 6 is no flag letter A to Z: the line changes nothing");
  } else if (flag.op != U"=" && flag.op != U"+" && flag.op != U"-") {
    report_.warning(place, "the operator " + in_quotes(flag.op) +
                               " at position 7 is not =, + or -: the line changes nothing");
  } else if (!reads([&] { apply_flag_operation(0, flag.operand, flag.op); })) {
    report_.add(severity, place,
                "the operand " + in_quotes(flag.operand) + " is no number from -32768 to 32767");
  }
  check_next(scene, record, severity);
}

void GameChecker::check_if(const SceneSource& scene, long record, Severity severity) {
  const Place place = scene.place(record, RecordField::Type);
  IfLine test;
  if (!reads([&] { test = parse_if_line(scene.field(record, RecordField::Type)); })) {
    report_.add(severity, place, "a \">\" is missing: write the test as IF<A=2>......15>.......30>");
    return;
  }
  if (!flag_index(test.letter) || (test.op != U"=" && test.op != U">" && test.op != U"<")) {
    report_.warning(place, "the flag " + in_quotes(test.letter) + " or the operator " + in_quotes(test.op) +
                               " is not one of A to Z and =, >, <: play always goes on at record 0");
    return;
  }
  if (!reads([&] { compare_flag(0, test.value, test.op); })) {
    report_.add(severity, place, "the value " + in_quotes(test.value) + " is no number");
  }
  for (const auto& field : {std::pair{test.first, "the first target"}, {test.second, "the second target"}}) {
    std::int16_t target = 0;
    if (reads([&] { target = to_int16(field.first); })) {
      check_target(scene, record, target, field.second, severity);
    } else {
      // Most often a dot too many or too few: the targets are found by
      // position, not by their ">".
      report_.add(severity, place,
                  std::string(field.second) + " " + in_quotes(field.first) +
                      " is no record number: the first target begins 6 characters after the value's \">\","
                      " the second 7 after the first's, as in IF<A=2>......15>.......30>");
    }
  }
}

void GameChecker::check_main_image(const SceneSource& scene, long record, Severity severity) {
  const Text& entry = scene.field(record, RecordField::Image);
  const Place place = scene.place(record, RecordField::Image);
  Text name;
  if (!reads([&] { name = image_file_of(entry); })) {
    report_.add(severity, place,
                "the main image entry " + in_quotes(entry) +
                    " has no \"<\": name the picture with its position, as room.bmp<0,0>");
    return;
  }
  if (name.empty()) return;
  ImagePosition at;
  if (!reads([&] { at = image_position_of(entry); })) {
    report_.add(
        severity, place,
        "the position of " + in_quotes(entry) + " does not read: write two numbers, as room.bmp<120,40>");
    return;
  }
  const PictureFacts* picture = check_picture(kImageFolder + name, place, severity, "picture");
  if (is_masked_entry(entry)) check_picture(kImageMaskFolder + name, place, severity, "mask");
  if (picture && (at.x >= kMainPictureWidth || at.y >= kMainPictureHeight || at.x + picture->width <= 0 ||
                  at.y + picture->height <= 0)) {
    report_.warning(place, "the picture at " + std::to_string(at.x) + "," + std::to_string(at.y) +
                               " lies wholly outside the 640 x 480 main picture");
  }
}

void GameChecker::check_sub_image(const SceneSource& scene, long record, Severity severity) {
  const Text& entry = scene.field(record, RecordField::SubImage);
  if (entry.empty()) return;
  const Place place = scene.place(record, RecordField::SubImage);
  if (!sub_window_on_setting(source_.setting(setting::kSubWindow))) {
    if (!sub_window_warned_) {
      report_.warning(place, "sub images are not shown: settings line 10 is not \"Sub_Window=ON\"");
    }
    sub_window_warned_ = true;
    return;
  }
  check_picture(kSubImageFolder + entry, place, severity, "sub picture");
  if (is_masked_entry(entry)) check_picture(kSubImageMaskFolder + entry, place, severity, "mask");
}

void GameChecker::check_sounds(const SceneSource& scene, long record, Severity severity) {
  check_sound(kWaveFolder, scene.field(record, RecordField::Wave), false,
              scene.place(record, RecordField::Wave), severity);
  check_sound(kMidiFolder, scene.field(record, RecordField::Midi), true,
              scene.place(record, RecordField::Midi), severity);
}

}  // namespace tw
