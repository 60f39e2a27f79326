// Saving and loading through SAVE and LOAD records and the menu, moving to
// the next scene file, returning to the title, the text modes and the end of
// the game.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/sqlite_store.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

constexpr char32_t kLoadFailure[] = U"セーブデータの読みこみに失敗しました。";

class Saves : public ::testing::Test {
 protected:
  Engine& start(const std::vector<Record>& records, std::u32string name = U"tallowind") {
    if (!records.empty()) game.write_scene(records, {{0, U"保存テスト"}});
    engine = std::make_unique<Engine>(game, std::move(name));
    return engine->start().wait(100);
  }
  // Past the title, then `steps` clicks on the window.
  Engine& play(int steps) {
    engine->begin();
    for (int i = 0; i < steps; ++i) engine->step();
    return *engine;
  }
  SqliteStore store() const { return SqliteStore(default_settings_file()); }
  Text stored(const char32_t* key) const { return store().read(U"Tallowind", U"保存テスト", key, U"none"); }
  TestGame game;
  std::unique_ptr<Engine> engine;
};

// One play-through: a load before any save, a SAVE record, a LOAD record and
// a load from the menu after it, and the return to the title.
TEST_F(Saves, ASaveRecordStoresTheGameThatLoadsResumeAfterTheSavedRecord) {
  start({record(), record(U"FLAG<B=-7>"), record(), record(U"SAVE", U"保存"), record(U"NORMAL", U"四"),
         record(U"FLAG<B=1>"), record(U"LOAD"), record(U"END")});
  Form1& form = play(0).menu("Load").form();
  EXPECT_EQ(std::tuple(form.Line_No, form.waku.Visible, form.Scene_No), std::tuple(0, false, 1));
  EXPECT_EQ(play(3).form().Line_No, 4);
  EXPECT_EQ((std::vector<Text>{stored(U"save"), stored(U"B"), stored(U"Z"), stored(U"scene")}),
            (std::vector<Text>{U"3", U"-7", U"0", U"1"}));
  EXPECT_TRUE(std::filesystem::exists(game.data_home() / "tallowind"));
  EXPECT_EQ(engine->step().step().form().Flags[1], 1);
  engine->step();  // the nested step presents the SAVE record, this step the next one
  EXPECT_EQ(std::tuple(form.Flags[1], form.Line_No, form.Message[0].Caption, form.save.Enabled,
                       form.save.Visible, form.Timer1.Interval),
            std::tuple(-7, 4, Text(U"四"), true, false, 800));
  EXPECT_EQ(engine->menu("Load").form().Line_No, 3) << "a load after a load's nested step is no nested load";

  engine->click(ControlId::Window, 0, kRightButton).choose("RESTART");
  EXPECT_EQ(
      std::tuple(form.Line_No, form.Flags[1], form.waku.Visible, form.RESTART.Enabled, form.Timer1.Interval),
      std::tuple(0, 0, false, false, 500));
  engine->menu("RESTART");
  EXPECT_NE(engine->trace().find(R"("choose":"RESTART","taken":false)"), std::string::npos)
      << "disabled at the title";

  EXPECT_FALSE(engine->ended());
}

// A value that is no 16-bit number, and a saved record whose record before
// is a LOAD record: the load's own step would load again without end.
TEST_F(Saves, ALoadThatCannotResumeFails) {
  start({record(), record(U"END")});
  store().write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"C", U"40000"}});
  EXPECT_TRUE(engine->menu("Load").shows_error(kLoadFailure)) << engine->trace();
  EXPECT_TRUE(engine->ended());

  for (const bool from_menu : {true, false}) {
    SCOPED_TRACE(from_menu ? "from the menu" : "from a LOAD record");
    store().write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"C", U"0"}});
    start({record(), record(U"LOAD"), record(U"SAVE"), record(U"END")});
    from_menu ? engine->menu("Load") : play(1);
    EXPECT_TRUE(engine->shows_error(kLoadFailure)) << engine->trace();
    EXPECT_TRUE(engine->ended());
  }
}

TEST_F(Saves, DebugModeAppliesTheDebugFileOverTheLoadedGame) {
  game.write_debug_game(TestGame::settings({{0, U"保存テスト"}}), {U"NORMAL", U"NORMAL", U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"9", U"0", U"0", U"0", U"0"});
  store().write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"A", U"4"}, {U"F", U"6"}, {U"Z", U"8"}});
  const Form1& form = start({}, U"DEBUG").menu("Load").form();
  EXPECT_EQ(std::tuple(form.Flags[0], form.Flags[5], form.Flags[25], form.Line_No), std::tuple(9, 6, 8, 2))
      << "A from the debug file, F (after E) and Z from the save, the debug start record 1 then one step";
  // The step from a debug start record that is a LOAD record would load again.
  game.write_lines("game.gst", {U"NORMAL", U"LOAD", U"NORMAL", U"END"});
  EXPECT_TRUE(start({}, U"DEBUG").step().shows_error(kLoadFailure)) << engine->trace();
}

TEST_F(Saves, ADamagedStoreFailsTheSaveAndIsLeftAsItWas) {
  const std::filesystem::path file = default_settings_file();
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << std::string(4096, 'x');
  start({record(), record(U"SAVE"), record(U"END")});
  EXPECT_TRUE(play(1).shows_error(U"フラグの値保存時に原因不明のエラーが発生しました。")) << engine->trace();
  EXPECT_EQ(read_bytes(file), std::string(4096, 'x'));
}

TEST_F(Saves, NextFileLoadsTheNextSceneWithoutPresentingItsFirstRecord) {
  game.write_bmp("image/a.bmp", Image(8, 8, 0x112233));
  game.write_bmp("image/b.bmp", Image(8, 8, 0x445566));
  start({record(),
         {.type = U"NEXT_FILE", .image = U"a.bmp<0,0>"},
         record(U"END"),
         record(U"END"),
         record(U"END")});
  game.write_lines("scene/scene2.gst",
                   TestGame::scene_of({Record{.image = U"b.bmp<0,0>"}, record(U"NORMAL", U"二の一")}));
  Form1& form = play(1).form();
  // Nothing of the new scene is drawn; type lines past the shorter scene stay.
  EXPECT_EQ(std::tuple(form.Scene_No, form.Line_No, form.Main_Image_Name, form.image1.surface.at(0, 0),
                       form.image_list.count(), form.GAME_List.count(), form.GAME_List.line(4)),
            std::tuple(2, 0, Text(U"a.bmp<0,0>"), 0x112233u, 2, 5, Text(U"END")));
  engine->step();
  EXPECT_EQ(std::tuple(form.Line_No, form.Message[0].Caption), std::tuple(1, Text(U"二の一")));
}

TEST_F(Saves, NextFileInDebugModeStopsTheSceneButStillClicks) {
  game.write_debug_game(TestGame::settings({{12, U"c.wav"}}), {U"NORMAL", U"NEXT_FILE", U"END"});
  const Form1& form = start({}, U"DEBUG").begin().step().form();
  EXPECT_EQ(std::tuple(form.Line_No, form.Message[4].Caption, form.Timer1.Interval),
            std::tuple(1, Text(U"▼"), 0));
  const std::size_t clicks = engine->trace().rfind("play Click");
  engine->step();
  EXPECT_GT(engine->trace().rfind("play Click"), clicks) << "unlike END, the click sound plays";
  EXPECT_EQ(form.Line_No, 1);
}

TEST_F(Saves, TheMenuKeepsOneTextModeCheckedAndEndsTheGameAfterClosingTheChannels) {
  Form1& form = start({record(U"END")}).form();
  for (const char* item :
       {"Message_Mode", "Message_Mode_standard", "Message_Mode_standard", "Message_Mode"}) {
    engine->menu(item);
    const bool standard = std::string(item) == "Message_Mode_standard";
    EXPECT_EQ(form.Message_Mode_standard.Checked, standard) << item;
    EXPECT_EQ(form.Message_Mode.Checked, !standard) << item;
  }
  EXPECT_TRUE(engine->menu("END_GAME").ended());
  EXPECT_TRUE(engine->trace().ends_with(mci(100, "close midi", 263) + mci(100, "close wav", 263) +
                                        mci(100, "close Click", 263) + R"({"t":100,"end":"END_GAME"})" +
                                        "\n"))
      << engine->trace();
}

}  // namespace
}  // namespace tw::test
