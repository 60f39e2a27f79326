// The step cycle through mouse clicks: every kind of record, the reveal, the
// choices and the failures of malformed lines.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

constexpr char32_t kStepMessage[] =
    U"次のシーンの情報を読みこもうとしましたが原因不明のエラーが発生しました。";

// A normal-mode game of these records; play starts with a click on the title.
class Play : public ::testing::Test {
 protected:
  Engine& start(const std::vector<Record>& records,
                std::initializer_list<std::pair<int, std::u32string>> settings = {}) {
    game.write_lines("scene/main.gst", TestGame::settings(settings));
    game.write_lines("scene/scene1.gst", TestGame::scene_of(records));
    engine.start().wait(100);
    return engine;
  }
  // One advancing click, and the reveal it starts runs out.
  Engine& step() { return engine.click(ControlId::Window).wait(100); }
  Engine& begin() { return engine.click(ControlId::image1).wait(100); }
  bool failed_with(const std::u32string& message) {
    return engine.trace().find("\"error\":\"" + to_utf8(message) + "\",\"title\":\"エラーの発生\"") !=
           std::string::npos;
  }

  TestGame game;
  Engine engine{game};
};

Record normal(std::u32string line = U"") {
  Record r;
  r.lines[0] = std::move(line);
  return r;
}

Record typed(std::u32string type) {
  Record r;
  r.type = std::move(type);
  return r;
}

TEST_F(Play, TheTitleStartsWithAClickOnThePictureAndTheWindowStepsOn) {
  start({normal(), normal(U"一"), normal(U"二"), typed(U"END")});
  Form1& form = engine.form();
  EXPECT_FALSE(form.waku.Visible);
  engine.click(ControlId::Window);
  EXPECT_EQ(form.Line_No, 0) << "the hidden window takes no clicks";
  begin();
  EXPECT_TRUE(form.waku.Visible);
  EXPECT_TRUE(form.RESTART.Enabled);
  EXPECT_EQ(form.Line_No, 1);
  EXPECT_EQ(form.Message[0].Caption, U"一");
  begin();
  EXPECT_EQ(form.Line_No, 1) << "the picture steps only at the title";
  engine.click(ControlId::Message, 3, kMiddleButton).wait(100);
  EXPECT_EQ(form.Line_No, 2) << "the middle button and any label step too";
}

TEST_F(Play, AClickDuringTheRevealOnlyCompletesItWithoutTheClickSound) {
  start({normal(), normal(U"abc"), normal(U"次")}, {{12, U"click.wav"}});
  begin();
  engine.click(ControlId::image1, 0, kRightButton).choose("Message_Mode_standard");
  const std::string before = engine.trace();
  engine.click(ControlId::Window).wait(40);
  EXPECT_EQ(engine.form().Line_No, 2);
  EXPECT_EQ(engine.form().Message[0].Caption, U"") << "standard mode: nothing at the first tick";
  engine.click(ControlId::Window);
  EXPECT_EQ(engine.form().Message[0].Caption, U"次");
  EXPECT_EQ(engine.form().Line_No, 2);
  EXPECT_EQ(engine.trace().find("close Click", before.size() + 1), engine.trace().rfind("close Click"))
      << "one click sound, for the step, none for the completion";
}

TEST_F(Play, RevealsOneCharacterATickInStandardMode) {
  start({normal(), normal(U"abc")});
  engine.click(ControlId::image1, 0, kRightButton).choose("Message_Mode_standard");
  engine.click(ControlId::image1);
  Form1& form = engine.form();
  const std::vector<std::u32string> expected = {U"", U"a", U"ab", U"abc", U"abc", U"abc"};
  for (const std::u32string& caption : expected) {
    engine.wait(30);
    EXPECT_EQ(form.Message[0].Caption, caption);
    EXPECT_EQ(form.Text_Running, -1);
  }
  engine.wait(30);
  EXPECT_EQ(form.Text_Running, 0) << "after seven ticks";
  EXPECT_EQ(form.Timer3.Interval, 0);
}

TEST_F(Play, MovesByEveryKindOfRecord) {
  start({normal(), typed(U"FLAG<A=5>"), typed(U"FLAG<A+3>"), typed(U"IF<A=8>......6>.......5>"), normal(),
         typed(U"bad line"), typed(U"7"), normal(), typed(U"FLAG<a=1>"), typed(U"IF<A?1>......1>.......1>")});
  Form1& form = engine.form();
  begin();
  EXPECT_EQ(form.Line_No, 1);
  step();
  EXPECT_EQ(form.Flags[0], 5);
  EXPECT_EQ(form.Line_No, 2);
  step();
  EXPECT_EQ(form.Flags[0], 8);
  step();
  EXPECT_EQ(form.Line_No, 6) << "the IF target is used as it is";
  step();
  EXPECT_EQ(form.Line_No, 8) << "a jump line n goes to n + 1";
  step();
  EXPECT_EQ(form.Line_No, 9) << "a lower-case letter changes no flag";
  EXPECT_EQ(form.Flags[0], 8);
  step();
  EXPECT_EQ(form.Line_No, 0) << "an unknown operator sends the step to record 0";
  EXPECT_FALSE(engine.ended());
}

TEST_F(Play, EndsTheSceneAtAnEndRecord) {
  start({normal(), normal(U"最後"), typed(U"END")}, {{12, U"click.wav"}});
  begin();
  step();
  Form1& form = engine.form();
  EXPECT_EQ(form.Line_No, 2);
  EXPECT_EQ(form.Message[4].Caption, U"▼");
  EXPECT_EQ(form.Timer1.Interval, 0);
  const std::string before = engine.trace();
  step();
  EXPECT_EQ(form.Line_No, 2);
  EXPECT_EQ(engine.trace().find("Click", before.size()), std::string::npos) << "not even the click sound";
}

TEST_F(Play, TakesTheChoiceHighlightedLast) {
  Record choice = typed(U"COMMAND<3><5><0><0>");
  choice.lines = {U"・上", U"・下", U"", U""};
  start({normal(), choice, normal(), normal(U"三"), normal(), normal(U"五")});
  begin();
  Form1& form = engine.form();
  EXPECT_EQ(form.Line_No, 1);
  EXPECT_EQ(form.Choice_Wait, -1);
  EXPECT_EQ(form.Message[1].Caption, U"・下") << "choices show whole at once";
  engine.move(1);
  EXPECT_EQ(form.Message[1].Back_Style, BackStyle::Opaque);
  EXPECT_EQ(form.Message[1].ForeColor, 0x00FFFFu);
  engine.move(2);
  EXPECT_EQ(form.Choice_Hover, 1) << "a choice that is not offered keeps the highlight";
  engine.click(ControlId::Message, 0).wait(100);
  EXPECT_EQ(form.Line_No, 5) << "the highlighted choice, not the clicked label";
  EXPECT_EQ(form.Choice_Wait, 0);
  EXPECT_EQ(form.Message[1].Back_Style, BackStyle::Transparent);
}

TEST_F(Play, KeepsATargetOfTheLastChoicesForAnEmptyField) {
  Record first = typed(U"COMMAND<2><3><0><0>");
  Record second = typed(U"COMMAND<><4><0><0>");
  start({normal(), first, second, normal(), normal()});
  begin();
  engine.move(0);
  step();
  EXPECT_EQ(engine.form().Line_No, 2);
  EXPECT_EQ(engine.form().Choice_Jump[0], 2) << "kept from the previous choices";
  step();
  EXPECT_EQ(engine.form().Line_No, 2) << "choice 1 still leads to record 2";
}

TEST_F(Play, FailsEachMalformedLineWithItsMessage) {
  struct Case {
    std::u32string type;
    std::u32string message;
  };
  const std::vector<Case> cases = {
      {U"normal", kStepMessage},
      {U"COMMAND<1><2>", kStepMessage},
      {U"COMMAND<1x><2><0><0>", kStepMessage},
      {U"FLAG<A+1", U"フラグ操作に失敗しました。"},
      {U"FLAG<A=x>", U"フラグ操作に失敗しました。"},
      {U"FLAG<A=40000>", U"フラグ操作に失敗しました。"},
      {U"IF<A=1>......2", U"フラグの分岐に失敗しました。"},
      {U"IF<A=x>......2>.......3>", U"フラグ式の判定に失敗しました。"},
      {U"IF<A=0>......x>.......3>", kStepMessage},
      {U"IMAGE30", U"シーンタイプIMAGEの時間が取得できませんでした。"},
      {U"IMAGE<>", U"シーンタイプIMAGEの時間が取得できませんでした。"},
  };
  for (const Case& c : cases) {
    TestGame game;
    Record leave = c.type.starts_with(U"COMMAND") || c.type.starts_with(U"IMAGE") ? normal() : typed(c.type);
    Record arrive = c.type.starts_with(U"COMMAND") || c.type.starts_with(U"IMAGE") ? typed(c.type) : normal();
    game.write_lines("scene/main.gst", TestGame::settings({}));
    game.write_lines("scene/scene1.gst", TestGame::scene_of({normal(), leave, arrive, normal()}));
    Engine engine(game);
    engine.start().wait(100).click(ControlId::image1).wait(100).click(ControlId::Window).wait(100);
    EXPECT_NE(engine.trace().find("\"error\":\"" + to_utf8(c.message) + "\""), std::string::npos)
        << to_utf8(c.type) << "\n"
        << engine.trace();
    EXPECT_TRUE(engine.ended());
  }
}

TEST_F(Play, LeavesAnUnreadChoiceRecordByPresentingItAgain) {
  Record image = typed(U"IMAGE<1>");
  Record choice = typed(U"COMMAND<1><0><0><0>");
  start({normal(), image, choice});
  begin();
  Form1& form = engine.form();
  engine.wait(200);
  EXPECT_EQ(form.Line_No, 2) << "the run made the choice record current";
  EXPECT_EQ(form.Choice_Wait, 0);
  step();
  EXPECT_EQ(form.Line_No, 2);
  EXPECT_EQ(form.Choice_Wait, -1) << "the first click reads the choices";
}

}  // namespace
}  // namespace tw::test
