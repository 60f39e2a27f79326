#include <gtest/gtest.h>

#include "script/next_record.h"
#include "script/type_line.h"

namespace tw {
namespace {

TEST(TypeLine, TakesTheFirstKindWhoseTestMatches) {
  struct Case {
    const char32_t* line;
    RecordKind kind;
  };
  for (const Case& c : std::initializer_list<Case>{
           {U"END", RecordKind::End},
           {U"NORMAL", RecordKind::Normal},
           {U"COMMAND<12><20><0><0> more", RecordKind::Command},
           {U"COMMANDO", RecordKind::Command},
           {U"FLAG<A+1>", RecordKind::Flag},
           {U"IF<A=1>......7>.......8>", RecordKind::If},
           {U"IFFY", RecordKind::If},
           {U"SAVE", RecordKind::Save},
           {U"LOAD", RecordKind::Load},
           {U"NEXT_FILE", RecordKind::NextFile},
           {U"IMAGE<30>", RecordKind::Image},
           {U"IMAGE", RecordKind::Image},
           {U"7", RecordKind::Jump},
           {U"END ", RecordKind::Jump},
           {U" NORMAL", RecordKind::Jump},
           {U"normal", RecordKind::Jump},
           {U"SAVE ", RecordKind::Jump},
           {U"", RecordKind::Jump},
       }) {
    EXPECT_EQ(kind_of(c.line), c.kind) << to_utf8(c.line);
  }
}

// Where a record leads: the read-ahead asks with the flags, the checker
// without them.
TEST(NextRecords, FollowEachKindAndWithFlagsOnlyTheWayTheyGo) {
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
