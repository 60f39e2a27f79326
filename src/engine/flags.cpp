// The 26 flags A to Z: FLAG lines change one, IF lines branch on one.
#include "engine/form1.h"
#include "script/type_line.h"

namespace tw {

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
