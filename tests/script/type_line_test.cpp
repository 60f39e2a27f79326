#include "script/type_line.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tw
