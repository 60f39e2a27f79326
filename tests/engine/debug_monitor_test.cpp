// The debug file's start record and flags, and the debug labels.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

class DebugFile : public ::testing::Test {
 protected:
  DebugFile() { game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"FLAG<A=1>", U"NORMAL", U"END"}); }

  Form1& start_with(const std::vector<std::u32string>& debug_lines) {
    game.write_lines("Debug.gst", debug_lines);
    engine.start();
    return engine.form();
  }

  TestGame game;
  Engine engine{game, U"DEBUG"};
};

std::vector<std::u32string> captions(const Form1& form) {
  std::vector<std::u32string> out;
  for (const Label& label : form.Flag_Label) out.push_back(label.Caption);
  out.push_back(form.Page_Label.Caption);
  out.push_back(form.Type_Label.Caption);
  return out;
}

const std::vector<std::u32string> kDesignCaptions = {U"A=0", U"B=0", U"C=0", U"D=0", U"E=0", U"0", U"TITLE"};

TEST_F(DebugFile, StartsAtItsRecordWithItsFlags) {
  Form1& form = start_with({U"2", U"1", U"-2", U"3", U"4", U"5", U"unused"});
  ASSERT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(form.Line_No, 2);
  EXPECT_TRUE(form.waku.Visible);
  EXPECT_EQ(form.Flags[0], 1);
  EXPECT_EQ(form.Flags[1], -2);
  EXPECT_EQ(form.Flags[4], 5);
  EXPECT_EQ(captions(form),
            (std::vector<std::u32string>{U"A=1", U"B=-2", U"C=3", U"D=4", U"E=5", U"2", U"NORMAL"}));
}

TEST_F(DebugFile, KeepsTheTitleAndItsHiddenFrameAtRecordZero) {
  Form1& form = start_with({U"0", U"0", U"0", U"0", U"0", U"0"});
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_FALSE(form.waku.Visible);
  EXPECT_EQ(form.Page_Label.Caption, U"TITLE");
  EXPECT_EQ(form.Type_Label.Caption, U"NORMAL");
}

TEST_F(DebugFile, ShowsFlagTextsAsWrittenUntilTheMonitorRefreshes) {
  Form1& form = start_with({U"1", U" 7 ", U"0", U"0", U"0", U"0"});
  EXPECT_EQ(form.Flags[0], 7);
  EXPECT_EQ(form.Flag_Label[0].Caption, U"A= 7 ");
}

TEST_F(DebugFile, StopsAtTheFirstLineThatIsNoNumberKeepingWhatCameBefore) {
  Form1& form = start_with({U"3", U"4", U"many", U"1", U"1", U"1"});
  EXPECT_FALSE(engine.ended()) << "the debug file never ends the game";
  EXPECT_EQ(form.Line_No, 3);
  EXPECT_TRUE(form.waku.Visible);
  EXPECT_EQ(form.Flags[0], 4);
  EXPECT_EQ(form.Flags[1], 0);
  const std::vector<std::u32string> expected = {U"A=4", U"B=0", U"C=0", U"D=0", U"E=0", U"0", U"TITLE"};
  EXPECT_EQ(captions(form), expected);
}

TEST_F(DebugFile, AppliesNothingOfAFileOfEightLines) {
  Form1& form = start_with({U"2", U"1", U"1", U"1", U"1", U"1", U"1", U"1"});
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_EQ(form.Flags[0], 0);
  EXPECT_FALSE(form.waku.Visible);
  EXPECT_EQ(captions(form), kDesignCaptions);
}

TEST(DebugMode, StartsAtTheTitleWithoutADebugFile) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  Engine engine(game, U"DEBUG");
  Form1& form = engine.start().form();
  ASSERT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_EQ(captions(form), kDesignCaptions);
}

TEST(DebugMode, IgnoresTheDebugFileInNormalMode) {
  TestGame game;
  game.write_normal_game(TestGame::settings({}), {U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"5", U"5", U"5", U"5", U"5"});
  Engine engine(game);
  Form1& form = engine.start().form();
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_EQ(form.Flags[0], 0);
}

}  // namespace
}  // namespace tw::test
