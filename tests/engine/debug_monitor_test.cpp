// The debug file's start record and flags, and the debug labels. That
// normal mode ignores the file is part of the start-up tests.
#include <gtest/gtest.h>

#include <optional>

#include "support/test_game.h"

namespace tw::test {
namespace {

using Texts = std::vector<std::u32string>;

TEST(DebugFile, SetsTheStartRecordAndFlagsUpToItsFirstLineThatIsNoNumber) {
  struct Case {
    std::optional<Texts> file;  // none: no debug file
    int line_no;
    bool frame;
    std::vector<int> flags;  // A to E
    Texts captions;          // flags A to E, record, type line
  };
  const Texts design = {U"A=0", U"B=0", U"C=0", U"D=0", U"E=0", U"0", U"TITLE"};
  const Case cases[] = {
      {Texts{U"2", U"1", U"-2", U"3", U"4", U"5", U"unused"},
       2,
       true,
       {1, -2, 3, 4, 5},
       {U"A=1", U"B=-2", U"C=3", U"D=4", U"E=5", U"2", U"FLAG<A=1>"}},
      {Texts{U"0", U"0", U"0", U"0", U"0", U"0"},
       0,
       false,
       {0, 0, 0, 0, 0},
       {U"A=0", U"B=0", U"C=0", U"D=0", U"E=0", U"TITLE", U"NORMAL"}},
      // Flag texts show as written until the monitor refreshes.
      {Texts{U"1", U" 7 ", U"0", U"0", U"0", U"0"},
       1,
       true,
       {7, 0, 0, 0, 0},
       {U"A= 7 ", U"B=0", U"C=0", U"D=0", U"E=0", U"1", U"NORMAL"}},
      // What came before the first line that is no number stays.
      {Texts{U"3", U"4", U"many", U"1", U"1", U"1"},
       3,
       true,
       {4, 0, 0, 0, 0},
       {U"A=4", U"B=0", U"C=0", U"D=0", U"E=0", U"0", U"TITLE"}},
      {Texts{U"2", U"1", U"1", U"1", U"1", U"1", U"1", U"1"}, 0, false, {0, 0, 0, 0, 0}, design},
      {std::nullopt, 0, false, {0, 0, 0, 0, 0}, design},
  };
  for (const Case& c : cases) {
    TestGame game;
    game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"NORMAL", U"FLAG<A=1>", U"NORMAL", U"END"});
    if (c.file) game.write_lines("Debug.gst", *c.file);
    Engine engine(game, U"DEBUG");
    const Form1& form = engine.start().form();
    SCOPED_TRACE(c.file ? to_utf8(c.file->at(0)) + ", " + std::to_string(c.file->size()) + " lines" : "none");
    EXPECT_FALSE(engine.ended()) << "the debug file never ends the game";
    EXPECT_EQ(form.Line_No, c.line_no);
    EXPECT_EQ(form.waku.Visible, c.frame);
    EXPECT_EQ(std::vector<int>(form.Flags.begin(), form.Flags.begin() + 5), c.flags);
    Texts captions;
    for (const Label& label : form.Flag_Label) captions.push_back(label.Caption);
    captions.push_back(form.Page_Label.Caption);
    captions.push_back(form.Type_Label.Caption);
    EXPECT_EQ(captions, c.captions);
  }
}

}  // namespace
}  // namespace tw::test
