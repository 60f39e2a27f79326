// The 26 flags A to Z: FLAG lines change one, IF lines branch on one.
#include "data/number.h"
#include "data/scan.h"
#include "window/form1.h"

namespace tw {

namespace {

constexpr char32_t kFlagCommandMessage[] = U"フラグ操作に失敗しました。";
constexpr char32_t kIfFlagMessage[] = U"フラグの分岐に失敗しました。";
constexpr char32_t kFlagCheckMessage[] = U"フラグ式の判定に失敗しました。";

// The flag a letter names: only "A" to "Z" name one.
std::optional<int> flag_index(TextView letter) {
  if (letter.size() != 1 || letter[0] < U'A' || letter[0] > U'Z') return std::nullopt;
  return static_cast<int>(letter[0] - U'A');
}

}  // namespace

// FLAG<A+1>: the letter at 6, the operator at 7, the operand up to ">".
void Form1::Flag_Command() {
  with_message(kFlagCommandMessage, [this] {
    const Text line = GAME_List.line(Line_No);
    Text operand;
    scan_to(line, 8, U'>', &operand);
    if (const auto flag = flag_index(char_at(line, 6)))
      Set_Flag_Valu(Flags[*flag], operand, char_at(line, 7));
  });
}

// Sums are taken in double precision and brought back to 16 bits, halves to
// the even neighbour; a result outside 16 bits fails.
void Form1::Set_Flag_Valu(std::int16_t& Flag, const Text& Valu, const Text& enzansi) {
  if (enzansi == U"=") {
    Flag = to_int16(Valu);
  } else if (enzansi == U"+") {
    Flag = round_to_int16(double(Flag) + to_real(Valu));
  } else if (enzansi == U"-") {
    Flag = round_to_int16(double(Flag) - to_real(Valu));
  }
}

// IF<A=2>......15>.......30>: the letter at 4, the operator at 5, the value
// from 6 to ">" at p, the first target from p + 7 to ">" at q, the second
// from q + 8. Nothing at all comes back for a letter or operator that is not
// one; the step then goes to record 0.
std::optional<Text> Form1::If_Flag() {
  std::optional<Text> target;
  with_message(kIfFlagMessage, [&] {
    const Text line = GAME_List.line(Line_No);
    Text value;
    Text first;
    Text second;
    const std::int16_t p = scan_to(line, 6, U'>', &value);
    const std::int16_t q = scan_to(line, checked_int16(p + 7L), U'>', &first);
    scan_to(line, checked_int16(q + 8L), U'>', &second);
    if (const auto flag = flag_index(char_at(line, 4))) {
      target = Flag_Check(Flags[*flag], value, first, second, char_at(line, 5));
    }
  });
  return target;
}

std::optional<Text> Form1::Flag_Check(std::int16_t& Flag, const Text& Flag_Valu, const Text& jump_Valu,
                                      const Text& jump_Valu2, const Text& enzansi) {
  std::optional<Text> target;
  with_message(kFlagCheckMessage, [&] {
    const bool equal = enzansi == U"=";
    const bool greater = enzansi == U">";
    if (!equal && !greater && enzansi != U"<") return;
    const double value = to_real(Flag_Valu);
    const bool holds = equal ? Flag == value : greater ? Flag > value : Flag < value;
    target = holds ? jump_Valu : jump_Valu2;
  });
  return target;
}

}  // namespace tw
