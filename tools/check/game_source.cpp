// Reading a game for the checker with the engine's own readers, keeping the
// place of every line.
#include "check/game_source.h"

#include <algorithm>
#include <cctype>

#include "base/failure.h"
#include "base/number.h"
#include "check/wording.h"
#include "data/game_layout.h"
#include "data/settings.h"

namespace tw {

namespace {

constexpr char32_t kNotDecoded = U'\uFFFD';  // what the decoder makes of broken bytes

bool valid_utf8(std::string_view bytes) { return to_utf8(from_utf8(bytes)) == bytes; }

// Line numbers of lines with bytes that are not CP932; the decoder turns
// them into U+FFFD, which CP932 itself cannot hold.
void report_broken_text(const std::vector<Text>& lines, std::string_view bytes, const std::string& file,
                        Report& report) {
  std::vector<long> broken;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(kNotDecoded) != Text::npos) broken.push_back(static_cast<long>(i) + 1);
  }
  if (broken.empty()) return;
  std::string message = "text is not valid Shift-JIS (CP932)";
  if (valid_utf8(bytes)) message += "; the file looks like UTF-8: save it as Shift-JIS";
  if (broken.size() > 1) message += " (" + std::to_string(broken.size() - 1) + " more lines like it)";
  report.warning({file, broken.front(), {}}, message);
}

// Lines end at CR LF (or CR): a lone LF, as editors on Linux write, stays
// inside the line, so the engine reads two lines as one and every line
// after it out of place.
void report_lone_line_feeds(const std::vector<Text>& lines, const std::string& file, Report& report) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find(U'\n') == Text::npos) continue;
    report.error({file, static_cast<long>(i) + 1, {}},
                 "the line ends here are LF alone, which the engine reads as part of one long line: save "
                 "with CR LF line ends");
    return;
  }
}

enum class Use { Store, Scene, Debug };

// A text file read by the engine's line rule, or nothing when it is missing
// or unreadable. Files read into a list store may have 32767 lines; one over
// the limit is kept whole for the checks.
std::optional<std::vector<Text>> read_lines(const GameFolder& game, TextView engine_path, Use use,
                                            Report& report, std::string* raw = nullptr) {
  const bool required = use != Use::Debug;
  const std::string file = report_name(engine_path);
  report.note_file(file);
  std::string bytes;
  try {
    bytes = game.read_file(engine_path);
  } catch (const Failure&) {
    if (required)
      report.error({file, 0, {}}, game.resolve(engine_path) ? "cannot be read" : "file is missing");
    return std::nullopt;
  }
  std::vector<Text> lines = read_text_lines(bytes);
  if (use == Use::Store && lines.size() > kMaxDataFileLines) {
    report.error({file, static_cast<long>(kMaxDataFileLines) + 1, {}},
                 "more than 32767 lines: the engine stops reading with a failure here");
  }
  report_lone_line_feeds(lines, file, report);
  report_broken_text(lines, bytes, file, report);
  if (raw) *raw = std::move(bytes);
  return lines;
}

SceneSource read_packed_scene(int number, const std::string& bytes, const std::vector<Text>& lines,
                              Report& report) {
  SceneSource scene;
  scene.number = number;
  scene.file = report_name(scene_file_path(number));
  SceneFileReader reader(bytes);
  long last = -1;
  try {
    last = reader.last_record();
  } catch (const Failure&) {
    report.error({scene.file, 1, {}}, "line 1 must hold the number of the last record (0 to 32766), not " +
                                          in_quotes(lines.empty() ? Text() : lines[0]));
    return scene;
  }
  if (last < 0) {
    report.error({scene.file, 1, {}}, "line 1 announces no record (" + std::to_string(last) +
                                          "): play fails on leaving the empty record 0");
  }
  for (long i = 0; i <= last; ++i) {
    try {
      scene.records.push_back(reader.next_record());
    } catch (const Failure&) {
      report.error({scene.file, static_cast<long>(reader.line_count()), i},
                   "the file ends inside record " + std::to_string(i) +
                       ", but line 1 announces records 0 to " + std::to_string(last));
      return scene;
    }
  }
  // Records added below the last one are never read: line 1 decides.
  const std::size_t used = static_cast<std::size_t>(1 + (last + 1) * kRecordLines);
  for (std::size_t i = used; i < lines.size(); ++i) {
    if (!lines[i].empty()) {
      report.warning({scene.file, static_cast<long>(i) + 1, {}},
                     "lines after record " + std::to_string(last) +
                         " are never read: does line 1 still give the number of the last record?");
      break;
    }
  }
  return scene;
}

// N of a file named "sceneN.gst" in any letter case, or 0.
long scene_file_number(const std::string& name) {
  constexpr std::string_view kPrefix = "scene";
  constexpr std::string_view kSuffix = ".gst";
  if (name.size() <= kPrefix.size() + kSuffix.size() || name.size() > kPrefix.size() + kSuffix.size() + 5)
    return 0;
  const auto same = [](std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) == y; });
  };
  const std::string_view text = name;
  const std::string_view digits = text.substr(kPrefix.size(), text.size() - kPrefix.size() - kSuffix.size());
  if (!same(text.substr(0, kPrefix.size()), kPrefix) ||
      !same(text.substr(text.size() - kSuffix.size()), kSuffix) ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  return std::stol(std::string(digits));
}

// Scene files beyond a missing one are never played.
void report_stray_scene_files(const GameFolder& game, int first_missing, Report& report) {
  const auto folder = game.resolve(folder_path(kSceneFolder));
  std::error_code error;
  if (!folder || !std::filesystem::is_directory(*folder, error)) return;
  std::vector<std::pair<long, std::string>> strays;
  for (std::filesystem::directory_iterator it(*folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (const long number = scene_file_number(name); number > first_missing)
      strays.emplace_back(number, name);
  }
  std::sort(strays.begin(), strays.end());
  for (const auto& [number, name] : strays) {
    report.warning({"scene/" + name, 0, {}},
                   "never played: play stops at the missing scene" + std::to_string(first_missing) + ".gst");
  }
}

void read_packed_form(const GameFolder& game, GameSource& source, Report& report) {
  source.settings_file = report_name(kSceneSettingsFile);
  if (auto settings = read_lines(game, kSceneSettingsFile, Use::Store, report))
    source.settings = std::move(*settings);
  int number = 1;
  for (;; ++number) {
    const Text path = scene_file_path(number);
    if (!game.resolve(path) && number > 1) break;
    std::string bytes;
    const auto lines = read_lines(game, path, Use::Scene, report, &bytes);
    if (!lines) break;
    source.scenes.push_back(read_packed_scene(number, bytes, *lines, report));
    if (number == 32767) break;
  }
  report_stray_scene_files(game, number, report);
}

void read_debug_form(const GameFolder& game, GameSource& source, Report& report) {
  source.settings_file = report_name(kDebugSettingsFile);
  if (auto settings = read_lines(game, kDebugSettingsFile, Use::Store, report))
    source.settings = std::move(*settings);
  SceneSource scene;
  scene.debug_form = true;
  std::array<std::vector<Text>, kRecordFields> columns;
  std::array<std::optional<std::size_t>, kRecordFields> read;
  std::size_t records = 0;
  for (RecordField field : kDebugFormOrder) {
    if (field == RecordField::SubImage && !sub_window_on_setting(source.setting(setting::kSubWindow)))
      continue;
    if (auto lines = read_lines(game, debug_form_file(field), Use::Store, report)) {
      records = std::max(records, lines->size());
      read[static_cast<std::size_t>(field)] = lines->size();
      columns[static_cast<std::size_t>(field)] = std::move(*lines);
    }
  }
  if (const auto types = read[static_cast<std::size_t>(RecordField::Type)]) {
    std::array<std::size_t, kRecordFields> lengths{};
    for (std::size_t f = 0; f < lengths.size(); ++f) lengths[f] = read[f].value_or(*types);
    if (const std::string differing = unequal_record_files(lengths); !differing.empty()) {
      report.warning({report_name(debug_form_file(RecordField::Type)), 0, {}},
                     "the record files differ in length: " + differing);
    }
  }
  scene.records.resize(std::min(records, kMaxDataFileLines));
  if (records == 0 && game.resolve(debug_form_file(RecordField::Type))) {
    report.error({report_name(debug_form_file(RecordField::Type)), 0, {}},
                 "the record files hold no record: play fails on leaving the empty record 0");
  }
  for (std::size_t f = 0; f < columns.size(); ++f) {
    for (std::size_t r = 0; r < columns[f].size() && r < scene.records.size(); ++r) {
      scene.records[r][f] = columns[f][r];
    }
  }
  source.scenes.push_back(std::move(scene));
  source.debug_file = read_lines(game, kDebugFile, Use::Debug, report);
}

}  // namespace

std::string report_name(TextView engine_path) {
  Text name(engine_path);
  std::replace(name.begin(), name.end(), U'\\', U'/');
  if (!name.empty() && name.front() == U'/') name.erase(0, 1);
  return to_utf8(name);
}

Place SceneSource::place(long record, RecordField field) const {
  if (debug_form) return {report_name(debug_form_file(field)), record + 1, record};
  return {file, scene_file_line(record, field), record};
}

const Text& GameSource::setting(int line) const {
  static const Text empty;
  return line < static_cast<int>(settings.size()) ? settings[static_cast<std::size_t>(line)] : empty;
}

GameSource read_game_source(const GameFolder& game, bool debug_form, Report& report) {
  GameSource source;
  source.debug_form = debug_form;
  if (debug_form) {
    read_debug_form(game, source, report);
  } else {
    read_packed_form(game, source, report);
  }
  return source;
}

}  // namespace tw
