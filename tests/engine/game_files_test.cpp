// Reading the packed scene files of normal mode and the per-record files of
// debug mode into the list stores, and what makes start-up fail.
#include <gtest/gtest.h>

#include <tuple>

#include "support/test_game.h"

namespace tw::test {
namespace {

// Which store each field of a record fills is in the tests that play them.
TEST(SceneFile, ReadsTheRecordCountOrFailsStartUp) {
  std::vector<std::u32string> cut = TestGame::scene_of({record(), record(U"END")}), two = cut;
  cut.pop_back();  // even a skipped closing line must be there
  two[1] = U"any comment";
  two.back() = U"closing text";
  two.push_back(U"lines after the last record are not read");
  const std::tuple<const char*, std::vector<std::u32string>, int> cases[] = {
      {"one record", TestGame::scene_of({record(U"END")}), 1},
      {"comments, closing texts and lines after the last record", two, 2},
      {"a negative count", {U" -1 "}, 0},
      {"count is no number", {U"two"}, -1},
      {"count is empty", {U""}, -1},
      {"count past the record counter", {U"32767"}, -1},
      {"count past 16 bits", {U"40000"}, -1},
      {"file ends inside the last record", cut, -1},
  };
  for (const auto& [why, lines, records] : cases) {
    TestGame game;
    game.write_lines("scene/main.gst", TestGame::settings({}));
    game.write_lines("scene/scene1.gst", lines);
    Engine engine(game);
    engine.start();
    EXPECT_EQ(engine.failed(), records < 0) << why << "\n" << engine.trace();
    if (records >= 0) {
      EXPECT_EQ(engine.form().GAME_List.count(), records) << why;
    }
  }
}

// Line k of a file fills line k of its store; an empty file fits, and so do
// 32767 lines, but not one more.
TEST(GameFiles, ReadsTheNineFilesIntoTheirStoresUpTo32767Lines) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"NORMAL", U"END"});
  game.write_lines("message/message3.gst", {U"三", U"行目"});
  game.write_lines("image/image.gst", {U"a.bmp<0,0>"});
  game.write_bmp("image/a.bmp", Image(4, 4));
  game.write_bytes("wave/wave.gst", "");
  std::string lines;
  for (int i = 0; i < 32767; ++i) lines += "x\r\n";
  game.write_bytes("midi/midi.gst", lines);
  Engine engine(game, U"DEBUG");
  Form1& form = engine.start().form();
  ASSERT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(std::tuple(form.GAME_List.count(), form.image_list.count(), form.Wav_List.count(),
                       form.Midi_List.count(), form.Message_List[2].line(1), form.image_list.line(2)),
            std::tuple(3, 1, 0, 32767, Text(U"行目"), Text(U"")));
  EXPECT_EQ(form.sub_Image_List.count(), 0) << "image2.gst is read only with the sub window on";

  game.write_bytes("midi/midi.gst", lines + "x");
  Engine too_many(game, U"DEBUG");
  EXPECT_TRUE(too_many.start().failed());
}

TEST(GameFiles, FailsWhenAnyRequiredFileIsMissing) {
  for (const char* file : {"main.gst", "game.gst", "message/message4.gst", "image/image.gst", "wave/wave.gst",
                           "midi/midi.gst", "image2/image2.gst"}) {
    for (const std::u32string sub_window : {U"Sub_Window=ON", U"Sub_Window=ON "}) {
      TestGame game;
      game.write_debug_game(TestGame::settings({{10, sub_window}}), {U"END"});
      std::filesystem::remove(game.root() / file);
      Engine engine(game, U"DEBUG");
      engine.start();
      const bool needed = std::string(file) != "image2/image2.gst" || sub_window == U"Sub_Window=ON";
      EXPECT_EQ(engine.failed(), needed) << file << " " << to_utf8(sub_window);
      if (needed && sub_window == U"Sub_Window=ON") {
        EXPECT_NE(engine.trace().find(std::filesystem::path(file).filename().string()), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace tw::test
