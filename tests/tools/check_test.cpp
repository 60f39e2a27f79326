// The checker over small broken games: each report is compared whole, and
// the same game is then played to show that the failure the checker named
// is the one play meets.
#include "check/check.h"

#include <gtest/gtest.h>

#include "sound/midi_writer.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

Record record(std::u32string type, std::u32string image = U"a.bmp<0,0>") {
  return {.type = std::move(type), .image = std::move(image), .lines = {U"文"}};
}

using Lines = std::vector<std::string>;

Lines lines_of(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Check : public ::testing::Test {
 protected:
  Check() { game.write_bmp("image/a.bmp", Image(8, 8, 0x336699)); }

  // Clicks through the game, taking the first choice, until play fails,
  // ends or has had enough clicks; returns the trace.
  std::string play() {
    Engine engine(game);
    engine.start().wait(100);
    if (!engine.ended()) engine.click(ControlId::image1).wait(1200);
    for (int i = 0; i < 8 && !engine.ended(); ++i) engine.move(0).click(ControlId::Window).wait(1200);
    return engine.trace();
  }

  // The checker's report of the game of these records must have lines that
  // start as `report` does, and a summary; play must then fail with the box
  // `failure`, or, when it is empty, go through without one.
  void expect(const std::vector<Record>& records, const Lines& report, const std::u32string& failure,
              std::initializer_list<std::pair<int, std::u32string>> settings = {}) {
    SCOPED_TRACE(report.front());
    game.write_scene(records, settings);
    const auto [status, text] = check_game(game.root());
    const Lines lines = lines_of(text);
    ASSERT_EQ(lines.size(), report.size() + 1) << testing::PrintToString(lines);
    for (std::size_t i = 0; i < report.size(); ++i) EXPECT_TRUE(lines[i].starts_with(report[i])) << lines[i];
    EXPECT_EQ(status, failure.empty() ? 0 : 1) << lines.back();
    const std::string trace = play();
    EXPECT_TRUE(failure.empty() ? trace.find(R"("error")") == std::string::npos : shows_error(trace, failure))
        << trace;
  }

  // An exit status and the report of these findings, closed by the summary of the game.
  std::pair<int, std::string> report(int status, const std::string& summary, const std::string& findings) {
    return {status, findings + game.root().string() + " (" + summary + "\n"};
  }

  // Whether the checker's report holds `finding`, at its start when `first`.
  testing::AssertionResult finds(const std::string& finding, bool debug_form = false, bool first = false) {
    const std::string text = check_game(game.root(), debug_form).second;
    const std::size_t at = text.find(finding);
    return (first ? at == 0 : at != std::string::npos) ? testing::AssertionSuccess()
                                                       : testing::AssertionFailure() << text;
  }

  TestGame game;
};

constexpr char32_t kStepFailure[] =
    U"次のシーンの情報を読みこもうとしましたが原因不明のエラーが発生しました。";
constexpr char32_t kStartFailure[] = U"予期しないエラーが発生したため";
constexpr char32_t kLoadFailure[] = U"セーブデータの読みこみに失敗しました。";
constexpr char32_t kMainFailure[] = U"メインイメージの表示に失敗しました。";

TEST_F(Check, FindsTheFailuresOfTypeLinesPicturesAndMusicBeforePlayMeetsThem) {
  game.write_bytes("image/bad.bmp", "BM this is no picture");
  for (const auto& [name, sixteenths] : {std::pair{"long", 32800u}, {"short", 32767u}}) {
    const Bytes song = smf({Track().note(0).end(sixteenths * 24)});
    game.write_bytes("midi/" + std::string(name) + ".mid", std::string(song.begin(), song.end()));
  }
  Record long_song = record(U"NORMAL"), short_song = long_song, missing_sub = long_song;
  long_song.midi = U"long.mid", short_song.midi = U"short.mid", missing_sub.sub = U"face.bmp";
  const std::string at14 = "scene/scene1.gst:14: record 1: error: ",
                    at15 = "scene/scene1.gst:15: record 1: error: ";
  const std::string unreached = "scene/scene1.gst:25: record 2: warning: no path of play reaches this record";
  const Record normal = record(U"NORMAL"), end = record(U"END");
  const auto between = [&](const Record& middle) { return std::vector<Record>{normal, middle, end}; };
  expect(between(record(U"normal")),
         {at14 + "the type line \"normal\" is no keyword and no number (did you mean \"NORMAL\"?)"},
         kStepFailure);
  // A misspelt keyword gets the nearest one; a long line is quoted cut short.
  expect(between(record(U"NORMLA")),
         {at14 + "the type line \"NORMLA\" is no keyword and no number (did you mean \"NORMAL\"?)"},
         kStepFailure);
  expect(between(record(U"NRMAL" + std::u32string(100, U'x'))),
         {at14 + "the type line \"NRMAL" + std::string(55, 'x') + "…\" is no keyword and no number"},
         kStepFailure);
  // Choice texts and targets that do not pair up: one offered without its
  // text, one shown that goes nowhere. Play goes on through the first.
  Record choices = record(U"COMMAND<2><0><0><0>");
  choices.lines = {U"", U"乙", U"", U""};
  expect(between(choices),
         {"scene/scene1.gst:19: record 1: warning: choice 1 is offered but its message line is empty",
          "scene/scene1.gst:20: record 1: warning: choice 2 shows \"乙\" but its record number is 0"},
         U"");
  expect(between(record(U"5")),
         {at14 + "the jump \"5\" leads to record 6, past the last record (2)", unreached}, kStepFailure);
  expect(between(record(U"COMMAND<2><x><0><0>")),
         {at14 + "the choices of \"COMMAND<2><x><0><0>\" do not read", unreached}, kStepFailure);
  expect(between(record(U"FLAG<A+1")), {at14 + "no \">\" closes the operand: write it as FLAG<A+1>"},
         U"フラグ操作に失敗しました。");
  expect(between(record(U"IF<A=x>......2>.......2>")), {at14 + "the value \"x\" is no number"},
         U"フラグ式の判定に失敗しました。");
  expect(between(record(U"IF<A=0>......9>.......2>")),
         {at14 + "the first target leads to record 9, past the last record (2)"}, kStepFailure);
  expect(between(record(U"IMAGE<>")), {at14 + "the time of \"IMAGE<>\" does not read"},
         U"シーンタイプIMAGEの時間が取得できませんでした。");
  expect({normal, normal}, {at14 + "play runs past the last record of the scene"}, kStepFailure);
  expect({normal, record(U"NEXT_FILE")}, {at14 + "NEXT_FILE, but there is no scene file scene/scene2.gst"},
         kStepFailure);
  expect({normal, record(U"2"), record(U"LOAD"), record(U"SAVE"), record(U"1")},
         {"scene/scene1.gst:25: record 2: error: a saved game resumes by stepping from this LOAD record"},
         kLoadFailure);
  expect(between(record(U"NORMAL", U"a.bmp")), {at15 + "the main image entry \"a.bmp\" has no \"<\""},
         U"イメージファイル名の取得に失敗しました。");
  expect(between(record(U"NORMAL", U"a.bmp<,0>")), {at15 + "the position of \"a.bmp<,0>\" does not read"},
         U"イメージファイルの表示位置取得に失敗しました。");
  expect(between(record(U"NORMAL", U"SP_gone.bmp<0,0>")),
         {at15 + "picture \"image/SP_gone.bmp\" does not exist",
          at15 + "mask \"image/mask/SP_gone.bmp\" does not exist"},
         kMainFailure);
  expect(between(record(U"NORMAL", U"bad.bmp<0,0>")),
         {at15 + "picture \"image/bad.bmp\" cannot be read: ヘッダーが壊れています"}, kMainFailure);
  expect({normal, end}, {"scene/main.gst:3: error: picture \"image3/tile.bmp\" does not exist"},
         kStartFailure, {{2, U"tile.bmp"}});
  expect(between(missing_sub),
         {"scene/scene1.gst:16: record 1: error: sub picture \"image2/face.bmp\" does not exist"},
         U"サブイメージの表示に失敗しました。", {{10, U"Sub_Window=ON"}});
  expect({normal, long_song, short_song, end},
         {"scene/scene1.gst:18: record 1: error: music \"midi/long.mid\" lasts 32800 sixteenth notes"},
         U"シーンの表示中に原因不明のエラーが発生しました。");
}

TEST_F(Check, WarnsOfLikelyMistakesThatPlayGetsThrough) {
  const Record choice{.type = U"COMMAND<2><><0><0>", .image = U"a.bmp<0,0>", .lines = {U"行く"}};
  const Record sounds{.image = U"A.bmp<0,0>", .sub = U"face.bmp", .wav = U"none.wav", .midi = U"none.mid"};
  expect({record(U"NORMAL"), choice, sounds, record(U"END"), record(U"NORMAL"), record(U"END")},
         {"scene/main.gst:6: warning: settings line 5 \"黒 \" is not exactly \"黒\"",
          "scene/main.gst:11: warning: settings line 10 \"Sub_Window=on\" is not exactly \"Sub_Window=ON\"",
          "scene/scene1.gst:14: record 1: warning: choice 2 has no record number",
          "scene/scene1.gst:26: record 2: warning: picture \"image/A.bmp\" is found only as \"image/a.bmp\"",
          "scene/scene1.gst:27: record 2: warning: sub images are not shown",
          "scene/scene1.gst:28: record 2: warning: sound \"wave/none.wav\" does not exist",
          "scene/scene1.gst:29: record 2: warning: music \"midi/none.mid\" does not exist",
          "scene/scene1.gst:47: record 4: warning: no path of play reaches records 4 to 5"},
         U"", {{5, U"黒 "}, {10, U"Sub_Window=on"}});
  game.write_bytes("scene/main.gst", "テスト\r\n");
  const auto [status, report] = check_game(game.root());
  EXPECT_TRUE(status == 0 && report.starts_with("scene/main.gst:1: warning: text is not valid Shift-JIS"))
      << report;
}

TEST_F(Check, WarnsOfMessageLinesWiderThanTheirLabelInTheFontPlayDrawsThem) {
  // Twenty full-width characters of 21 pixels, then half-width ones: "ｱｱﾞ"
  // inks the label's 450th and last pixel, "ｱｱ!" one pixel more.
  const std::u32string full = U"あいうえおかきくけこさしすせそたちつてと", exact = full + U"ｱｱﾞ";
  const auto cut = [](int line, int record, const std::u32string& shown) {
    return "scene/scene1.gst:" + std::to_string(line) + ": record " + std::to_string(record) +
           ": warning: message line " + std::to_string(line - 7 - 11 * record) +
           " is wider than the message window: only \"" + to_utf8(shown) + "\" shows";
  };
  Record text = record(U"NORMAL"), choices = record(U"COMMAND<3><3><0><0>"), image = record(U"IMAGE<0>");
  text.lines = {exact, exact + U"ｱ", full + U"ｱｱ!", full + U"なに"};
  choices.lines = {U"短い", U"ＡBCＤ" + full};
  image.lines = {full + full};  // never shown: the window is away
  for (const std::u32string sub_window : {U"", U"Sub_Window=ON"}) {
    expect({record(U"NORMAL"), text, choices, image, record(U"END")},
           {cut(20, 1, exact), cut(21, 1, full + U"ｱｱ"), cut(22, 1, full + U"な"),
            cut(31, 2, U"ＡBCＤ" + full.substr(0, 18))},
           U"", {{10, sub_window}});
  }
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  game.write_lines("message/message1.gst", {U"", full + U"なに"});
  EXPECT_TRUE(
      finds("message/message1.gst:2: record 1: warning: message line 1 is wider than the message "
            "window: only \"" +
                to_utf8(full) + "な\" shows\n",
            true));
}

TEST_F(Check, ReadsTheSceneFileAsTheEngineDoes) {
  std::vector<std::u32string> lines = TestGame::scene_of({record(U"NORMAL"), record(U"END")});
  lines[0] = U"2";
  game.write_lines("scene/main.gst", TestGame::settings({}));
  game.write_lines("scene/scene1.gst", lines);
  game.write_lines("scene/scene3.gst", lines);
  EXPECT_EQ(check_game(game.root()),
            report(1, "packed form, 1 scene, 2 records): 1 error, 1 warning",
                   "scene/scene1.gst:23: record 2: error: the file ends inside record 2, but line 1 "
                   "announces records 0 to 2\n"
                   "scene/scene3.gst:0: warning: never played: play stops at the missing scene2.gst\n"));
  EXPECT_NE(play().find(to_utf8(kStartFailure)), std::string::npos);

  // Saved with LF alone, as Linux editors write: the engine reads one line.
  std::string lf_alone;
  for (const std::u32string& line : TestGame::settings({})) lf_alone += encode_cp932(line) + "\n";
  game.write_bytes("scene/main.gst", lf_alone);
  EXPECT_TRUE(finds("scene/main.gst:1: error: the line ends here are LF alone", false, true));
  EXPECT_TRUE(finds("save with CR LF line ends"));
  game.write_lines("scene/main.gst", TestGame::settings({}));

  // A frame picture made for the sub window is cut without it.
  game.write_bmp("image3/waku.bmp", Image(620, 150));
  game.write_lines("scene/main.gst", TestGame::settings({{3, U"waku.bmp"}}));
  EXPECT_TRUE(
      finds("scene/main.gst:4: warning: the frame picture is 620 x 150 pixels, the message frame "
            "480 x 150 with the sub window off"));
  game.write_lines("scene/main.gst", TestGame::settings({{3, U"waku.bmp"}, {10, U"Sub_Window=ON"}}));
  EXPECT_FALSE(finds("frame picture"));

  // A later scene file starts past its record 0: text there never shows.
  fs::remove(game.root() / "scene/scene3.gst");
  game.write_lines("scene/scene1.gst", TestGame::scene_of({record(U"NORMAL"), record(U"NEXT_FILE")}));
  game.write_lines("scene/scene2.gst", TestGame::scene_of({record(U"NORMAL"), record(U"END")}));
  EXPECT_TRUE(
      finds("scene/scene2.gst:8: record 0: warning: the text \"文\" never shows: a later scene file "
            "starts past its record 0",
            false, true));
}

TEST_F(Check, ChecksTheDebugFormWithItsStartRecord) {
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"FLAG<A=x>", U"END", U"NORMAL", U"NORMAL"});
  game.write_lines("Debug.gst", {U"3", U"1", U"x"});
  EXPECT_EQ(check_game(game.root(), true),
            report(1, "debug form, 1 scene, 5 records): 1 error, 3 warnings",
                   "game.gst:1: record 0: warning: no path of play reaches records 0 to 2\n"
                   "game.gst:2: record 1: warning: the operand \"x\" is no number from -32768 to 32767\n"
                   "game.gst:5: record 4: error: play runs past the last record of the scene: end it with "
                   "END or NEXT_FILE\n"
                   "Debug.gst:3: warning: flag B \"x\" is no number: the debug file stops here and leaves "
                   "the flags after it at 0\n"));
  game.write_debug_game(TestGame::settings({}), {U"SAVE", U"LOAD"});
  game.write_lines("Debug.gst", {U"1"});
  EXPECT_EQ(check_game(game.root(), true),
            report(1, "debug form, 1 scene, 2 records): 1 error, 0 warnings",
                   "Debug.gst:1: error: the start record 1 is a LOAD record: a load resumes by stepping from "
                   "it, which loads again without end: start at another record\n"));
  Engine engine(game, U"DEBUG");
  EXPECT_TRUE(engine.start().wait(100).step().shows_error(kLoadFailure)) << engine.trace();

  game.write_lines("message/message2.gst", {U"一"});
  EXPECT_TRUE(
      finds("game.gst:0: warning: the record files differ in length: message/message2.gst has 1 line, "
            "game.gst 2",
            true));
}

TEST_F(Check, FindsNothingInTheDemoInEitherForm) {
  for (bool debug_form : {false, true}) {
    const auto [status, report] = check_game(TALLOWIND_SOURCE_DIR "/games/demo", debug_form);
    EXPECT_TRUE(status == 0 && report.ends_with(": no problems found\n") && lines_of(report).size() == 1)
        << report;
  }
}

}  // namespace
}  // namespace tw::test
