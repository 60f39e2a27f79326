// Saving and loading a game through SAVE and LOAD records and the menu, on
// the real per-user store.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sqlite_store.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

Record record(std::u32string type, std::u32string line = U"") {
  Record r;
  r.type = std::move(type);
  r.lines[0] = std::move(line);
  return r;
}

class Saves : public ::testing::Test {
 protected:
  Engine& start(const std::vector<Record>& records, std::u32string name = U"tallowind") {
    game.write_lines("scene/main.gst", TestGame::settings({{0, U"保存テスト"}}));
    game.write_lines("scene/scene1.gst", TestGame::scene_of(records));
    engine = std::make_unique<Engine>(game, std::move(name));
    return engine->start().wait(100);
  }
  Engine& step() { return engine->click(ControlId::Window).wait(100); }
  Engine& menu(const char* item) { return engine->click(ControlId::image1, 0, kRightButton).choose(item); }
  Text stored(const char32_t* key) {
    return SqliteStore(default_settings_file()).read(U"Tallowind", U"保存テスト", key, U"none");
  }

  TestGame game;
  std::unique_ptr<Engine> engine;
};

TEST_F(Saves, ASaveRecordStoresItsRecordFlagsAndScene) {
  start({record(U"NORMAL"), record(U"FLAG<A=-1>"), record(U"SAVE"), record(U"NORMAL"), record(U"END")});
  engine->click(ControlId::image1).wait(100);
  step();
  step();
  EXPECT_EQ(engine->form().Line_No, 3);
  EXPECT_EQ(stored(U"save"), U"2");
  EXPECT_EQ(stored(U"A"), U"-1");
  EXPECT_EQ(stored(U"Z"), U"0");
  EXPECT_EQ(stored(U"scene"), U"1");
  EXPECT_TRUE(std::filesystem::exists(game.data_home() / "tallowind"));
}

TEST_F(Saves, ALoadRecordResumesAfterTheSavedRecord) {
  start({record(U"NORMAL"), record(U"FLAG<B=7>"), record(U"NORMAL"), record(U"SAVE", U"保存"),
         record(U"NORMAL", U"四"), record(U"FLAG<B=1>"), record(U"LOAD"), record(U"END")},
        U"tallowind");
  engine->click(ControlId::image1).wait(100);
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(engine->form().Line_No, 4);
  for (int i = 0; i < 2; ++i) step();
  EXPECT_EQ(engine->form().Flags[1], 1);
  step();
  Form1& form = engine->form();
  EXPECT_EQ(form.Flags[1], 7);
  EXPECT_EQ(form.Line_No, 4) << "the nested step presents the SAVE record, this step the next one";
  EXPECT_EQ(form.Message[0].Caption, U"四");
  EXPECT_TRUE(form.save.Enabled);
  EXPECT_FALSE(form.save.Visible);
  EXPECT_EQ(form.Timer1.Interval, 800);
}

TEST_F(Saves, LoadingWithoutASavedGameShowsTheTitle) {
  start({record(U"NORMAL"), record(U"NORMAL"), record(U"END")});
  engine->click(ControlId::image1).wait(100);
  step();
  menu("Load");
  Form1& form = engine->form();
  EXPECT_EQ(form.Line_No, 0);
  EXPECT_FALSE(form.waku.Visible);
  EXPECT_EQ(form.Scene_No, 1);
}

TEST_F(Saves, LoadingAValueThatIsNoSixteenBitNumberFails) {
  start({record(U"NORMAL"), record(U"END")});
  SqliteStore(default_settings_file()).write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"C", U"40000"}});
  menu("Load");
  EXPECT_NE(engine->trace().find(R"("error":"セーブデータの読みこみに失敗しました。","title":"エラーの発生")"),
            std::string::npos)
      << engine->trace();
  EXPECT_TRUE(engine->ended());
}

TEST_F(Saves, ADamagedStoreFailsTheSaveAndIsLeftAsItWas) {
  const std::filesystem::path file = default_settings_file();
  std::filesystem::create_directories(file.parent_path());
  const std::string garbage(4096, 'x');
  std::ofstream(file, std::ios::binary) << garbage;
  start({record(U"NORMAL"), record(U"SAVE"), record(U"END")});
  engine->click(ControlId::image1).wait(100);
  step();
  EXPECT_NE(engine->trace().find(R"("error":"フラグの値保存時に原因不明のエラーが発生しました。")"),
            std::string::npos)
      << engine->trace();
  std::ifstream in(file, std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, garbage);
}

TEST_F(Saves, DebugModeAppliesTheDebugFileOverTheLoadedGame) {
  game.write_debug_game(TestGame::settings({{0, U"保存テスト"}}), {U"NORMAL", U"NORMAL", U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"9", U"0", U"0", U"0", U"0"});
  SqliteStore(default_settings_file())
      .write_all(U"Tallowind", U"保存テスト", {{U"save", U"2"}, {U"A", U"4"}, {U"F", U"6"}});
  engine = std::make_unique<Engine>(game, U"DEBUG");
  engine->start().wait(100);
  menu("Load");
  Form1& form = engine->form();
  EXPECT_EQ(form.Flags[0], 9) << "the debug file's flag A";
  EXPECT_EQ(form.Flags[5], 6) << "flags after E come from the saved game";
  EXPECT_EQ(form.Line_No, 2) << "the debug file's start record 1, then one step";
}

}  // namespace
}  // namespace tw::test
