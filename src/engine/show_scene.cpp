// Presenting the current scene record.
#include "engine/form1.h"

namespace tw {

namespace {

constexpr char32_t kShowSceneMessage[] = U"シーンの表示中に原因不明のエラーが発生しました。";
constexpr int kRevealTickMs = 30;

}  // namespace

void Form1::Show_Scene() {
  with_message(kShowSceneMessage, [this] {
    Draw_Main_Image();
    Window_Paint();
    Draw_Sub_Image();
    // The work surfaces are emptied between presentations: every drawing
    // loads its picture and mask into them afresh, so nothing is kept.
    Mask1.surface = Image();
    Mask2.surface = Image();
    Main_Image_Name = image_list.line(Line_No);
    Sub_Image_Name = sub_Image_List.line(Line_No);
    Text_Running = -1;
    Timer3.set_interval(kRevealTickMs, platform_.clock.now_ms());
    for (int i = 0; i < kMessageLines; ++i) Message[i].Caption.clear();
    Reveal_Line = 0;
    // The music goes on while records name the same song; an empty name
    // is a name like any other and stops it.
    if (const Text& music = Midi_List.line(Line_No); music != Midi_Name) {
      Midi_Name = music;
      start_music(music);
    }
    schedule_sound_effect();
  });
}

}  // namespace tw
