// The debug file's start record and flags, and the debug labels. That
// normal mode ignores the file is part of the start-up tests.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/test_game.h"

namespace tw::test {
namespace {

std::vector<std::u32string> split(std::u32string_view text) {
  std::vector<std::u32string> parts;
  for (std::size_t at = 0, bar = 0; bar != text.npos; at = bar + 1) {
    bar = text.find(U'|', at);
    parts.emplace_back(text.substr(at, bar - at));
  }
  return parts;
}

// The file's lines (none: no debug file), the start record, and the labels:
// flags A to E, the record and its type line. The flags hold the numbers
// their labels show, and the frame shows above record 0.
TEST(DebugFile, SetsTheStartRecordAndFlagsUpToItsFirstLineThatIsNoNumber) {
  constexpr char32_t kDesign[] = U"A=0|B=0|C=0|D=0|E=0|0|TITLE";
  const std::tuple<const char32_t*, int, const char32_t*> cases[] = {
      {U"2|1|-2|3|4|5|unused", 2, U"A=1|B=-2|C=3|D=4|E=5|2|FLAG<A=1>"},
      {U"0|0|0|0|0|0", 0, U"A=0|B=0|C=0|D=0|E=0|TITLE|NORMAL"},
      {U"1| 7 |0|0|0|0", 1, U"A= 7 |B=0|C=0|D=0|E=0|1|NORMAL"},  // as written until the monitor refreshes
      {U"3|4|many|1|1|1", 3, U"A=4|B=0|C=0|D=0|E=0|0|TITLE"},    // what came before "many" stays
      {U"2|1|1|1|1|1|1|1", 0, kDesign},
      {nullptr, 0, kDesign},
  };
  for (const auto& [file, line_no, labels] : cases) {
    SCOPED_TRACE(file ? to_utf8(file) : "no file");
    TestGame game;
    game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"NORMAL", U"FLAG<A=1>", U"NORMAL", U"END"});
    if (file) game.write_lines("Debug.gst", split(file));
    Engine engine(game, U"DEBUG");
    const Form1& form = engine.start().form();
    EXPECT_FALSE(engine.ended()) << "the debug file never ends the game";
    EXPECT_EQ(std::tuple(form.Line_No, form.waku.Visible), std::tuple(line_no, line_no != 0));
    const std::vector<std::u32string> expected = split(labels);
    std::vector<std::u32string> shown;
    for (int i = 0; i < 5; ++i) {
      shown.push_back(form.Flag_Label[i].Caption);
      EXPECT_EQ(form.Flags[i], std::stoi(to_utf8(expected[i].substr(2)))) << i;
    }
    shown.push_back(form.Page_Label.Caption);
    shown.push_back(form.Type_Label.Caption);
    EXPECT_EQ(shown, expected);
  }
}

}  // namespace
}  // namespace tw::test
