// Moving to the next scene file, returning to the title, the text modes and
// the end of the game, through clicks and the menu.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

Record record(std::u32string type, std::u32string image = U"", std::u32string line = U"") {
  Record r;
  r.type = std::move(type);
  r.image = std::move(image);
  r.lines[0] = std::move(line);
  return r;
}

class Scenes : public ::testing::Test {
 protected:
  Scenes() {
    game.write_lines("scene/main.gst", TestGame::settings({}));
    game.write_bmp("image/a.bmp", solid(8, 8, 0x112233));
    game.write_bmp("image/b.bmp", solid(8, 8, 0x445566));
  }
  Engine& step() { return engine.click(ControlId::Window).wait(100); }

  TestGame game;
  Engine engine{game};
};

TEST_F(Scenes, NextFileLoadsTheNextSceneWithoutPresentingItsFirstRecord) {
  game.write_lines("scene/scene1.gst",
                   TestGame::scene_of({record(U"NORMAL"), record(U"NEXT_FILE", U"a.bmp<0,0>"), record(U"END"),
                                       record(U"END"), record(U"END")}));
  game.write_lines("scene/scene2.gst",
                   TestGame::scene_of({record(U"NORMAL", U"b.bmp<0,0>"), record(U"NORMAL", U"", U"二の一")}));
  engine.start().wait(100).click(ControlId::image1).wait(100);
  Form1& form = engine.form();
  step();
  EXPECT_EQ(form.Scene_No, 2);
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_EQ(form.Main_Image_Name, U"a.bmp<0,0>") << "nothing of the new scene is drawn";
  EXPECT_EQ(form.image1.surface.at(0, 0), 0x112233u);
  EXPECT_EQ(form.image_list.count(), 2);
  EXPECT_EQ(form.GAME_List.count(), 5) << "type lines past the shorter scene stay";
  EXPECT_EQ(form.GAME_List.line(4), U"END");
  step();
  EXPECT_EQ(form.Line_No, 1);
  EXPECT_EQ(form.Message[0].Caption, U"二の一");
}

TEST_F(Scenes, NextFileInDebugModeStopsTheScene) {
  game.write_debug_game(TestGame::settings({{12, U"c.wav"}}), {U"NORMAL", U"NEXT_FILE", U"END"});
  Engine debug(game, U"DEBUG");
  debug.start().wait(100).click(ControlId::image1).wait(100);
  debug.click(ControlId::Window).wait(100);
  EXPECT_EQ(debug.form().Line_No, 1);
  EXPECT_EQ(debug.form().Message[4].Caption, U"▼");
  EXPECT_EQ(debug.form().Timer1.Interval, 0);
  const std::size_t clicks = debug.trace().rfind("play Click");
  debug.click(ControlId::Window).wait(100);
  EXPECT_GT(debug.trace().rfind("play Click"), clicks) << "unlike END, the click sound plays";
  EXPECT_EQ(debug.form().Line_No, 1);
}

TEST_F(Scenes, ReturnsToTheTitleWithTheFlagsCleared) {
  game.write_lines("scene/scene1.gst", TestGame::scene_of({record(U"NORMAL"), record(U"FLAG<Z=3>"),
                                                           record(U"NORMAL"), record(U"END")}));
  engine.start().wait(100).click(ControlId::image1).wait(100);
  step();
  Form1& form = engine.form();
  EXPECT_EQ(form.Flags[25], 3);
  engine.click(ControlId::Window, 0, kRightButton).choose("RESTART");
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_EQ(form.Flags[25], 0);
  EXPECT_FALSE(form.waku.Visible);
  EXPECT_FALSE(form.RESTART.Enabled);
  EXPECT_EQ(form.Timer1.Interval, 500);
  engine.click(ControlId::image1, 0, kRightButton).choose("RESTART");
  EXPECT_NE(engine.trace().find(R"("choose":"RESTART","taken":false)"), std::string::npos)
      << "disabled at the title";
}

TEST_F(Scenes, KeepsExactlyOneTextModeChecked) {
  game.write_lines("scene/scene1.gst", TestGame::scene_of({record(U"END")}));
  engine.start();
  Form1& form = engine.form();
  for (const char* item :
       {"Message_Mode", "Message_Mode_standard", "Message_Mode_standard", "Message_Mode"}) {
    engine.click(ControlId::image1, 0, kRightButton).choose(item);
    const bool standard = std::string(item) == "Message_Mode_standard";
    EXPECT_EQ(form.Message_Mode_standard.Checked, standard) << item;
    EXPECT_EQ(form.Message_Mode.Checked, !standard) << item;
  }
}

TEST_F(Scenes, EndsTheGameFromTheMenuAfterClosingTheChannels) {
  game.write_lines("scene/scene1.gst", TestGame::scene_of({record(U"END")}));
  engine.start().click(ControlId::image1, 0, kRightButton).choose("END_GAME");
  EXPECT_TRUE(engine.ended());
  const std::string trace = engine.trace();
  EXPECT_TRUE(trace.ends_with(R"({"t":0,"mci":"close midi","rc":263,"reply":""})"
                              "\n"
                              R"({"t":0,"mci":"close wav","rc":263,"reply":""})"
                              "\n"
                              R"({"t":0,"mci":"close Click","rc":263,"reply":""})"
                              "\n"
                              R"({"t":0,"end":"END_GAME"})"
                              "\n"))
      << trace;
}

}  // namespace
}  // namespace tw::test
