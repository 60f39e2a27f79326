// The reveal of a record's text and the mouse buttons that step it.

#include "base/number.h"
#include "engine/form1.h"
#include "script/type_line.h"

namespace tw {

// The reveal of a record's four message lines: one character a tick in
// standard mode, all at once in high-speed mode, always at once for choices.
namespace {

constexpr char32_t kRevealMessage[] = U"メッセージウインドウへのテキスト表示に失敗しました。";

}  // namespace

void Form1::show_whole_message() {
  for (int i = 0; i < kMessageLines; ++i) Message[i].Caption = Message_List[i].line(Line_No);
  Text_Running = 0;
  Timer3.set_interval(0, platform_.clock.now_ms());
  Reveal_Char = 0;
  Reveal_Line = 0;
}

// The mode is read from the menu's check mark at every tick, and the lines
// of whatever record is current at that tick are revealed. The first tick
// of every line appends nothing.
void Form1::Timer3_Timer() {
  with_message(kRevealMessage, [this] {
    if (Message_Mode.Checked && Text_Running == -1) show_whole_message();
    if (Text_Running != -1) return;
    if (kind_of(type_line()) == RecordKind::Command) Next_Step();
    const Text& line = Message_List[Reveal_Line].line(Line_No);
    if (Reveal_Char != 0) Message[Reveal_Line].Caption += char_at(line, Reveal_Char);
    Reveal_Char = checked_int16(Reveal_Char + 1L);
    if (Reveal_Char > static_cast<long>(line.size())) {
      Reveal_Char = 0;
      ++Reveal_Line;
      if (Reveal_Line == kMessageLines) {
        Timer3.set_interval(0, platform_.clock.now_ms());
        Reveal_Line = 0;
        Text_Running = 0;
      }
    }
  });
}

// The mouse: the left or middle button on the message window steps the
// script, the right button opens the menu, and at the title the main picture
// starts the game.
namespace {

constexpr char32_t kMenuName[] = U"GAME";

}  // namespace

// The menu GAME: the message mode with its submenu, then the commands.
void Form1::open_game_menu() {
  platform_.popups.open_popup(kMenuName, {{&Text_mode, {&Message_Mode_standard, &Message_Mode}},
                                          {&RESTART, {}},
                                          {&Load, {}},
                                          {&save, {}},
                                          {&END_GAME, {}}});
}

void Form1::Window_MouseDown(int Button) {
  if (Button == kRightButton) {
    open_game_menu();
    return;
  }
  Next_Step();
  Show_Flags();
}

void Form1::Message_MouseDown(int Index, int Button) {
  (void)Index;  // any label steps, also one that is not a choice
  Window_MouseDown(Button);
}

void Form1::image1_MouseDown(int Button) {
  if (Button == kLeftButton && Line_No == 0) {
    waku.Visible = true;
    Next_Step();
    Show_Flags();
    RESTART.Enabled = true;
  }
  if (Button == kRightButton) open_game_menu();
}

}  // namespace tw
