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

TEST_F(Pack, WritesRecordsWithTheirNumberAndAnEmptyClosingLine) {
  game.write_debug_game(TestGame::settings({{0, U"題"}}), {U"END"});
  game.write_lines("message/message2.gst", {U"二行目"});
  ASSERT_EQ(pack(), 0) << err.str();
  EXPECT_EQ(read_bytes(game.root() / "scene/scene1.gst"),
            "0\r\n0\r\nEND\r\n\r\n\r\n\r\n\r\n\r\n" + encode_cp932(U"二行目") + "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(read_bytes(game.root() / "scene/main.gst"), read_bytes(game.root() / "main.gst"));
}

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
    std::error_code ignored;
    fs::remove_all(game.root() / "scene", ignored);
    ASSERT_EQ(pack(), 0) << err.str();

    Engine debug(game, U"DEBUG");
    Engine normal(game);
    const Form1& d = debug.start().form();
    const Form1& n = normal.start().form();
    ASSERT_FALSE(debug.ended() || normal.ended()) << debug.trace() << normal.trace();
    for (long line = 0; line < 16; ++line) EXPECT_EQ(d.Main_List.line(line), n.Main_List.line(line));
    for (long record = 0; record < 9; ++record) {
      SCOPED_TRACE(record);
      const auto lines = [record](const Form1& f) {
        std::vector<Text> lines{f.GAME_List.line(record), f.image_list.line(record),
                                f.sub_Image_List.line(record), f.Wav_List.line(record),
                                f.Midi_List.line(record)};
        for (const auto& list : f.Message_List) lines.push_back(list.line(record));
        return lines;
      };
      EXPECT_EQ(lines(d), lines(n));
    }
    fs::remove(game.root() / "scene/scene1.gst");
  }
}

TEST_F(Pack, NeverReplacesAFileWithoutForceNamesAMissingRecordFileAndLeavesNoTemporaryFile) {
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  fs::remove(game.root() / "message/message3.gst");
  EXPECT_EQ(pack(), 1);
  EXPECT_NE(err.str().find("message/message3.gst is missing"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(game.root() / "scene"));

  game.write_lines("message/message3.gst", {});
  game.write_bytes("scene/scene1.gst", "old");
  EXPECT_EQ(pack(), 1);
  EXPECT_NE(err.str().find("exists already: add --force to replace it"), std::string::npos) << err.str();
  EXPECT_EQ(read_bytes(game.root() / "scene/scene1.gst"), "old");
  EXPECT_FALSE(fs::exists(game.root() / "scene/main.gst"));

  EXPECT_EQ(pack(true), 0) << err.str();
  EXPECT_NE(read_bytes(game.root() / "scene/scene1.gst"), "old");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(game.root() / "scene"))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"main.gst", "scene1.gst"}));
}

}  // namespace
}  // namespace tw::test
