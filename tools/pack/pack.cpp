// Packing the per-record files of the debug form into a scene file.
#include "pack/pack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/failure.h"
#include "base/file_handle.h"
#include "base/number.h"
#include "data/game_layout.h"
#include "data/scene_file.h"
#include "data/settings.h"
#include "platform/game_folder.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

constexpr char kLineEnd[] = "\r\n";

std::string system_error(const std::string& what) { return what + ": " + std::strerror(errno); }

// Writes `content` beside `target` under a temporary name, flushes it to the
// disk and renames it over `target`, so that a reader sees the old file or
// the new one, never a part.
void write_atomically(const fs::path& target, const std::string& content) {
  std::string temporary = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  FileHandle file(::mkstemp(temporary.data()));
  if (file.get() < 0) throw Failure(system_error(temporary));
  bool renamed = false;
  struct RemoveUnlessRenamed {
    const std::string& path;
    const bool& renamed;
    ~RemoveUnlessRenamed() {
      if (!renamed) ::unlink(path.c_str());
    }
  } cleanup{temporary, renamed};
  for (std::size_t written = 0; written < content.size();) {
    const ssize_t n = ::write(file.get(), content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Failure(system_error(temporary));
    written += static_cast<std::size_t>(n);
  }
  if (::fchmod(file.get(), 0644) != 0 || ::fsync(file.get()) != 0) throw Failure(system_error(temporary));
  file.close();
  if (::rename(temporary.c_str(), target.c_str()) != 0) throw Failure(system_error(target.string()));
  renamed = true;
  FileHandle folder(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY));
  if (folder.get() >= 0) ::fsync(folder.get());
}

// The lines of a data file as bytes, by the engine's line rule.
std::vector<std::string> file_lines(const GameFolder& game, TextView engine_path) {
  if (!game.resolve(engine_path)) throw Failure(game.spelled(engine_path) + " is missing");
  std::string bytes;
  try {
    bytes = game.read_file(engine_path);
  } catch (const Failure&) {
    throw Failure(game.spelled(engine_path) + " cannot be read");
  }
  std::vector<std::string> lines;
  for (std::string_view line : split_lines(bytes)) lines.emplace_back(line);
  if (lines.size() > kMaxDataFileLines) {
    throw Failure(game.spelled(engine_path) + " has more than 32767 lines");
  }
  return lines;
}

// The existing file the engine would read under `engine_path`, or the path
// to create in the scene folder.
fs::path target_of(const GameFolder& game, const fs::path& scene_folder, TextView engine_path,
                   const std::string& name) {
  if (auto existing = game.resolve(engine_path)) return *existing;
  return scene_folder / name;
}

}  // namespace

int run_pack(const PackOptions& options, std::ostream& out, std::ostream& err) {
  try {
    const GameFolder game(options.game_folder);
    const std::vector<std::string> settings = file_lines(game, kDebugSettingsFile);
    const bool sub_window = settings.size() > setting::kSubWindow &&
                            sub_window_on_setting(decode_cp932(settings[setting::kSubWindow]));

    std::array<std::vector<std::string>, kRecordFields> columns;
    std::size_t record_count = 0;
    for (RecordField field : kDebugFormOrder) {
      if (field == RecordField::SubImage && !sub_window) continue;
      auto& column = columns[static_cast<std::size_t>(field)];
      column = file_lines(game, debug_form_file(field));
      record_count = std::max(record_count, column.size());
    }
    if (record_count == 0) throw Failure("game.gst and the other record files hold no record");
    std::array<std::size_t, kRecordFields> lengths{};
    for (std::size_t f = 0; f < lengths.size(); ++f) {
      const bool read = f != static_cast<std::size_t>(RecordField::SubImage) || sub_window;
      lengths[f] = read ? columns[f].size() : columns[static_cast<std::size_t>(RecordField::Type)].size();
    }
    if (const std::string differing = unequal_record_files(lengths); !differing.empty() && !options.force) {
      throw Failure("the record files differ in length: " + differing +
                    "; add --force to pack them as they are");
    }
    std::vector<RecordBytes> records(record_count);
    for (std::size_t f = 0; f < columns.size(); ++f) {
      for (std::size_t r = 0; r < columns[f].size(); ++r) records[r][f] = columns[f][r];
    }

    std::string settings_file;
    for (const std::string& line : settings) settings_file += line + kLineEnd;

    fs::path scene_folder = options.game_folder / "scene";
    if (auto existing = game.resolve(folder_path(kSceneFolder))) scene_folder = *existing;
    const std::string scene_name = "scene" + std::to_string(options.scene) + ".gst";
    const fs::path settings_target = target_of(game, scene_folder, kSceneSettingsFile, "main.gst");
    const fs::path scene_target = target_of(game, scene_folder, scene_file_path(options.scene), scene_name);
    if (!options.force) {
      for (const fs::path& target : {settings_target, scene_target}) {
        std::error_code error;
        if (fs::exists(target, error)) {
          throw Failure(target.string() + " exists already: add --force to replace it");
        }
      }
    }
    fs::create_directories(scene_folder);
    write_atomically(settings_target, settings_file);
    write_atomically(scene_target, packed_scene_file(records));
    const auto shown = [&](const fs::path& target) {
      return target.lexically_relative(options.game_folder).generic_string();
    };
    out << options.game_folder.string() << ": wrote " << shown(settings_target) << " (" << settings.size()
        << " settings lines) and " << shown(scene_target) << " (" << record_count << " records)\n";
    return 0;
  } catch (const Failure& failure) {
    err << "tallowind --pack: " << failure.what() << "\n";
  } catch (const fs::filesystem_error& failure) {
    err << "tallowind --pack: " << failure.what() << "\n";
  }
  return 1;
}

}  // namespace tw
