// The step cycle through mouse clicks (step.cpp), the choices (choices.cpp)
// and the reveal of the text (reveal_and_mouse.cpp).
#include <gtest/gtest.h>

#include <tuple>

#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

constexpr char32_t kStepMessage[] =
    U"次のシーンの情報を読みこもうとしましたが原因不明のエラーが発生しました。";

// A normal-mode game of these records, started at its title.
class Play : public ::testing::Test {
 protected:
  Form1& start(const std::vector<Record>& records,
               std::initializer_list<std::pair<int, std::u32string>> settings = {}) {
    game.write_scene(records, settings);
    return engine.start().wait(100).form();
  }
  TestGame game;
  Engine engine{game};
};

// In standard mode one character a tick; a click completes the text without
// the click sound.
TEST_F(Play, TheTitleStartsWithALeftClickOnThePictureAndTheTextRevealsOneCharacterATick) {
  Form1& form = start({record(), record(U"NORMAL", U"abc"), record(U"NORMAL", U"次"), record(U"END")},
                      {{12, U"click.wav"}});
  EXPECT_FALSE(form.waku.Visible);
  engine.click(ControlId::Window).click(ControlId::image1, 0, kMiddleButton);
  EXPECT_EQ(form.Line_No, 0) << "the hidden window takes no clicks, the picture only the left button";
  engine.menu("Message_Mode_standard").click(ControlId::image1);
  for (const std::u32string caption : {U"", U"a", U"ab", U"abc", U"abc", U"abc"}) {
    EXPECT_EQ(std::tuple(engine.wait(30).form().Message[0].Caption, form.Text_Running),
              std::tuple(caption, -1));
  }
  engine.wait(30);
  EXPECT_EQ(std::tuple(form.Text_Running, form.Timer3.Interval), std::tuple(0, 0)) << "after seven ticks";
  EXPECT_EQ(std::tuple(form.waku.Visible, form.RESTART.Enabled, form.Line_No), std::tuple(true, true, 1));
  engine.begin();
  EXPECT_EQ(form.Line_No, 1) << "the picture steps only at the title";

  const std::size_t before = engine.trace().size();
  engine.click(ControlId::Window).wait(40);
  EXPECT_EQ(std::tuple(form.Line_No, form.Message[0].Caption), std::tuple(2, Text(U"")))
      << "nothing at the first tick";
  engine.click(ControlId::Window);
  EXPECT_EQ(std::tuple(form.Line_No, form.Message[0].Caption), std::tuple(2, Text(U"次")));
  EXPECT_EQ(engine.trace().find("close Click", before + 1), engine.trace().rfind("close Click"))
      << "one click sound, for the step, none for the completion";
  engine.click(ControlId::Message, 3, kMiddleButton).wait(100);
  EXPECT_EQ(form.Line_No, 3) << "the middle button and any label step too";
}

TEST_F(Play, MovesByEveryKindOfRecordAndStopsAtTheEnd) {
  Form1& form =
      start({record(), record(U"FLAG<A=5>"), record(U"FLAG<A+3>"), record(U"IF<A=8>......6>.......5>"),
             record(), record(U"bad line"), record(U"7"), record(), record(U"FLAG<a=1>"),
             record(U"IF<A?1>......10>.......10>"), record(U"NORMAL", U"最後"), record(U"END")},
            {{12, U"click.wav"}});
  engine.begin();
  EXPECT_EQ(form.Line_No, 1);
  const std::tuple<int, int, const char*> steps[] = {
      {2, 5, "FLAG ="},
      {3, 8, "FLAG +"},
      {6, 8, "the IF target is used as it is"},
      {8, 8, "a jump line n goes to n + 1"},
      {9, 8, "a lower-case letter changes no flag"},
      {0, 8, "an unknown operator sends the step to record 0"}};
  for (const auto& [line, flag, why] : steps) {
    engine.step();
    EXPECT_EQ(std::tuple(form.Line_No, form.Flags[0]), std::tuple(line, flag)) << why;
  }
  form.Line_No = 10;  // on to the end
  engine.step();
  EXPECT_EQ(std::tuple(form.Line_No, form.Message[4].Caption, form.Timer1.Interval),
            std::tuple(11, Text(U"▼"), 0));
  const std::size_t before = engine.trace().size();
  engine.step();
  EXPECT_EQ(form.Line_No, 11);
  EXPECT_EQ(engine.trace().find("Click", before), std::string::npos) << "END plays not even the click sound";
  EXPECT_FALSE(engine.ended());
}

// Each malformed type line, entry or picture fails the first step that meets it, on
// arriving at record 1 or on leaving it, with its procedure's message in one
// box. More, and what the checker says of them, are in check_test.
TEST_F(Play, FailsEachMalformedLineOrEntryWithItsMessage) {
  constexpr char32_t kFile[] = U"イメージファイル名の取得に失敗しました。";
  constexpr char32_t kPos[] = U"イメージファイルの表示位置取得に失敗しました。";
  constexpr char32_t kMain[] =
      U"メインイメージの表示に失敗しました。画像ファイルのフォーマットが適切かどうか確認してください";
  constexpr char32_t kSub[] = U"サブイメージの表示に失敗しました。画像のフォーマットを確認してください。";
  constexpr char32_t kFlag[] = U"フラグ操作に失敗しました。";
  const std::u32string long_name(32766, U'x');  // a "<" after it at 32767 has no step past it
  const std::u32string megabyte(1 << 20, U'あ');
  const std::pair<Record, const char32_t*> cases[] = {
      {{.type = U"COMMAND<1><2>"}, kStepMessage},
      {{.type = U"FLAG<A=x>"}, kFlag},
      {{.type = U"FLAG<A=40000>"}, kFlag},
      {{.type = U"FLAG<A=" + megabyte}, kFlag},
      {{.type = U"NORMAL" + megabyte}, kStepMessage},
      {{.type = U"IF<A=1>......2"}, U"フラグの分岐に失敗しました。"},
      {{.type = U"IF<A=0>......x>.......3>"}, kStepMessage},
      {{.type = U"IMAGE30"}, U"シーンタイプIMAGEの時間が取得できませんでした。"},
      {{.image = U"room.bmp"}, kFile},
      {{.image = long_name + U"x<1,2>"}, kFile},
      {{.image = megabyte + U"<0,0>"}, kFile},
      {{.image = long_name + U"<1,2>"}, kPos},
      {{.image = U"room.bmp<120,40"}, kPos},
      {{.image = U"room.bmp<1,32768>"}, kPos},
      {{.image = U"gone.bmp<0,0>"}, kMain},
      {{.image = U"SP_alone.bmp<0,0>"}, kMain},
      {{.image = U"cut.bmp<0,0>"}, kMain},
      {{.image = U"bad.bmp<0,0>"}, kMain},
      {{.sub = U"gone.bmp"}, kSub},
      {{.sub = U"SP_alone.bmp"}, kSub},
      {{.image = U"room.bmp", .sub = U"gone.bmp"}, kFile}};
  for (const auto& [line, message] : cases) {
    TestGame broken;
    broken.write_scene({record(), line, record(), record(U"END")}, {{10, U"Sub_Window=ON"}});
    for (auto path : {"image/SP_alone.bmp", "image2/SP_alone.bmp"}) broken.write_bmp(path, Image(4, 4));
    // A picture cut short, and one whose every byte is replaced.
    broken.write_bmp("image/cut.bmp", Image(64, 64));
    broken.write_bytes("image/cut.bmp", read_bytes(broken.root() / "image/cut.bmp").substr(0, 6000));
    broken.write_bytes("image/bad.bmp", std::string(6000, '\x7f'));
    Engine engine(broken);
    const std::string trace = engine.start().begin().step().trace();
    SCOPED_TRACE(to_utf8(line.type + line.image.substr(0, 20) + line.sub) + "\n" + trace);
    EXPECT_NE(trace.find(R"("error":")" + to_utf8(message) + R"(","title":"エラーの発生","detail":")"),
              std::string::npos);
    EXPECT_EQ(trace.find(R"("error")"), trace.rfind(R"("error")")) << "one box only";
    // The detail says where: the record that failed with its type line, cut
    // short, and a missing picture by its name.
    const std::size_t detail = trace.find(R"("detail":")");
    EXPECT_NE(trace.find("シーン 1、レコード 1「" + to_utf8(one_line(line.type, 60)), detail),
              std::string::npos);
    if ((message == kMain || message == kSub) && (line.image + line.sub).starts_with(U"gone")) {
      EXPECT_NE(trace.find("gone.bmp", detail), std::string::npos);
    }
    EXPECT_LT(trace.size() - detail, 1000u) << "a megabyte line is not repeated whole";
    EXPECT_TRUE(engine.ended());
  }
}

// The choice record is reached by an image run, which does not read its
// targets: the first click presents it again and reads them.
TEST_F(Play, TakesTheChoiceHighlightedLastAndKeepsTheLastTargetsForEmptyFields) {
  Record choice = record(U"COMMAND<0><6><0><0>");
  choice.lines = {U"・上", U"・下", U"", U""};
  Form1& form = start({record(), record(U"IMAGE<1>"), choice, record(), record(U"NORMAL", U"三"), record(),
                       record(U"COMMAND<5><><0><0>")});
  engine.begin().wait(200);
  EXPECT_EQ(std::tuple(form.Line_No, form.Choice_Wait), std::tuple(2, 0));
  engine.step();
  EXPECT_EQ(std::tuple(form.Line_No, form.Choice_Wait, form.Message[1].Caption),
            std::tuple(2, -1, Text(U"・下")))
      << "choices show whole at once";
  engine.step();
  EXPECT_EQ(form.Line_No, 2) << "the first choice, highlighted at first, is not offered";
  engine.move(1);
  EXPECT_EQ(std::tuple(form.Message[1].Back_Style, form.Message[1].ForeColor),
            std::tuple(BackStyle::Opaque, 0x00FFFFu));
  engine.move(2);
  EXPECT_EQ(form.Choice_Hover, 1) << "a choice that is not offered keeps the highlight";
  engine.click(ControlId::Message, 0).wait(100);
  // The highlighted choice, not the clicked label; choice 2's target is kept from the choices before.
  EXPECT_EQ(std::tuple(form.Line_No, form.Choice_Wait, form.Message[1].Back_Style, form.Choice_Jump[1]),
            std::tuple(6, -1, BackStyle::Transparent, 6));
  engine.step();
  EXPECT_EQ(form.Line_No, 6) << "choice 2 still leads to record 6";
}

}  // namespace
}  // namespace tw::test
