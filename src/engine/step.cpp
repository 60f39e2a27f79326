// The step through the script and the flags it reads and changes.

#include "base/number.h"
#include "data/settings.h"
#include "engine/form1.h"
#include "script/type_line.h"

namespace tw {

// The interpreter's step: complete a running reveal, or leave the current
// record by its kind, present the record that is now current and do what
// that record asks on arrival.
namespace {

constexpr char32_t kStepMessage[] =
    U"次のシーンの情報を読みこもうとしましたが原因不明のエラーが発生しました。";
constexpr int kImageTickMs = 100;

}  // namespace

void Form1::Next_Step() {
  with_message(kStepMessage, [this] {
    if (Text_Running == -1) {
      show_whole_message();
      return;
    }
    if (kind_of(type_line()) == RecordKind::End) {
      end_scene();
      return;
    }
    if (!Main_List.line(setting::kClickSound).empty()) play_click_sound();
    if (!leave_record()) return;
    arrive_at_record();
  });
}

// Presents the record that is now current and does what it asks on arrival.
void Form1::arrive_at_record() {
  Show_Scene();
  if (kind_of(type_line()) == RecordKind::Image) run_image_records();
  if (kind_of(type_line()) == RecordKind::End) {
    end_scene();
  } else if (kind_of(type_line()) == RecordKind::Command) {
    read_choice_targets();
  }
}

// The files are read as a return to the title would read them, but play
// stays where it is: the debug file is not read again, and the record on
// screen is presented as a step would arrive at it, its pictures drawn
// afresh even where their entries are unchanged (their files may not be).
// A timed picture run goes on by itself and shows the new files as it
// reaches them. A file that no longer reads fails as a step would.
void Form1::read_files_again() {
  with_message(kStepMessage, [this] {
    Clear_Scene_Data();
    Read_Game_Files();
    if (Timer4.Interval == 0 && Line_No >= 0) {
      Main_Image_Name.clear();
      Sub_Image_Name.clear();
      arrive_at_record();
    }
    Show_Flags();
  });
}

const Text& Form1::type_line() const { return GAME_List.line(Line_No); }

// The mark stands still and the music is no longer looked after.
void Form1::end_scene() {
  Message[4].Caption = Text(kContinueMark);
  Timer1.set_interval(0, platform_.clock.now_ms());
}

// Moves Line_No on by the current record's kind. Returns false when the step
// ends here without presenting anything.
bool Form1::leave_record() {
  const Text line = type_line();
  if (Line_No == -1) {
    Line_No = 0;
    return true;
  }
  switch (kind_of(line)) {
    case RecordKind::Normal:
      Line_No = checked_int16(Line_No + 1L);
      return true;
    case RecordKind::Command:
      return take_choice();
    case RecordKind::Flag:
      Flag_Command();
      Line_No = checked_int16(Line_No + 1L);
      return true;
    case RecordKind::If: {
      const std::optional<Text> target = If_Flag();
      Line_No = target ? to_int16(*target) : 0;
      return true;
    }
    case RecordKind::Save:
      save_Click();
      Line_No = checked_int16(Line_No + 1L);
      return true;
    case RecordKind::Load:
      // Loading runs a whole step of its own from the record before the
      // saved one; this step then moves on from the record it made current.
      Load_Click();
      Line_No = checked_int16(Line_No + 1L);
      return true;
    case RecordKind::NextFile:
      if (Debug_Mode != 0) {
        end_scene();
        return false;
      }
      // The new scene's first record is not presented: the screen keeps the
      // old scene until the next step leaves that record.
      Line_No = 0;
      Next_Scene_File();
      return false;
    case RecordKind::Image:
      return true;
    case RecordKind::End:
    case RecordKind::Jump:
      break;
  }
  Line_No = jump_target(line);
  return true;
}

// The choice taken is the one highlighted last, wherever the click was. A
// click before the targets are read leaves the record to be presented again.
bool Form1::take_choice() {
  if (Choice_Wait != -1) return true;
  const std::int16_t target = Choice_Jump[Choice_Hover];
  if (target == 0) return false;
  Line_No = target;
  Choice_Wait = 0;
  set_plain_label_colours();
  return true;
}

// IMAGE records show their pictures without the message window. A run with
// a time goes on tick by tick in Timer4; records with time 0 are shown and
// left at once, here.
void Form1::run_image_records() {
  const auto start_timed_run = [this] {
    Timer4.set_interval(kImageTickMs, platform_.clock.now_ms());
    waku.Visible = false;
    image1.Enabled = false;
  };
  if (Get_Image_Time() != 0) {
    start_timed_run();
    return;
  }
  waku.Visible = false;
  image1.Enabled = false;
  while (kind_of(type_line()) == RecordKind::Image) {
    if (Get_Image_Time() != 0) {
      start_timed_run();
      break;
    }
    Show_Scene();
    Line_No = checked_int16(Line_No + 1L);
    Show_Flags();
  }
  if (kind_of(type_line()) != RecordKind::Image) end_image_run();
}

// The message window comes back over the last picture of the run.
void Form1::end_image_run() {
  waku.Visible = true;
  image1.Enabled = true;
  Window_Paint();
  Draw_Sub_Image();
}

// The 26 flags A to Z: FLAG lines change one, IF lines branch on one.
namespace {

constexpr char32_t kFlagCommandMessage[] = U"フラグ操作に失敗しました。";
constexpr char32_t kIfFlagMessage[] = U"フラグの分岐に失敗しました。";
constexpr char32_t kFlagCheckMessage[] = U"フラグ式の判定に失敗しました。";

}  // namespace

// FLAG<A+1>: the letter at 6, the operator at 7, the operand up to ">".
void Form1::Flag_Command() {
  with_message(kFlagCommandMessage, [this] {
    const FlagLine line = parse_flag_line(GAME_List.line(Line_No));
    if (const auto flag = flag_index(line.letter)) Set_Flag_Valu(Flags[*flag], line.operand, line.op);
  });
}

void Form1::Set_Flag_Valu(std::int16_t& Flag, const Text& Valu, const Text& enzansi) {
  Flag = apply_flag_operation(Flag, Valu, enzansi);
}

// IF<A=2>......15>.......30>: the letter at 4, the operator at 5, the value
// from 6 to ">" at p, the first target from p + 7 to ">" at q, the second
// from q + 8. Nothing at all comes back for a letter or operator that is not
// one; the step then goes to record 0.
std::optional<Text> Form1::If_Flag() {
  std::optional<Text> target;
  with_message(kIfFlagMessage, [&] {
    const IfLine line = parse_if_line(GAME_List.line(Line_No));
    if (const auto flag = flag_index(line.letter)) {
      target = Flag_Check(Flags[*flag], line.value, line.first, line.second, line.op);
    }
  });
  return target;
}

std::optional<Text> Form1::Flag_Check(std::int16_t& Flag, const Text& Flag_Valu, const Text& jump_Valu,
                                      const Text& jump_Valu2, const Text& enzansi) {
  std::optional<Text> target;
  with_message(kFlagCheckMessage, [&] {
    if (const std::optional<bool> holds = compare_flag(Flag, Flag_Valu, enzansi)) {
      target = *holds ? jump_Valu : jump_Valu2;
    }
  });
  return target;
}

}  // namespace tw
