#include <gtest/gtest.h>

#include "script/next_record.h"
#include "script/type_line.h"

namespace tw {
namespace {

// A type line is of the first kind whose test matches, and leads where its
// kind says: the read-ahead asks with the flags, the checker without them.
TEST(TypeLine, TakesTheFirstKindThatMatchesAndLeadsWhereItSays) {
  using enum RecordKind;
  const std::pair<RecordKind, std::vector<TextView>> kinds[] = {
      {End, {U"END"}},
      {Normal, {U"NORMAL"}},
      {Command, {U"COMMAND<12><20><0><0> more", U"COMMANDO"}},
      {Flag, {U"FLAG<A+1>"}},
      {If, {U"IF<A=1>......7>.......8>", U"IFFY"}},
      {Save, {U"SAVE"}},
      {Load, {U"LOAD"}},
      {NextFile, {U"NEXT_FILE"}},
      {Image, {U"IMAGE<30>", U"IMAGE"}},
      {Jump, {U"7", U"END ", U" NORMAL", U"normal", U"SAVE ", U""}},
  };
  for (const auto& [kind, lines] : kinds) {
    for (const TextView line : lines) EXPECT_EQ(kind_of(line), kind) << to_utf8(line);
  }
  FlagValues flags{};
  flags[0] = 2;  // A
  struct Case {
    const char32_t* line;
    std::vector<long> with_flags;
    std::vector<long> without;
  };
  for (const Case& c : std::initializer_list<Case>{
           {U"NORMAL", {6}, {6}},
           {U"IMAGE<3>", {6}, {6}},
           {U"END", {}, {}},
           {U"11", {12}, {12}},
           {U"eleven", {}, {}},
           {U"COMMAND<12><0><14><0>", {12, 14}, {12, 14}},
           {U"IF<A=2>......7>.......8>", {7}, {7, 8}},
           {U"IF<A>2>......7>.......8>", {8}, {7, 8}},
           {U"IF<A<x>......7>.......8>", {}, {7, 8}},
           {U"IF<a=2>......7>.......8>", {0}, {0}},
           {U"IF<A!2>......7>.......8>", {0}, {0}},
           {U"IF<A=2>......7>.......x>", {7}, {7}},
           {U"IF<A=2>", {}, {}},
       }) {
    EXPECT_EQ(next_records(c.line, 5, &flags).records, c.with_flags) << to_utf8(c.line);
    EXPECT_EQ(next_records(c.line, 5).records, c.without) << to_utf8(c.line);
  }
  EXPECT_TRUE(next_records(U"NEXT_FILE", 5).next_scene);
  EXPECT_TRUE(next_records(U"LOAD", 5).loads_game);
}

}  // namespace
}  // namespace tw
