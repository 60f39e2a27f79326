// Packing the per-record files into scene files: the packed game must read
// back exactly as the per-record files do in debug mode.
#include "pack/pack.h"

#include <gtest/gtest.h>

#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

class Pack : public ::testing::Test {
 protected:
  int pack(bool force = false) {
    out.str("");
    err.str("");
    return run_pack({game.root(), 1, force}, out, err);
  }

  TestGame game;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(Pack, ReadsBackToTheStoresOfTheDebugForm) {
  for (const bool sub_window : {false, true}) {
    SCOPED_TRACE(sub_window);
    game.write_debug_game(TestGame::settings({{10, sub_window ? U"Sub_Window=ON" : U"Sub_Window=OFF"}}),
                          {U"NORMAL", U"COMMAND<2><0><0><0>", U"END"});
    // Files of different lengths, a lone LF inside a line, bytes that are
    // not CP932, and a sub image file that only the sub window reads.
    game.write_lines("message/message1.gst", {U"一", U"二", U"三", U"四", U"五"});
    game.write_bytes("message/message3.gst", "a\nb\r\n\x82\r\n\xff\xfe");
    game.write_lines("image/image.gst", {U"a.bmp<0,0>"});
    game.write_bmp("image/a.bmp", Image(4, 4, 0x123456));
    game.write_lines("image2/image2.gst", {U"", U"face.bmp", U"", U"", U"", U"", U"more.bmp"});
    game.write_lines("wave/wave.gst", {});
    ASSERT_EQ(pack(true), 0) << err.str();

    // Every store of both forms, settings first.
    const auto stores = [](Engine& engine) {
      const Form1& f = engine.start().form();
      std::vector<const ListStore*> all{&f.Main_List,      &f.GAME_List, &f.image_list,
                                        &f.sub_Image_List, &f.Wav_List,  &f.Midi_List};
      for (const ListStore& list : f.Message_List) all.push_back(&list);
      return all;
    };
    Engine debug(game, U"DEBUG"), normal(game);
    const auto d = stores(debug), n = stores(normal);
    ASSERT_FALSE(debug.ended() || normal.ended()) << debug.trace() << normal.trace();
    for (std::size_t store = 0; store < d.size(); ++store) {
      for (long line = 0; line < 16; ++line)
        EXPECT_EQ(d[store]->line(line), n[store]->line(line)) << store << ":" << line;
    }
  }
}

// A record is its number, its fields and an empty closing line; the
// settings are copied as they are.
TEST_F(Pack, WritesEachRecordButNeverOverAFileWithoutForceNorWithARecordFileMissingOrUneven) {
  game.write_debug_game(TestGame::settings({{0, U"題"}}), {U"END"});
  game.write_lines("message/message2.gst", {U"二行目"});
  fs::remove(game.root() / "message/message3.gst");
  EXPECT_EQ(pack(), 1);
  EXPECT_NE(err.str().find("message/message3.gst is missing"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(game.root() / "scene"));

  // A record file of another length would move lines into other records.
  game.write_lines("message/message3.gst", {});
  EXPECT_EQ(pack(), 1);
  EXPECT_NE(err.str().find("message/message3.gst has 0 lines, game.gst 1"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(game.root() / "scene"));

  game.write_lines("message/message3.gst", {U""});
  game.write_bytes("scene/scene1.gst", "old");
  EXPECT_EQ(pack(), 1);
  EXPECT_NE(err.str().find("exists already: add --force to replace it"), std::string::npos) << err.str();
  EXPECT_EQ(read_bytes(game.root() / "scene/scene1.gst"), "old");
  EXPECT_FALSE(fs::exists(game.root() / "scene/main.gst"));

  EXPECT_EQ(pack(true), 0) << err.str();
  EXPECT_EQ(read_bytes(game.root() / "scene/scene1.gst"),
            "0\r\n0\r\nEND\r\n\r\n\r\n\r\n\r\n\r\n" + encode_cp932(U"二行目") + "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(read_bytes(game.root() / "scene/main.gst"), read_bytes(game.root() / "main.gst"));
  std::vector<std::string> names;  // and no temporary file is left
  for (const auto& entry : fs::directory_iterator(game.root() / "scene"))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"main.gst", "scene1.gst"}));
}

}  // namespace
}  // namespace tw::test
