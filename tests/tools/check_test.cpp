// The checker over small broken games: each report is compared whole, and
// the same game is then played to show that the failure the checker named
// is the one play meets.
#include "check/check.h"

#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

Record record(std::u32string type, std::u32string image = U"a.bmp<0,0>") {
  Record r;
  r.type = std::move(type);
  r.image = std::move(image);
  r.lines[0] = U"文";
  return r;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A MIDI file of one note that lasts `sixteenths` sixteenth notes.
std::string song_of(std::uint32_t sixteenths) {
  std::string track = std::string("\x00\x90\x3C\x40", 4);
  std::string length;
  for (std::uint32_t ticks = sixteenths * 24;; ticks >>= 7) {
    length.insert(length.begin(), static_cast<char>((ticks & 0x7F) | (length.empty() ? 0 : 0x80)));
    if (ticks < 0x80) break;
  }
  track += length + std::string("\x80\x3C\x00\x00\xFF\x2F\x00", 7);
  std::string smf = std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk", 18);
  for (int shift = 24; shift >= 0; shift -= 8) smf += static_cast<char>((track.size() >> shift) & 0xFF);
  return smf + track;
}

struct Case {
  std::string name;
  std::vector<Record> records;
  std::vector<std::pair<int, std::u32string>> settings;
  std::vector<std::string> report;  // without the summary line
  std::u32string failure;           // the box play shows; empty when play goes to the end
};

class Check : public ::testing::Test {
 protected:
  Check() { game.write_bmp("image/a.bmp", Image(8, 8, 0x336699)); }

  void write(const Case& c) {
    std::vector<std::u32string> settings = TestGame::settings({});
    for (const auto& [line, value] : c.settings) settings[static_cast<std::size_t>(line)] = value;
    game.write_lines("scene/main.gst", settings);
    game.write_lines("scene/scene1.gst", TestGame::scene_of(c.records));
  }

  std::pair<int, std::vector<std::string>> check(bool debug_form = false) {
    std::ostringstream out;
    const int status = run_check(game.root(), debug_form, shared_pictures(), shared_media().sounds, out);
    return {status, lines_of(out.str())};
  }

  // Clicks through the game, taking the first choice, until play fails,
  // ends or has had enough clicks; returns the trace.
  std::string play() {
    Engine engine(game);
    engine.start().wait(100);
    if (!engine.ended()) engine.click(ControlId::image1).wait(1200);
    for (int i = 0; i < 8 && !engine.ended(); ++i) {
      engine.move(0).click(ControlId::Window).wait(1200);
    }
    return engine.trace();
  }

  void expect(const Case& c) {
    SCOPED_TRACE(c.name);
    write(c);
    auto [status, report] = check();
    ASSERT_FALSE(report.empty());
    const std::string summary = report.back();
    report.pop_back();
    EXPECT_EQ(report, c.report);
    EXPECT_EQ(status, c.failure.empty() ? 0 : 1) << summary;
    const std::string trace = play();
    if (c.failure.empty()) {
      EXPECT_EQ(trace.find("\"error\""), std::string::npos) << trace;
    } else {
      EXPECT_NE(trace.find("\"error\":\"" + to_utf8(c.failure)), std::string::npos) << trace;
    }
  }

  TestGame game;
};

constexpr char32_t kStepFailure[] =
    U"次のシーンの情報を読みこもうとしましたが原因不明のエラーが発生しました。";
constexpr char32_t kStartFailure[] = U"予期しないエラーが発生したため";
constexpr char32_t kLoadFailure[] = U"セーブデータの読みこみに失敗しました。";

TEST_F(Check, FindsTheFailuresOfTypeLinesBeforePlayMeetsThem) {
  const std::vector<Case> cases{
      {"lower-case keyword",
       {record(U"NORMAL"), record(U"normal"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: the type line \"normal\" is no keyword and no number "
        "(did you mean \"NORMAL\"?): leaving this record fails"},
       kStepFailure},
      {"blank after END",
       {record(U"NORMAL"), record(U"END ")},
       {},
       {"scene/scene1.gst:14: record 1: error: the type line \"END \" is no keyword and no number "
        "(did you mean \"END\"?): leaving this record fails"},
       kStepFailure},
      {"jump past the end",
       {record(U"NORMAL"), record(U"5"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: the jump \"5\" leads to record 6, past the last record (2): "
        "leaving it there fails",
        "scene/scene1.gst:25: record 2: warning: no path of play reaches this record"},
       kStepFailure},
      {"choices that do not read",
       {record(U"NORMAL"), record(U"COMMAND<2><x><0><0>"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: the choices of \"COMMAND<2><x><0><0>\" do not read: write "
        "four "
        "record numbers from position 9, as COMMAND<12><20><0><0>",
        "scene/scene1.gst:25: record 2: warning: no path of play reaches this record"},
       kStepFailure},
      {"FLAG without its closing >",
       {record(U"NORMAL"), record(U"FLAG<A+1"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: no \">\" closes the operand: write it as FLAG<A+1>"},
       U"フラグ操作に失敗しました。"},
      {"IF value that is no number",
       {record(U"NORMAL"), record(U"IF<A=x>......2>.......2>"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: the value \"x\" is no number"},
       U"フラグ式の判定に失敗しました。"},
      {"IF target outside the scene",
       {record(U"NORMAL"), record(U"IF<A=0>......9>.......2>"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: the first target leads to record 9, past the last record (2): "
        "leaving it there fails"},
       kStepFailure},
      {"IMAGE time",
       {record(U"NORMAL"), record(U"IMAGE<>"), record(U"END")},
       {},
       {"scene/scene1.gst:14: record 1: error: the time of \"IMAGE<>\" does not read: write it in tenths of "
        "a "
        "second, as IMAGE<30>"},
       U"シーンタイプIMAGEの時間が取得できませんでした。"},
      {"play runs past the end",
       {record(U"NORMAL"), record(U"NORMAL")},
       {},
       {"scene/scene1.gst:14: record 1: error: play runs past the last record of the scene: end it with END "
        "or NEXT_FILE"},
       kStepFailure},
      {"NEXT_FILE without a next scene",
       {record(U"NORMAL"), record(U"NEXT_FILE")},
       {},
       {"scene/scene1.gst:14: record 1: error: NEXT_FILE, but there is no scene file scene/scene2.gst"},
       kStepFailure},
      {"LOAD just before a SAVE record, reached by jumps",
       {record(U"NORMAL"), record(U"2"), record(U"LOAD"), record(U"SAVE"), record(U"1")},
       {},
       {"scene/scene1.gst:25: record 2: error: a saved game resumes by stepping from this LOAD record, which "
        "loads again without end: put another record before the SAVE record 3"},
       kLoadFailure},
  };
  for (const Case& c : cases) expect(c);
}

TEST_F(Check, FindsTheFailuresOfPicturesAndMusic) {
  game.write_bytes("image/bad.bmp", "BM this is no picture");
  game.write_bytes("midi/long.mid", song_of(32800));
  game.write_bytes("midi/short.mid", song_of(32767));
  Record long_song = record(U"NORMAL");
  long_song.midi = U"long.mid";
  Record short_song = record(U"NORMAL");
  short_song.midi = U"short.mid";
  Record missing_sub = record(U"NORMAL");
  missing_sub.sub = U"face.bmp";
  const std::vector<Case> cases{
      {"entry without <",
       {record(U"NORMAL"), record(U"NORMAL", U"a.bmp"), record(U"END")},
       {},
       {"scene/scene1.gst:15: record 1: error: the main image entry \"a.bmp\" has no \"<\": name the picture "
        "with its position, as room.bmp<0,0>"},
       U"イメージファイル名の取得に失敗しました。"},
      {"entry without x",
       {record(U"NORMAL"), record(U"NORMAL", U"a.bmp<,0>"), record(U"END")},
       {},
       {"scene/scene1.gst:15: record 1: error: the position of \"a.bmp<,0>\" does not read: write two "
        "numbers, "
        "as room.bmp<120,40>"},
       U"イメージファイルの表示位置取得に失敗しました。"},
      {"missing picture and mask",
       {record(U"NORMAL"), record(U"NORMAL", U"SP_gone.bmp<0,0>"), record(U"END")},
       {},
       {"scene/scene1.gst:15: record 1: error: picture \"image/SP_gone.bmp\" does not exist",
        "scene/scene1.gst:15: record 1: error: mask \"image/mask/SP_gone.bmp\" does not exist"},
       U"メインイメージの表示に失敗しました。"},
      {"picture that does not load",
       {record(U"NORMAL"), record(U"NORMAL", U"bad.bmp<0,0>"), record(U"END")},
       {},
       {"scene/scene1.gst:15: record 1: error: picture \"image/bad.bmp\" cannot be read: "
        "ヘッダーが壊れています"},
       U"メインイメージの表示に失敗しました。"},
      {"missing tile",
       {record(U"NORMAL"), record(U"END")},
       {{2, U"tile.bmp"}},
       {"scene/main.gst:3: error: picture \"image3/tile.bmp\" does not exist"},
       kStartFailure},
      {"missing sub picture",
       {record(U"NORMAL"), missing_sub, record(U"END")},
       {{10, U"Sub_Window=ON"}},
       {"scene/scene1.gst:16: record 1: error: sub picture \"image2/face.bmp\" does not exist"},
       U"サブイメージの表示に失敗しました。"},
      {"song too long to count",
       {record(U"NORMAL"), long_song, short_song, record(U"END")},
       {},
       {"scene/scene1.gst:18: record 1: error: music \"midi/long.mid\" lasts 32800 sixteenth notes, more "
        "than "
        "the 32767 the engine can count: starting it ends play"},
       U"シーンの表示中に原因不明のエラーが発生しました。"},
  };
  for (const Case& c : cases) expect(c);
}

TEST_F(Check, WarnsOfLikelyMistakesThatPlayGetsThrough) {
  Record choice = record(U"COMMAND<2><><0><0>");
  choice.lines = {U"行く", U"", U"", U""};
  Record sounds = record(U"NORMAL", U"A.bmp<0,0>");
  sounds.sub = U"face.bmp";
  sounds.wav = U"none.wav";
  sounds.midi = U"none.mid";
  expect(
      {"near misses",
       {record(U"NORMAL"), choice, sounds, record(U"END"), record(U"NORMAL"), record(U"END")},
       {{5, U"黒 "}, {10, U"Sub_Window=on"}},
       {"scene/main.gst:6: warning: settings line 5 \"黒 \" is not exactly \"黒\": the message text gets the "
        "highlight colour, not black",
        "scene/main.gst:11: warning: settings line 10 \"Sub_Window=on\" is not exactly \"Sub_Window=ON\": "
        "the "
        "sub window stays off",
        "scene/scene1.gst:14: record 1: warning: choice 2 has no record number: it keeps the target of the "
        "COMMAND record before (write 0 for a choice that is not offered)",
        "scene/scene1.gst:26: record 2: warning: picture \"image/A.bmp\" is found only as \"image/a.bmp\": "
        "the "
        "letter case differs",
        "scene/scene1.gst:27: record 2: warning: sub images are not shown: settings line 10 is not "
        "\"Sub_Window=ON\"",
        "scene/scene1.gst:28: record 2: warning: sound \"wave/none.wav\" does not exist",
        "scene/scene1.gst:29: record 2: warning: music \"midi/none.mid\" does not exist",
        "scene/scene1.gst:47: record 4: warning: no path of play reaches records 4 to 5"},
       U""});

  game.write_bytes("scene/main.gst", "テスト\r\n");
  auto [status, report] = check();
  EXPECT_EQ(status, 0);
  EXPECT_EQ(
      report.front(),
      "scene/main.gst:1: warning: text is not valid Shift-JIS (CP932); the file looks like UTF-8: save it "
      "as Shift-JIS");
}

TEST_F(Check, ReadsTheSceneFileAsTheEngineDoes) {
  std::vector<std::u32string> lines = TestGame::scene_of({record(U"NORMAL"), record(U"END")});
  lines[0] = U"2";
  game.write_lines("scene/main.gst", TestGame::settings({}));
  game.write_lines("scene/scene1.gst", lines);
  game.write_lines("scene/scene3.gst", lines);
  auto [status, report] = check();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(report,
            (std::vector<std::string>{
                "scene/scene1.gst:23: record 2: error: the file ends inside record 2, but line 1 announces "
                "records 0 to 2",
                "scene/scene3.gst:0: warning: never played: play stops at the missing scene2.gst",
                game.root().string() + " (packed form, 1 scene, 2 records): 1 error, 1 warning"}));
  EXPECT_NE(play().find(to_utf8(kStartFailure)), std::string::npos);
}

TEST_F(Check, ChecksTheDebugFormWithItsStartRecord) {
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"FLAG<A=x>", U"END", U"NORMAL", U"NORMAL"});
  game.write_lines("Debug.gst", {U"3", U"1", U"x"});
  auto [status, report] = check(true);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(report,
            (std::vector<std::string>{
                "game.gst:1: record 0: warning: no path of play reaches records 0 to 2",
                "game.gst:2: record 1: warning: the operand \"x\" is no number from -32768 to 32767",
                "game.gst:5: record 4: error: play runs past the last record of the scene: end it with END "
                "or NEXT_FILE",
                "Debug.gst:3: warning: flag B \"x\" is no number: the debug file stops here and leaves the "
                "flags after it at 0",
                game.root().string() + " (debug form, 1 scene, 5 records): 1 error, 3 warnings"}));

  game.write_debug_game(TestGame::settings({}), {U"SAVE", U"LOAD"});
  game.write_lines("Debug.gst", {U"1"});
  std::tie(status, report) = check(true);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(report, (std::vector<std::string>{
                        "Debug.gst:1: error: the start record 1 is a LOAD record: a load resumes by stepping "
                        "from it, which loads again without end: start at another record",
                        game.root().string() + " (debug form, 1 scene, 2 records): 1 error, 0 warnings"}));
  Engine engine(game, U"DEBUG");
  engine.start().wait(100).click(ControlId::Window).wait(100);
  EXPECT_NE(engine.trace().find("\"error\":\"" + to_utf8(kLoadFailure)), std::string::npos) << engine.trace();
}

TEST_F(Check, FindsNothingInTheDemoInEitherForm) {
  for (bool debug_form : {false, true}) {
    std::ostringstream out;
    EXPECT_EQ(run_check(TALLOWIND_SOURCE_DIR "/games/demo", debug_form, shared_pictures(),
                        shared_media().sounds, out),
              0);
    EXPECT_NE(out.str().find("no problems found"), std::string::npos) << out.str();
    EXPECT_EQ(lines_of(out.str()).size(), 1u) << out.str();
  }
}

}  // namespace
}  // namespace tw::test
