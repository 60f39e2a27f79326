// Reading the packed scene files of normal mode and the per-record files of
// debug mode into the list stores, and what makes start-up fail.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

bool failed(const Engine& engine) { return engine.trace().find(R"("end":"failure")") != std::string::npos; }

TEST(SceneFile, FillsEveryStoreRecordByRecord) {
  TestGame game;
  game.write_lines("scene/main.gst", TestGame::settings({}));
  game.write_lines("scene/scene1.gst", {U"1",
                                        U"any comment",
                                        U"NORMAL",
                                        U"room.bmp<0,0>",
                                        U"face.bmp",
                                        U"a.wav",
                                        U"a.mid",
                                        U"一行目",
                                        U"二行目",
                                        U"三行目",
                                        U"四行目",
                                        U"",
                                        U"",
                                        U"END",
                                        U"",
                                        U"",
                                        U"",
                                        U"",
                                        U"",
                                        U"",
                                        U"",
                                        U"最後",
                                        U"closing text",
                                        U"lines after the last record are not read"});
  game.write_bmp("image/room.bmp", solid(4, 4, 0));
  Engine engine(game);
  Form1& form = engine.start().form();
  ASSERT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(form.GAME_List.count(), 2);
  EXPECT_EQ(form.GAME_List.line(1), U"END");
  EXPECT_EQ(form.image_list.line(0), U"room.bmp<0,0>");
  EXPECT_EQ(form.sub_Image_List.line(0), U"face.bmp") << "sub entries are read whatever line 10 says";
  EXPECT_EQ(form.Wav_List.line(0), U"a.wav");
  EXPECT_EQ(form.Midi_List.line(0), U"a.mid");
  EXPECT_EQ(form.Message_List[2].line(0), U"三行目");
  EXPECT_EQ(form.Message_List[3].line(1), U"最後");
  EXPECT_EQ(form.Main_List.line(0), U"テストゲーム");
}

TEST(SceneFile, ReadsAZeroRecordAndANegativeCountAsNoRecord) {
  TestGame game;
  game.write_lines("scene/main.gst", TestGame::settings({}));
  game.write_lines("scene/scene1.gst", TestGame::scene({U"END"}));
  Engine one(game);
  EXPECT_EQ(one.start().form().GAME_List.count(), 1);

  game.write_lines("scene/scene1.gst", {U" -1 "});
  Engine none(game);
  none.start();
  EXPECT_FALSE(none.ended()) << none.trace();
  EXPECT_EQ(none.form().GAME_List.count(), 0);
}

TEST(SceneFile, FailsStartUpOnEveryMalformedFile) {
  struct Case {
    const char* why;
    std::vector<std::u32string> lines;
  };
  std::vector<std::u32string> cut = TestGame::scene({U"NORMAL", U"END"});
  cut.pop_back();  // even a skipped closing line must be there
  const std::vector<Case> cases = {
      {"count is no number", {U"two"}},
      {"count is empty", {U""}},
      {"count past the record counter", {U"32767"}},
      {"count past 16 bits", {U"40000"}},
      {"file ends inside the last record", cut},
  };
  for (const Case& c : cases) {
    TestGame game;
    game.write_lines("scene/main.gst", TestGame::settings({}));
    game.write_lines("scene/scene1.gst", c.lines);
    Engine engine(game);
    engine.start();
    EXPECT_TRUE(failed(engine)) << c.why << "\n" << engine.trace();
  }
}

TEST(GameFiles, ReadsTheNineFilesIntoTheirStores) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"NORMAL", U"END"});
  game.write_lines("message/message3.gst", {U"三", U"行目"});
  game.write_lines("image/image.gst", {U"a.bmp<0,0>"});
  game.write_bmp("image/a.bmp", solid(4, 4, 0));
  Engine engine(game, U"DEBUG");
  Form1& form = engine.start().form();
  ASSERT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(form.GAME_List.count(), 3);
  EXPECT_EQ(form.Message_List[2].line(1), U"行目") << "message3.gst fills the third store";
  EXPECT_EQ(form.image_list.count(), 1);
  EXPECT_EQ(form.image_list.line(2), U"") << "shorter files read as empty lines";
  EXPECT_EQ(form.sub_Image_List.count(), 0) << "image2.gst is read only with the sub window on";
}

TEST(GameFiles, NeedsImage2OnlyWithTheSubWindow) {
  TestGame game;
  game.write_debug_game(TestGame::settings({{10, U"Sub_Window=ON "}}), {U"END"});
  std::filesystem::remove(game.root() / "image2/image2.gst");
  Engine off(game, U"DEBUG");
  off.start();
  EXPECT_FALSE(off.ended()) << off.trace();

  game.write_lines("main.gst", TestGame::settings({{10, U"Sub_Window=ON"}}));
  Engine on(game, U"DEBUG");
  on.start();
  EXPECT_TRUE(failed(on));
  EXPECT_NE(on.trace().find("image2.gst"), std::string::npos);
}

TEST(GameFiles, FailsWhenAnyRequiredFileIsMissing) {
  for (const char* file : {"main.gst", "game.gst", "message/message4.gst", "image/image.gst", "wave/wave.gst",
                           "midi/midi.gst"}) {
    TestGame game;
    game.write_debug_game(TestGame::settings({}), {U"END"});
    std::filesystem::remove(game.root() / file);
    Engine engine(game, U"DEBUG");
    engine.start();
    EXPECT_TRUE(failed(engine)) << file;
  }
}

TEST(GameFiles, AcceptsEmptyFilesAndRefusesMoreThan32767Lines) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"END"});
  game.write_bytes("wave/wave.gst", "");
  Engine empty(game, U"DEBUG");
  empty.start();
  EXPECT_FALSE(empty.ended()) << empty.trace();

  std::string lines;
  for (int i = 0; i < 32767; ++i) lines += "x\r\n";
  game.write_bytes("midi/midi.gst", lines);
  Engine most(game, U"DEBUG");
  most.start();
  EXPECT_FALSE(most.ended()) << "32767 lines still fit";
  EXPECT_EQ(most.form().Midi_List.count(), 32767);

  game.write_bytes("midi/midi.gst", lines + "x");
  Engine too_many(game, U"DEBUG");
  too_many.start();
  EXPECT_TRUE(failed(too_many));
}

}  // namespace
}  // namespace tw::test
