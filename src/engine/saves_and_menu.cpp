// The saved game and the menu's commands.

#include "base/failure.h"
#include "base/number.h"
#include "data/settings.h"
#include "engine/form1.h"

namespace tw {

// The saved game: the record number, the 26 flags and the scene number,
// kept per game title in the per-user settings store.
namespace {

constexpr char32_t kSaveMessage[] = U"フラグの値保存時に原因不明のエラーが発生しました。";
constexpr char32_t kLoadMessage[] = U"セーブデータの読みこみに失敗しました。";
constexpr char32_t kApplication[] = U"Tallowind";
constexpr char32_t kRecordKey[] = U"save";
constexpr char32_t kSceneKey[] = U"scene";
constexpr int kLoadedBlinkMs = 800;

Text flag_key(int flag) { return Text(1, static_cast<char32_t>(U'A' + flag)); }

// Marks a load's own step as running while it lives, so that a failure that
// leaves the step clears the mark too.
class LoadStepping {
 public:
  explicit LoadStepping(bool& running) : running_(running) { running_ = true; }
  ~LoadStepping() { running_ = false; }
  LoadStepping(const LoadStepping&) = delete;
  LoadStepping& operator=(const LoadStepping&) = delete;

 private:
  bool& running_;
};

}  // namespace

// All 28 values are written together: a failure or a crash in the middle
// leaves the previous saved game whole instead of a mix of two games.
void Form1::save_Click() {
  with_message(kSaveMessage, [this] {
    std::vector<std::pair<Text, Text>> values{{kRecordKey, decimal_text(Line_No)}};
    for (int flag = 0; flag < kFlagCount; ++flag)
      values.emplace_back(flag_key(flag), decimal_text(Flags[flag]));
    values.emplace_back(kSceneKey, decimal_text(Scene_No));
    platform_.settings.write_all(kApplication, Main_List.line(setting::kTitle), values);
  });
}

Text Form1::read_saved(TextView key, TextView fallback) {
  return platform_.settings.read(kApplication, Main_List.line(setting::kTitle), key, fallback);
}

// Play resumes with one step from the record before the saved one. Without
// a saved game every value takes its default: the step from record -1
// presents the title of scene 1. That step leaves the record by its kind, so
// when it is a LOAD record (the record before a SAVE record, or the debug
// file's start record) it loads again: the same saved game, the same step,
// without end. A load inside a load's step therefore fails at once.
void Form1::Load_Click() {
  with_message(kLoadMessage, [this] {
    if (load_stepping_) throw Failure("the step of a loaded game leaves a LOAD record and would load again");
    ++plays_begun;
    Line_No = round_to_int16(to_real(read_saved(kRecordKey, U"0")) - 1.0);
    for (int flag = 0; flag < kFlagCount; ++flag) Flags[flag] = to_int16(read_saved(flag_key(flag), U"0"));
    Scene_No = to_int16(read_saved(kSceneKey, U"1"));
    Clear_Scene_Data();
    Init_Game();
    Midi_Name.clear();
    Main_Image_Name.clear();
    Sub_Image_Name.clear();
    Text_Running = 0;
    Timer1.set_interval(kLoadedBlinkMs, platform_.clock.now_ms());
    waku.Visible = Line_No != -1;
    save.Enabled = true;
    image1.clear_surface();
    Window.clear_surface();
    set_plain_label_colours();
    {
      const LoadStepping stepping(load_stepping_);
      Next_Step();
    }
    Show_Flags();
  });
}

// The menu's commands other than saving and loading, the switch to the next
// scene file, and closing the window.
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
    ++plays_begun;
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
