#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "base/text.h"

namespace tw {

// What kind of record a type line makes. Keywords are upper case and
// compared exactly; most are prefixes, so anything that begins with
// "COMMAND" is a COMMAND line whatever follows.
enum class RecordKind { End, Normal, Command, Flag, If, Save, Load, NextFile, Image, Jump };

// The keywords in the order they are tested: a whole-line keyword must be
// the whole line, a prefix keyword only begin it.
struct Keyword {
  TextView word;
  RecordKind kind;
  bool prefix;
};
inline constexpr std::array<Keyword, 9> kKeywords{{{U"END", RecordKind::End, false},
                                                   {U"NORMAL", RecordKind::Normal, false},
                                                   {U"COMMAND", RecordKind::Command, true},
                                                   {U"FLAG", RecordKind::Flag, true},
                                                   {U"IF", RecordKind::If, true},
                                                   {U"SAVE", RecordKind::Save, false},
                                                   {U"LOAD", RecordKind::Load, false},
                                                   {U"NEXT_FILE", RecordKind::NextFile, false},
                                                   {U"IMAGE", RecordKind::Image, true}}};

// The kind by the keywords in their fixed order. A line that is none of the
// keywords is a jump line; whether it holds a number is found out only when
// the record is left.
RecordKind kind_of(TextView type_line);

// The record a jump line n leads to: n + 1. Failure when the line is no
// number or the sum leaves 16 bits.
std::int16_t jump_target(TextView type_line);

// FLAG<A+1>: the letter at 6, the operator at 7, the operand from 8 up to
// the first ">". Failure when the ">" is missing.
struct FlagLine {
  Text letter;
  Text op;
  Text operand;
};
FlagLine parse_flag_line(TextView type_line);

// IF<A=2>......15>.......30>: the letter at 4, the operator at 5, the value
// from 6 to ">" at p, the first target from p + 7 to ">" at q, the second
// from q + 8 to the next ">". Failure when a ">" is missing.
struct IfLine {
  Text letter;
  Text op;
  Text value;
  Text first;
  Text second;
};
IfLine parse_if_line(TextView type_line);

// The flag a letter names: only "A" to "Z" name one.
std::optional<int> flag_index(TextView letter);

// The flag after `op` ("=", "+" or "-") with `operand`; any other operator
// leaves it as it is. Sums are taken in double precision and brought back to
// 16 bits, halves to the even neighbour. Failure when the operand is no
// number or the result leaves 16 bits.
std::int16_t apply_flag_operation(std::int16_t flag, TextView operand, TextView op);

// Whether `flag` compares true with `value` by `op` ("=", ">" or "<"), or
// nothing for any other operator. Failure when the value is no number.
std::optional<bool> compare_flag(std::int16_t flag, TextView value, TextView op);

// The choice targets of a COMMAND line as the engine reads them: from the
// position in `char_pos`, four fields each ending at ">"; within a field "<"
// is skipped and every other character is a digit of the target, built in
// `jump_work`. A field without digits keeps the target already in `targets`.
// Failure for a character that makes no number, a target above 32767 or
// fewer than four ">". `char_pos` is left after the fourth ">".
constexpr std::int16_t kFirstTargetPosition = 9;
void read_command_targets(TextView type_line, std::int16_t& char_pos, std::int16_t& jump_work,
                          std::array<std::int16_t, 5>& targets);

}  // namespace tw
