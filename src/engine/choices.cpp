// Choices: the targets of a COMMAND record, the highlight that follows the
// mouse over the offered choices, and the colours of the message labels.
#include "data/settings.h"
#include "engine/form1.h"
#include "script/type_line.h"

namespace tw {

namespace {

constexpr char32_t kHighlightMessage[] = U"COMMANDに原因不明のエラーが発生しました";
constexpr Colour kHighlightText = 0x00FFFF;  // yellow over the labels' blue

}  // namespace

// COMMAND<12><20><0><0>: from position 9, four fields each ending at ">".
// Within a field "<" is skipped and every other character is a digit of the
// target; a field without digits keeps the target of the last COMMAND line.
// No message of its own: a malformed line fails the step.
void Form1::read_choice_targets() {
  read_command_targets(GAME_List.line(Line_No), Char_Pos, Jump_Work, Choice_Jump);
  Char_Pos = kFirstTargetPosition;
  Choice_Wait = -1;
}

// The highlight stays on the choice last hovered: leaving the labels, or
// hovering one that is not offered, changes nothing.
void Form1::Message_MouseMove(int Index) {
  with_message(kHighlightMessage, [this, Index] {
    if (kind_of(type_line()) != RecordKind::Command || Choice_Jump[Index] == 0) return;
    set_plain_label_colours();
    if (Index != 4) {
      Message[Index].Back_Style = BackStyle::Opaque;
      Message[Index].ForeColor = kHighlightText;
    }
    Choice_Hover = static_cast<std::int16_t>(Index);
  });
}

void Form1::set_plain_label_colours() {
  const Colour text = system_colour_for(Main_List.line(setting::kTextColour));
  for (Label& label : Message) {
    label.Back_Style = BackStyle::Transparent;
    label.ForeColor = text;
  }
}

}  // namespace tw
