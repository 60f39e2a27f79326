// The packed scene files of normal mode.
#include "data/number.h"
#include "data/text.h"
#include "window/failure.h"
#include "window/form1.h"

namespace tw {

namespace {

// The record counter is 16-bit: the last record may be 32766 at most.
constexpr long kMaxRecordIndex = 32767;

// Hands out the lines of a scene file in order and fails at its end.
class SceneLines {
 public:
  SceneLines(std::string_view bytes, std::string spelled_path)
      : lines_(split_lines(bytes)), path_(std::move(spelled_path)) {}

  Text next() {
    if (next_ >= lines_.size()) {
      throw Failure("シーンファイルが途中で終わっています: " + path_);
    }
    return decode_cp932(lines_[next_++]);
  }

 private:
  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
  std::string path_;
};

}  // namespace

void Form1::Read_Scene_File() {
  read_into(Main_List, U"\\scene\\main.gst");

  const Text scene_path = U"\\scene\\scene" + decimal_text(Scene_No) + U".gst";
  const std::string bytes = platform_.game.read_file(scene_path);
  SceneLines scene(bytes, platform_.game.spelled(scene_path));

  const long last_record = to_int16(scene.next());
  for (long i = 0; i <= last_record; ++i) {
    scene.next();  // a comment line for the author
    GAME_List.set_line(i, scene.next());
    image_list.set_line(i, scene.next());
    sub_Image_List.set_line(i, scene.next());
    Wav_List.set_line(i, scene.next());
    Midi_List.set_line(i, scene.next());
    for (ListStore& message : Message_List) message.set_line(i, scene.next());
    scene.next();  // a free line closing the record
    if (i == kMaxRecordIndex) {
      throw Failure("シーンのレコードが多すぎます: " + platform_.game.spelled(scene_path));
    }
  }
}

}  // namespace tw
