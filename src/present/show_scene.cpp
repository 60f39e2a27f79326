// Presenting the current scene record.
#include "window/form1.h"

namespace tw {

namespace {

constexpr char32_t kShowSceneMessage[] = U"シーンの表示中に原因不明のエラーが発生しました。";
constexpr int kRevealTickMs = 30;

}  // namespace

void Form1::Show_Scene() {
  with_message(kShowSceneMessage, [this] {
    // The pictures, the message-window panel, the music and the sound effect
    // are drawn and started here once their subsystems exist.
    Mask1.clear_surface();
    Mask2.clear_surface();
    Main_Image_Name = image_list.line(Line_No);
    Sub_Image_Name = sub_Image_List.line(Line_No);
    Text_Running = -1;
    Timer3.set_interval(kRevealTickMs, platform_.clock.now_ms());
    for (int i = 0; i < kMessageLines; ++i) Message[i].Caption.clear();
    Reveal_Line = 0;
  });
}

}  // namespace tw
