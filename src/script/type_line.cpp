#include "script/type_line.h"

#include "base/number.h"
#include "data/scan.h"

namespace tw {

namespace {

constexpr long kLastPosition = 32767;

}  // namespace

RecordKind kind_of(TextView line) {
  for (const Keyword& keyword : kKeywords) {
    if (keyword.prefix ? line.starts_with(keyword.word) : line == keyword.word) return keyword.kind;
  }
  return RecordKind::Jump;
}

std::int16_t jump_target(TextView line) { return round_to_int16(to_real(line) + 1.0); }

FlagLine parse_flag_line(TextView line) {
  FlagLine flag{char_at(line, 6), char_at(line, 7), {}};
  scan_to(line, 8, U'>', &flag.operand);
  return flag;
}

IfLine parse_if_line(TextView line) {
  IfLine test{char_at(line, 4), char_at(line, 5), {}, {}, {}};
  const std::int16_t p = scan_to(line, 6, U'>', &test.value);
  const std::int16_t q = scan_to(line, checked_int16(p + 7L), U'>', &test.first);
  scan_to(line, checked_int16(q + 8L), U'>', &test.second);
  return test;
}

std::optional<int> flag_index(TextView letter) {
  if (letter.size() != 1 || letter[0] < U'A' || letter[0] > U'Z') return std::nullopt;
  return static_cast<int>(letter[0] - U'A');
}

std::int16_t apply_flag_operation(std::int16_t flag, TextView operand, TextView op) {
  if (op == U"=") return to_int16(operand);
  if (op == U"+") return round_to_int16(double(flag) + to_real(operand));
  if (op == U"-") return round_to_int16(double(flag) - to_real(operand));
  return flag;
}

std::optional<bool> compare_flag(std::int16_t flag, TextView value, TextView op) {
  const bool equal = op == U"=";
  const bool greater = op == U">";
  if (!equal && !greater && op != U"<") return std::nullopt;
  const double number = to_real(value);
  return equal ? flag == number : greater ? flag > number : flag < number;
}

void read_command_targets(TextView line, std::int16_t& char_pos, std::int16_t& jump_work,
                          std::array<std::int16_t, 5>& targets) {
  for (std::size_t slot = 0; slot < 4; ++slot) {
    jump_work = 0;
    for (Text c = char_at(line, char_pos); c != U">"; c = char_at(line, char_pos)) {
      // Past the end each position stores the same target again until the
      // counter overflows; the outcome is known at the first such position.
      if (char_pos > static_cast<long>(line.size())) {
        targets[slot] = jump_work;
        next_position(kLastPosition);
      }
      if (c != U"<") {
        jump_work = to_int16(decimal_text(jump_work) + c);
        targets[slot] = jump_work;
      }
      char_pos = next_position(char_pos);
    }
    char_pos = next_position(char_pos);
  }
}

}  // namespace tw
