// Start-up in both modes: the window's layout, colours, cursors, background
// tiles and frame picture, and the failures that end start-up.
#include <gtest/gtest.h>

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
    EXPECT_EQ(std::tuple(form.Sub_Width, form.Sub_Height, form.Scene_No, form.Debug_Mode, form.Char_Pos),
              std::tuple(2100, 2100, 1, 0, 9));
    EXPECT_FALSE(form.waku.Visible) << "the title record shows no message window";
    EXPECT_EQ(engine.screen().at(0, 0), 0u) << "without a tile the window stays black";
  }
}

// Colours by the whole settings line; cursors and the frame picture from the
// interface folder.
TEST(StartUp, ReadsColoursCursorsAndTheFramePictureFromTheSettings) {
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
  for (const Label& label : form.Message) EXPECT_EQ(label.ForeColor, kButtonText);
  EXPECT_EQ(std::tuple(form.waku.BackColor, form.Window.BackColor), std::tuple(kHighlight, kButtonText));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(std::tuple(form.Message[i].BackColor, form.Message[i].Back_Style),
              std::tuple(0xFF0000u, BackStyle::Transparent));
  }
  EXPECT_EQ(std::tuple(form.Message[4].BackColor, form.Message[4].Caption), std::tuple(0xFF8080u, Text(U"▼")))
      << "the mark keeps its own background colour";
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

TEST(StartUp, ReportsAMissingOrBrokenPictureAndEnds) {
  for (const char* setting : {"missing.bmp", "broken.bmp"}) {
    TestGame game;
    game.write_scene({record(U"END")}, {{9, from_utf8(setting)}});
    game.write_bytes("image3/broken.bmp", "BM not a picture");
    Engine engine(game);
    engine.start();
    EXPECT_TRUE(engine.failed()) << engine.trace();
    EXPECT_NE(engine.trace().find(setting), std::string::npos) << "the report names the file";
    EXPECT_FALSE(engine.form().form.Visible);
  }
}

// Normal mode reads no debug file either.
TEST(StartUp, ChoosesDebugModeAndItsLabelsOnlyForTheExactName) {
  TestGame game;
  game.write_scene({record(), record(U"END")});
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"5", U"5", U"5", U"5", U"5"});
  for (const char32_t* name : {U"DEBUG", U"Debug", U"DEBUG2", U"tallowind"}) {
    Engine engine(game, name);
    const Form1& form = engine.start().form();
    const bool debug = Text(name) == U"DEBUG";
    EXPECT_EQ(std::tuple(form.Debug_Mode, form.Line_No, form.Flags[0]),
              std::tuple(debug ? -1 : 0, debug ? 1 : 0, debug ? 5 : 0))
        << to_utf8(name);
    for (const Label& label : form.Flag_Label) EXPECT_EQ(label.Visible, debug);
    EXPECT_EQ(form.Page_Label.Visible, debug);
    EXPECT_EQ(form.Type_Label.Visible, debug);
  }
}

}  // namespace
}  // namespace tw::test
