// The game's separate per-record data files, read in debug mode.
#include "base/failure.h"
#include "base/number.h"
#include "base/text.h"
#include "data/game_layout.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "present/image_entry.h"

namespace tw {

// Line k of the file becomes line k of the store. Nothing is removed first,
// so lines past the end of a shorter file keep what they held.
void Form1::read_into(ListStore& store, TextView engine_path) {
  std::vector<Text> lines = read_text_lines(platform_.game.read_file(engine_path));
  for (std::size_t k = 0; k < lines.size(); ++k) {
    store.set_line(static_cast<long>(k), std::move(lines[k]));
    if (k == kMaxDataFileLines) {
      throw Failure("行が多すぎます (32767 行まで): " + platform_.game.spelled(engine_path));
    }
  }
}

ListStore& Form1::record_store(RecordField field) {
  switch (field) {
    case RecordField::Type:
      return GAME_List;
    case RecordField::Image:
      return image_list;
    case RecordField::SubImage:
      return sub_Image_List;
    case RecordField::Wave:
      return Wav_List;
    case RecordField::Midi:
      return Midi_List;
    default:
      return Message_List[static_cast<int>(field) - static_cast<int>(RecordField::Message1)];
  }
}

void Form1::Read_Game_Files() {
  read_into(Main_List, kDebugSettingsFile);
  for (RecordField field : kDebugFormOrder) {
    if (field == RecordField::SubImage && !sub_window_on(Main_List)) continue;
    read_into(record_store(field), debug_form_file(field));
  }
}

// A change to any of these is a change to what the record on screen shows:
// every data file holds one of its lines, and the pictures and sounds are
// the ones it names. An entry that names no file shows none; a malformed
// one is left for its showing to report.
std::vector<Text> Form1::files_on_screen() const {
  if (Debug_Mode == 0 || Line_No < 0) return {};
  std::vector<Text> files{kDebugSettingsFile};
  const bool sub_window = sub_window_on(Main_List);
  for (RecordField field : kDebugFormOrder) {
    if (field != RecordField::SubImage || sub_window) files.push_back(debug_form_file(field));
  }
  const auto add_picture = [&files](TextView folder, TextView mask_folder, const Text& entry,
                                    const Text& file) {
    if (file.empty()) return;
    files.push_back(Text(folder) + file);
    if (is_masked_entry(entry)) files.push_back(Text(mask_folder) + file);
  };
  try {
    const Text& entry = image_list.line(Line_No);
    add_picture(kImageFolder, kImageMaskFolder, entry, image_file_of(entry));
  } catch (const Failure&) {
  }
  if (sub_window) {
    const Text& sub = sub_Image_List.line(Line_No);
    add_picture(kSubImageFolder, kSubImageMaskFolder, sub, sub);
  }
  if (const Text& wave = Wav_List.line(Line_No); !wave.empty()) files.push_back(kWaveFolder + wave);
  if (const Text& music = Midi_List.line(Line_No); !music.empty()) files.push_back(kMidiFolder + music);
  return files;
}

// The packed scene file of Scene_No, record by record into the list stores.
void Form1::Read_Scene_File() {
  read_into(Main_List, kSceneSettingsFile);

  const Text scene_path = scene_file_path(Scene_No);
  const std::string bytes = platform_.game.read_file(scene_path);
  try {
    SceneFileReader scene(bytes);
    const long last_record = scene.last_record();
    for (long i = 0; i <= last_record; ++i) {
      std::array<Text, kRecordFields> fields = scene.next_record();
      for (int f = 0; f < kRecordFields; ++f) {
        record_store(static_cast<RecordField>(f)).set_line(i, std::move(fields[f]));
      }
    }
  } catch (const Failure& failure) {
    throw Failure(std::string(failure.what()) + ": " + platform_.game.spelled(scene_path));
  }
}

}  // namespace tw
