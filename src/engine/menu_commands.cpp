// The menu's commands other than saving and loading, the switch to the next
// scene file, and closing the window.
#include "base/number.h"
#include "data/settings.h"
#include "engine/form1.h"

namespace tw {

namespace {

constexpr char32_t kRestartMessage[] = U"初期化に失敗しました。";
constexpr char32_t kEndGameMessage[] =
    U"ゲームの終了時にエラーが発生しました。サウンド関連のデバイスに致命的なエラーが生じた可能性があります。";
constexpr char32_t kClearMessage[] = U"シーンデータ消去に失敗しました。";
constexpr int kBlinkMs = 500;

}  // namespace

void Form1::Clear_Scene_Data() {
  with_message(kClearMessage, [this] {
    image_list.clear();
    sub_Image_List.clear();
    Wav_List.clear();
    Midi_List.clear();
    for (ListStore& message : Message_List) message.clear();
  });
}

// The type lines and settings are overwritten line by line, so a shorter
// scene leaves the old scene's lines past its end.
void Form1::Next_Scene_File() {
  Scene_No = checked_int16(Scene_No + 1L);
  Clear_Scene_Data();
  Init_Game();
}

void Form1::RESTART_Click() {
  with_message(kRestartMessage, [this] {
    Scene_No = 1;
    Line_No = 0;
    Clear_Scene_Data();
    Init_Game();
    Midi_Name.clear();
    waku.Visible = false;
    RESTART.Enabled = false;
    image1.clear_surface();
    Main_Image_Name.clear();
    Timer1.set_interval(kBlinkMs, platform_.clock.now_ms());
    Show_Scene();
    set_plain_label_colours();
    Flags.fill(0);
  });
}

void Form1::END_GAME_Click() {
  with_message(kEndGameMessage, [this] { shut_down_sound(); });
  platform_.dialogs.end_program(EndReason::EndGame);
}

void Form1::Message_Mode_standard_Click() {
  if (Message_Mode_standard.Checked) return;
  Message_Mode_standard.Checked = true;
  Message_Mode.Checked = false;
}

void Form1::Message_Mode_Click() {
  if (Message_Mode.Checked) return;
  Message_Mode_standard.Checked = false;
  Message_Mode.Checked = true;
}

}  // namespace tw
