// The debug monitor: the debug file's start record and flags, and the labels
// that show flags A to E, the record number and its type line.
#include <array>

#include "base/failure.h"
#include "base/number.h"
#include "base/text.h"
#include "data/game_layout.h"
#include "engine/form1.h"

namespace tw {

namespace {

constexpr std::size_t kDebugFileLines = 7;
constexpr char32_t kFlagLetters[] = U"ABCDEFGHIJKLMNOPQRSTUVWXYZ";

Text flag_caption(int flag, TextView value) { return Text(1, kFlagLetters[flag]) + U"=" + Text(value); }

}  // namespace

void Form1::Read_Debug_File() {
  // The debug file is the author's tool: when it is missing, too long or
  // malformed, what was applied before stays and start-up goes on quietly.
  try {
    const std::vector<Text> lines = read_text_lines(platform_.game.read_file(kDebugFile));
    if (lines.size() > kDebugFileLines) return;
    std::array<Text, kDebugFileLines> table;
    std::copy(lines.begin(), lines.end(), table.begin());

    Line_No = to_int16(table[0]);
    if (Line_No != 0) waku.Visible = true;
    for (int flag = 0; flag < kShownFlags; ++flag) {
      Flags[flag] = to_int16(table[1 + flag]);
      Flag_Label[flag].Caption = flag_caption(flag, table[1 + flag]);
    }
    Type_Label.Caption = GAME_List.line(Line_No);
    Page_Label.Caption = Line_No != 0 ? decimal_text(Line_No) : U"TITLE";
  } catch (const Failure&) {
    return;
  }
}

void Form1::Show_Flags() {
  if (Debug_Mode != -1) return;
  for (int flag = 0; flag < kShownFlags; ++flag) {
    Flag_Label[flag].Caption = flag_caption(flag, decimal_text(Flags[flag]));
  }
  Page_Label.Caption = decimal_text(Line_No);
  Type_Label.Caption = GAME_List.line(Line_No);
}

}  // namespace tw
