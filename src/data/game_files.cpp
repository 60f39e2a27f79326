// The game's separate per-record data files, read in debug mode.
#include "data/number.h"
#include "data/settings.h"
#include "data/text.h"
#include "window/failure.h"
#include "window/form1.h"

namespace tw {

namespace {

// The line counter of the readers is 16-bit: a file may hold 32767 lines.
constexpr long kMaxLineIndex = 32767;

}  // namespace

// Line k of the file becomes line k of the store. Nothing is removed first,
// so lines past the end of a shorter file keep what they held.
void Form1::read_into(ListStore& store, TextView engine_path) {
  const std::vector<Text> lines = read_text_lines(platform_.game.read_file(engine_path));
  for (std::size_t k = 0; k < lines.size(); ++k) {
    store.set_line(static_cast<long>(k), lines[k]);
    if (static_cast<long>(k) == kMaxLineIndex) {
      throw Failure("行が多すぎます (32767 行まで): " + platform_.game.spelled(engine_path));
    }
  }
}

void Form1::Read_Game_Files() {
  read_into(Main_List, U"\\main.gst");
  read_into(GAME_List, U"\\game.gst");
  for (int i = 0; i < kMessageLines; ++i) {
    read_into(Message_List[i], U"\\message\\message" + decimal_text(i + 1) + U".gst");
  }
  read_into(image_list, U"\\image\\image.gst");
  if (sub_window_on(Main_List)) {
    read_into(sub_Image_List, U"\\image2\\image2.gst");
  }
  read_into(Wav_List, U"\\wave\\wave.gst");
  read_into(Midi_List, U"\\midi\\midi.gst");
}

}  // namespace tw
