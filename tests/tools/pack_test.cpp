// Packing the per-record files into scene files: the packed game must read
// back, and play, exactly as the per-record files do in debug mode.
#include "pack/pack.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/headless/replay.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

std::string file_text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

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
  EXPECT_EQ(file_text(game.root() / "scene/scene1.gst"),
            "0\r\n0\r\nEND\r\n\r\n\r\n\r\n\r\n\r\n" + encode_cp932(U"二行目") + "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(file_text(game.root() / "scene/main.gst"), file_text(game.root() / "main.gst"));
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
      EXPECT_EQ(d.GAME_List.line(record), n.GAME_List.line(record));
      EXPECT_EQ(d.image_list.line(record), n.image_list.line(record));
      EXPECT_EQ(d.sub_Image_List.line(record), n.sub_Image_List.line(record));
      EXPECT_EQ(d.Wav_List.line(record), n.Wav_List.line(record));
      EXPECT_EQ(d.Midi_List.line(record), n.Midi_List.line(record));
      for (int i = 0; i < kMessageLines; ++i)
        EXPECT_EQ(d.Message_List[i].line(record), n.Message_List[i].line(record));
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
  EXPECT_EQ(file_text(game.root() / "scene/scene1.gst"), "old");
  EXPECT_FALSE(fs::exists(game.root() / "scene/main.gst"));

  EXPECT_EQ(pack(true), 0) << err.str();
  EXPECT_NE(file_text(game.root() / "scene/scene1.gst"), "old");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(game.root() / "scene"))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"main.gst", "scene1.gst"}));
}

// The demo's first scene replayed from its per-record files in debug mode
// and from the packed files in normal mode: the same script gives the same
// trace, media commands and failures included, and ends at the same record.
TEST_F(Pack, ReplaysThePackedDemoAsTheDebugFormPlays) {
  fs::copy(TALLOWIND_SOURCE_DIR "/games/demo", game.root(), fs::copy_options::recursive);
  fs::remove_all(game.root() / "scene");
  ASSERT_EQ(pack(), 0) << err.str();
  // Up to the NEXT_FILE record at the end of the scene, taking the beach.
  std::ofstream script(game.root() / "scene1.replay");
  script << "wait 1500\nclick image1\nwait 1500\n";
  for (int i = 0; i < 16; ++i) script << "move Message(1)\nclick Window\nwait 1200\n";
  script << "dump\n";
  script.close();

  std::string traces[2];
  for (int form = 0; form < 2; ++form) {
    std::ostringstream trace;
    std::ostringstream errors;
    const ReplayOptions options{game.root() / "scene1.replay",      {}, 1024, 768, game.root(),
                                form == 0 ? U"DEBUG" : U"tallowind"};
    ASSERT_EQ(run_replay(options, shared_media(), trace, errors), 0) << errors.str();
    traces[form] = trace.str();
  }
  // The dump differs in what debug mode shows; everything before it agrees.
  const auto before_dump = [](const std::string& trace) {
    return trace.substr(0, trace.rfind('\n', trace.find("\"state\"")));
  };
  EXPECT_EQ(before_dump(traces[0]), before_dump(traces[1]));
  EXPECT_GT(before_dump(traces[0]).size(), 1000u);
  for (const std::string& trace : traces)
    EXPECT_NE(trace.find("\"Line_No\":25,"), std::string::npos) << trace;
}

}  // namespace
}  // namespace tw::test
