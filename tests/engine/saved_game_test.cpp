#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/sqlite_store.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

Record record(std::u32string type, std::u32string line = U"") { return {type, {}, {}, {}, {}, {line}}; }

class Saves : public ::testing::Test {
 protected:
  Engine& start(const std::vector<Record>& records) {
    game.write_lines("scene/main.gst", TestGame::settings({{0, U"保存テスト"}}));
    game.write_lines("scene/scene1.gst", TestGame::scene_of(records));
    engine = std::make_unique<Engine>(game);
    return engine->start().wait(100);
  }
  // `clicks` clicks on the window, the first on `first`.
  Engine& step(int clicks = 1, ControlId first = ControlId::Window) {
    for (int i = 0; i < clicks; ++i) engine->click(i == 0 ? first : ControlId::Window).wait(100);
    return *engine;
  }
  Engine& play(int steps) { return step(steps + 1, ControlId::image1); }  // past the title picture first
  Engine& menu(const char* item) { return engine->click(ControlId::image1, 0, kRightButton).choose(item); }
  bool traced(std::string_view text) const { return engine->trace().find(text) != std::string::npos; }
  SqliteStore store() const { return SqliteStore(default_settings_file()); }
  Text stored(const char32_t* key) const { return store().read(U"Tallowind", U"保存テスト", key, U"none"); }
  TestGame game;
  std::unique_ptr<Engine> engine;
};

TEST_F(Saves, ASaveRecordStoresItsRecordFlagsAndScene) {
  start({record(U"NORMAL"), record(U"FLAG<A=-1>"), record(U"SAVE"), record(U"NORMAL"), record(U"END")});
  EXPECT_EQ(play(2).form().Line_No, 3);
  EXPECT_EQ((std::vector<Text>{stored(U"save"), stored(U"A"), stored(U"Z"), stored(U"scene")}),
            (std::vector<Text>{U"2", U"-1", U"0", U"1"}));
  EXPECT_TRUE(std::filesystem::exists(game.data_home() / "tallowind"));
}

TEST_F(Saves, ALoadRecordResumesAfterTheSavedRecord) {
  start({record(U"NORMAL"), record(U"FLAG<B=7>"), record(U"NORMAL"), record(U"SAVE", U"保存"),
         record(U"NORMAL", U"四"), record(U"FLAG<B=1>"), record(U"LOAD"), record(U"END")});
  EXPECT_EQ(play(3).form().Line_No, 4);
  EXPECT_EQ(step(2).form().Flags[1], 1);
  const Form1& form = step().form();  // the nested step presents the SAVE record, this step the next one
  EXPECT_EQ(std::tuple(form.Flags[1], form.Line_No, form.Message[0].Caption, form.save.Enabled,
                       form.save.Visible, form.Timer1.Interval),
            std::tuple(7, 4, Text(U"四"), true, false, 800));
  EXPECT_EQ(menu("Load").form().Line_No, 3) << "a load after a load's nested step is no nested load";
  EXPECT_FALSE(engine->ended());
}

TEST_F(Saves, LoadingWithoutASavedGameShowsTheTitle) {
  start({record(U"NORMAL"), record(U"NORMAL"), record(U"END")});
  play(1);
  const Form1& form = menu("Load").form();
  EXPECT_EQ(std::tuple(form.Line_No, form.waku.Visible, form.Scene_No), std::tuple(0, false, 1));
}

constexpr std::string_view kLoadFailure =
    R"("error":"セーブデータの読みこみに失敗しました。","title":"エラーの発生")";

// A value that is no 16-bit number, and a saved record whose record before
// is a LOAD record: the load's own step would load again without end.
TEST_F(Saves, ALoadThatCannotResumeFails) {
  start({record(U"NORMAL"), record(U"END")});
  store().write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"C", U"40000"}});
  menu("Load");
  EXPECT_TRUE(traced(kLoadFailure)) << engine->trace();
  EXPECT_TRUE(engine->ended());

  const std::vector<Record> records{record(U"NORMAL"), record(U"LOAD"), record(U"SAVE"), record(U"END")};
  for (const bool from_menu : {true, false}) {
    SCOPED_TRACE(from_menu ? "from the menu" : "from a LOAD record");
    store().write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"C", U"0"}});
    start(records);
    if (from_menu) {
      menu("Load");
    } else {
      play(1);
    }
    EXPECT_TRUE(traced(kLoadFailure)) << engine->trace();
    EXPECT_TRUE(engine->ended());
  }
}

TEST_F(Saves, ADamagedStoreFailsTheSaveAndIsLeftAsItWas) {
  const std::filesystem::path file = default_settings_file();
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << std::string(4096, 'x');
  start({record(U"NORMAL"), record(U"SAVE"), record(U"END")});
  play(1);
  EXPECT_TRUE(traced(R"("error":"フラグの値保存時に原因不明のエラーが発生しました。")")) << engine->trace();
  std::ifstream in(file, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(4096, 'x'));
}

TEST_F(Saves, DebugModeAppliesTheDebugFileOverTheLoadedGame) {
  game.write_debug_game(TestGame::settings({{0, U"保存テスト"}}), {U"NORMAL", U"NORMAL", U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"9", U"0", U"0", U"0", U"0"});
  store().write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"A", U"4"}, {U"F", U"6"}});
  engine = std::make_unique<Engine>(game, U"DEBUG");
  engine->start().wait(100);
  const Form1& form = menu("Load").form();
  EXPECT_EQ(std::tuple(form.Flags[0], form.Flags[5], form.Line_No), std::tuple(9, 6, 2))
      << "A from the debug file, F (after E) from the save, the debug start record 1 then one step";

  // The step from a debug start record that is a LOAD record would load again.
  game.write_debug_game(TestGame::settings({{0, U"保存テスト"}}), {U"NORMAL", U"LOAD", U"NORMAL", U"END"});
  engine = std::make_unique<Engine>(game, U"DEBUG");
  engine->start().wait(100).click(ControlId::Window).wait(100);
  EXPECT_TRUE(traced(kLoadFailure)) << engine->trace();
  EXPECT_TRUE(engine->ended());
}

}  // namespace
}  // namespace tw::test
