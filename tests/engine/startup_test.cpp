// Start-up in both modes: the window's layout, colours, cursors, background
// tiles and frame picture, the failures that end start-up, and the debug
// file's start record and flags with the debug labels.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/test_game.h"

namespace tw::test {
namespace {

constexpr Colour kHighlight = 0x8000000E;
constexpr Colour kButtonText = 0x80000012;

// Off for anything but the exact line; on, the window and the frame widen by
// the sub image's 140 pixels and the labels move right by as much.
TEST(StartUp, CentresThePictureAndTheFrameWidenedOnlyForTheExactSubWindowSetting) {
  for (const std::u32string line :
       {U"Sub_Window=ON", U"Sub_Window=ON ", U" Sub_Window=ON", U"Sub_Window=on", U""}) {
    SCOPED_TRACE(to_utf8(line));
    TestGame game;
    game.write_scene({record(), record(U"END")}, {{10, line}});
    Engine engine(game);
    Form1& form = engine.start().form();
    ASSERT_FALSE(engine.ended()) << engine.trace();
    const double extra = line == U"Sub_Window=ON" ? 2100 : 0;
    EXPECT_EQ(
        std::tuple(form.form.Visible, form.form.Width, form.form.Height, form.image1.Left, form.image1.Top),
        std::tuple(true, 1024 * 15, 768 * 15, (15360 - 9600) / 2.0, (11520 - 7200) / 2.0));
    EXPECT_EQ(std::tuple(form.waku.Top, form.waku.Left, form.waku.Width, form.Window.Width),
              std::tuple(7200 + 2160 - 2250 - 200, (15360 - 7200 - extra) / 2, 7200 + extra, 7050 + extra));
    for (const Label& label : form.Message) EXPECT_EQ(label.Left, 150 + extra);
    EXPECT_EQ(form.Window.surface.width, extra ? 610 : 470);
    EXPECT_FALSE(form.waku.Visible) << "the title record shows no message window";
    EXPECT_EQ(engine.screen().at(0, 0), 0u) << "without a tile the window stays black";
  }
}

// Colours by the whole settings line; cursors and the frame picture from the
// interface folder.
TEST(StartUp, ReadsColoursCursorsAndTheFramePictureOrEndsOnAPictureThatDoesNotLoad) {
  TestGame game;
  game.write_scene(
      {record(U"END")},
      {{3, U"Frame.bmp"}, {5, U"黒"}, {6, U"黒 "}, {7, U"黒"}, {8, U"hand.bmp"}, {9, U"pen.bmp"}});
  game.write_bmp("image3/frame.bmp", Image(480, 150, 0x123456));
  game.write_bmp("image3/hand.bmp", Image(32, 32, 0xFFFFFF));
  game.write_bmp("image3/pen.bmp", Image(16, 16, 0));
  Engine engine(game);
  Form1& form = engine.start().form();
  ASSERT_FALSE(engine.ended()) << engine.trace();
  EXPECT_EQ(std::tuple(form.waku.BackColor, form.Window.BackColor), std::tuple(kHighlight, kButtonText));
  for (int i = 0; i < 5; ++i) {  // the mark keeps its own background colour
    EXPECT_EQ(std::tuple(form.Message[i].ForeColor, form.Message[i].BackColor, form.Message[i].Back_Style),
              std::tuple(kButtonText, i < 4 ? 0xFF0000u : 0xFF8080u, BackStyle::Transparent));
  }
  ASSERT_TRUE(form.waku.MouseIcon && form.waku.Picture) << "the frame found through the letter-case fallback";
  EXPECT_EQ(std::tuple(form.waku.MousePointer, form.waku.MouseIcon->width, form.image1.MousePointer,
                       form.waku.Picture->at(0, 0)),
            std::tuple(99, 32, 99, 0x123456u));

  // A short settings file leaves every later setting empty.
  game.write_lines("scene/main.gst", {U"題", U"", U"", U"", U""});
  Engine short_settings(game);
  const Form1& plain = short_settings.start().form();
  for (const Label& label : plain.Message) EXPECT_EQ(label.ForeColor, kHighlight);
  EXPECT_EQ(std::tuple(plain.Window.Width, plain.waku.MousePointer), std::tuple(7050, 0));

  // A missing or broken picture ends start-up, and the report names it.
  game.write_bytes("image3/broken.bmp", "BM not a picture");
  for (const char* file : {"missing.bmp", "broken.bmp"}) {
    game.write_lines("scene/main.gst", TestGame::settings({{9, from_utf8(file)}}));
    Engine failing(game);
    EXPECT_TRUE(failing.start().failed()) << failing.trace();
    EXPECT_NE(failing.trace().find(file), std::string::npos);
    EXPECT_FALSE(failing.form().form.Visible);
  }
}

// A 16-bit twips position would overflow past 2184 pixels, so every wide
// monitor would refuse to start the game; positions are kept wider.
TEST(StartUp, TilesTheWholeWindowBehindTheControlsOnScreensOfAnyWidth) {
  TestGame game;
  game.write_scene({record(U"END")}, {{2, U"tile.bmp"}});
  Image tile(100, 70, 0x0000FF);
  tile.at(0, 0) = 0xFF0000;
  game.write_bmp("image3/tile.bmp", tile);
  Engine engine(game);
  engine.start();
  const Image screen = engine.screen();
  for (int y = 0; y < 768; y += 70) {
    for (int x = 0; x < 1024; x += 100) {
      const bool under_picture = x >= 192 && x < 832 && y >= 144 && y < 624;
      EXPECT_EQ(screen.at(x, y), under_picture ? 0u : 0xFF0000u) << x << "," << y;
    }
  }
  EXPECT_EQ(screen.at(1023, 767), 0x0000FFu);
  EXPECT_FALSE(engine.form().back_image.Picture) << "the tile holder shows nothing afterwards";
  Engine wide(game, U"tallowind", 3840, 2160);
  ASSERT_FALSE(wide.start().ended()) << wide.trace();
  EXPECT_EQ(wide.screen().at(3839, 2159), 0x0000FFu);
}

std::vector<std::u32string> split(std::u32string_view text) {
  std::vector<std::u32string> parts;
  for (std::size_t at = 0, bar = 0; bar != text.npos; at = bar + 1) {
    bar = text.find(U'|', at);
    parts.emplace_back(text.substr(at, bar - at));
  }
  return parts;
}

// The debug file's lines (none: no debug file), the start record, and the
// debug labels: flags A to E, the record and its type line. The flags hold
// the numbers their labels show, and the frame shows above record 0.
TEST(StartUp, DebugModeSetsTheStartRecordAndFlagsUpToTheFirstLineThatIsNoNumber) {
  constexpr char32_t kDesign[] = U"A=0|B=0|C=0|D=0|E=0|0|TITLE";
  const std::tuple<const char32_t*, int, const char32_t*> cases[] = {
      {U"2|1|-2|3|4|5|unused", 2, U"A=1|B=-2|C=3|D=4|E=5|2|FLAG<A=1>"},
      {U"0|0|0|0|0|0", 0, U"A=0|B=0|C=0|D=0|E=0|TITLE|NORMAL"},
      {U"1| 7 |0|0|0|0", 1, U"A= 7 |B=0|C=0|D=0|E=0|1|NORMAL"},  // as written until the monitor refreshes
      {U"3|4|many|1|1|1", 3, U"A=4|B=0|C=0|D=0|E=0|0|TITLE"},    // what came before "many" stays
      {U"2|1|1|1|1|1|1|1", 0, kDesign},
      {nullptr, 0, kDesign},
  };
  for (const auto& [file, line_no, labels] : cases) {
    SCOPED_TRACE(file ? to_utf8(file) : "no file");
    TestGame game;
    game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"NORMAL", U"FLAG<A=1>", U"NORMAL", U"END"});
    if (file) game.write_lines("Debug.gst", split(file));
    Engine engine(game, U"DEBUG");
    const Form1& form = engine.start().form();
    EXPECT_FALSE(engine.ended()) << "the debug file never ends the game";
    EXPECT_EQ(std::tuple(form.Debug_Mode, form.Line_No, form.waku.Visible, form.Page_Label.Visible,
                         form.Type_Label.Visible),
              std::tuple(-1, line_no, line_no != 0, true, true));
    const std::vector<std::u32string> expected = split(labels);
    std::vector<std::u32string> shown;
    for (int i = 0; i < 5; ++i) {
      shown.push_back(form.Flag_Label[i].Caption);
      EXPECT_TRUE(form.Flag_Label[i].Visible);
      EXPECT_EQ(form.Flags[i], std::stoi(to_utf8(expected[i].substr(2)))) << i;
    }
    shown.push_back(form.Page_Label.Caption);
    shown.push_back(form.Type_Label.Caption);
    EXPECT_EQ(shown, expected);
  }
}

// Any other name plays the packed scene and reads no debug file.
TEST(StartUp, ChoosesDebugModeOnlyForTheExactName) {
  TestGame game;
  game.write_scene({record(), record(U"END")});
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"5", U"5", U"5", U"5", U"5"});
  for (const char32_t* name : {U"Debug", U"DEBUG2", U"tallowind"}) {
    Engine engine(game, name);
    const Form1& form = engine.start().form();
    EXPECT_EQ(std::tuple(form.Debug_Mode, form.Line_No, form.Flags[0], form.Page_Label.Visible,
                         form.Type_Label.Visible, form.Flag_Label[0].Visible),
              std::tuple(0, 0, 0, false, false, false))
        << to_utf8(name);
  }
}

}  // namespace
}  // namespace tw::test
