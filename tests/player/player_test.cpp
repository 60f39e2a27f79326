// The player's comforts, driven as the replay drives them: keys, the wheel
// and the controller, skip, auto mode, the history, the hidden window, the
// screen and sound keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "engine/screen_layout.h"
#include "player/screenshots.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

Record page(std::u32string line) { return record(U"NORMAL", std::move(line)); }

Record choices(std::u32string type, std::array<std::u32string, 4> lines) {
  Record choice = record(std::move(type));
  choice.lines = std::move(lines);
  return choice;
}

class Keys : public ::testing::Test {
 protected:
  Form1& start(const std::vector<Record>& records) {
    game.write_scene(records);
    return engine.start().wait(100).form();
  }
  Engine& key(const std::string& name, Press press = Press::DownAndUp, KeyModifiers modifiers = {}) {
    return engine.run(KeyCommand{name, modifiers, press});
  }
  Engine& pad(const std::string& button, Press press = Press::DownAndUp) {
    return engine.run(PadCommand{button, press});
  }
  PlayerState state() { return engine.session().player().state(); }

  TestGame game;
  Engine engine{game};
};

const std::vector<Record> kStory{record(),    page(U"一"), page(U"二"),
                                 page(U"三"), page(U"四"), record(U"END")};

TEST_F(Keys, AdvanceDoesExactlyWhatALeftClickDoesWhereThePlayerWouldClick) {
  start(kStory);
  key("Return").wait(100);
  key("Space").wait(100);
  pad("a");
  engine.wait(100).run(WheelCommand{-1});
  engine.wait(100);
  key("Keypad Enter");
  engine.session().finish_script();

  TestGame same;
  same.write_scene(kStory);
  Engine clicked(same);
  clicked.start().wait(100).click(ControlId::image1).wait(100);
  clicked.step().step().click(ControlId::Window).wait(100).click(ControlId::Window);
  clicked.session().finish_script();
  EXPECT_EQ(engine.form().Line_No, 5);
  EXPECT_EQ(engine.trace(), clicked.trace()) << "the same steps, sounds and times as the mouse's";
}

TEST_F(Keys, UpDownAndNumbersTakeChoicesAsTheMouseDoes) {
  Form1& form = start({record(), choices(U"COMMAND<2><3><4><0>", {U"甲", U"乙", U"丙", U""}), page(U"二"),
                       page(U"三"), page(U"四"), record(U"END")});
  engine.begin();
  key("Up");
  EXPECT_EQ(std::tuple(form.Choice_Hover, form.Message[0].Back_Style), std::tuple(0, BackStyle::Opaque))
      << "the first press highlights the first choice";
  for (int i = 0; i < 3; ++i) key("Down");
  EXPECT_EQ(form.Choice_Hover, 2) << "no choice below the last";
  key("Up");
  key("Up");
  EXPECT_EQ(form.Choice_Hover, 0);
  key("4");
  EXPECT_EQ(form.Line_No, 1) << "a fourth choice is not offered";
  key("Return");
  EXPECT_EQ(form.Line_No, 2);

  engine.menu("RESTART").begin();
  key("3");
  EXPECT_EQ(form.Line_No, 4) << "a number takes its choice at once";
}

TEST_F(Keys, CtrlSkipsARecordAFrameUntilChoicesAndTabOnlyWhatWasReadBefore) {
  const std::vector<Record> story{record(),    page(U"一"),
                                  page(U"二"), page(U"三"),
                                  page(U"四"), choices(U"COMMAND<1><1><0><0>", {U"甲", U"乙", U"", U""})};
  Form1& form = start(story);
  engine.menu("Message_Mode_standard").begin();
  key("Left Ctrl", Press::Down).wait(0);
  EXPECT_EQ(std::tuple(form.Line_No, state().skip, form.Message[0].Caption),
            std::tuple(2, SkipMode::All, Text(U"二")))
      << "at once, and shown whole even where the text is revealed a character a tick";
  engine.wait(16);
  EXPECT_EQ(form.Line_No, 3) << "then one record a frame";
  engine.wait(100);
  EXPECT_EQ(std::tuple(form.Line_No, state().skip), std::tuple(5, SkipMode::Off)) << "stopped at the choices";
  engine.session().finish_script();

  // A later play skips with Tab what the first one read, and stops at a record
  // it never reached, where Tab again stops at once.
  game.write_scene({record(), page(U"一"), page(U"二"), page(U"三"), page(U"四"), page(U"五"), page(U"新"),
                    record(U"END")});
  Engine later(game);
  later.start().begin();
  for (int press = 0; press < 2; ++press) {
    later.run(KeyCommand{"Tab", {}, Press::DownAndUp}).wait(200);
    EXPECT_EQ(std::tuple(later.form().Line_No, later.session().player().state().skip),
              std::tuple(6, SkipMode::Off))
        << press;
  }
}

TEST_F(Keys, AutoWaitsLongerForLongerPagesAndAnyInputEndsIt) {
  Form1& form = start({record(), page(U"一二三四五"), page(U"二"), page(U"三"), record(U"END")});
  engine.begin().wait(1000);
  key("A").wait(1000 + 5 * 80 - 10);
  EXPECT_EQ(form.Line_No, 1);
  engine.wait(20);
  EXPECT_EQ(form.Line_No, 2) << "one second and 80 ms a character after auto mode began over a whole page";
  engine.wait(1200);
  EXPECT_EQ(form.Line_No, 3);
  engine.click(ControlId::Window).wait(5000);
  EXPECT_EQ(std::tuple(form.Line_No, state().auto_mode), std::tuple(3, false)) << "the click only ended it";
}

TEST_F(Keys, TheHistoryShowsEarlierPagesAndNothingAdvancesWhileItIsOpen) {
  Form1& form = start(kStory);
  Player& player = engine.session().player();
  const Rect window = place_of_waku(form).visible;
  const auto window_pixels = [&] {
    Image screen;
    player.compose_game(shared_fonts(), screen);
    Image part(window.width, window.height);
    paint_picture(part, screen, -window.x, -window.y);
    return part.pixels;
  };
  engine.begin();
  const auto first_page = window_pixels();
  engine.step().step();
  engine.run(WheelCommand{1});
  EXPECT_EQ(state().backlog, 1);
  engine.run(WheelCommand{5});
  EXPECT_EQ(state().backlog, 2) << "no further than the first page";
  EXPECT_EQ(window_pixels(), first_page);
  key("Return").wait(100);
  EXPECT_EQ(std::tuple(form.Line_No, state().backlog), std::tuple(3, 0)) << "Return closed it without a step";
  key("PageUp");
  key("PageDown");
  key("PageDown");
  EXPECT_EQ(state().backlog, 0) << "past the newest page it closes";
  key("PageUp");
  engine.click(ControlId::Window, 0, kRightButton);
  EXPECT_EQ(std::tuple(state().backlog, engine.session().ended()), std::tuple(0, false));

  engine.menu("RESTART").begin();
  engine.run(WheelCommand{1});
  EXPECT_EQ(state().backlog, 0) << "pages from before the restart are gone";
}

TEST_F(Keys, EscapeOpensTheMenuWhoseItemsTheKeysTakeThenHidingTheWindowHelpAndTheScreenAndSoundKeys) {
  Form1& form = start(kStory);
  engine.begin();
  key("Escape");
  EXPECT_NE(engine.trace().find(R"("popup":"GAME")"), std::string::npos);
  key("Down");
  key("Right");
  key("Return");
  EXPECT_TRUE(form.Message_Mode_standard.Checked) << "the submenu's first item";
  pad("start");
  key("F11");
  EXPECT_FALSE(state().fullscreen) << "the screen keys work in the open menu, which stays open";
  key("Escape");
  key("Return").wait(100);
  EXPECT_EQ(form.Line_No, 2) << "Escape closed the menu without an item; Return advances again";

  const Image shown = engine.screen();
  key("H");
  Image hidden;
  engine.session().player().compose(shared_fonts(), hidden);
  EXPECT_TRUE(state().window_hidden);
  EXPECT_NE(hidden.pixels, shown.pixels);
  key("Return");
  EXPECT_EQ(std::tuple(state().window_hidden, form.Line_No), std::tuple(false, 2)) << "back without a step";
  key("F1");
  EXPECT_TRUE(engine.session().player().help_shown());
  key("Space");
  EXPECT_EQ(std::tuple(engine.session().player().help_shown(), form.Line_No), std::tuple(false, 2));

  ::setenv("XDG_PICTURES_DIR", (game.root() / "pictures").c_str(), 1);
  key("F11");
  key("-");
  key("Keypad -");
  key("M");
  key("Return", Press::DownAndUp, {true, false, false});
  key("F12");
  EXPECT_EQ(std::tuple(state().fullscreen, state().volume, state().muted, form.Line_No),
            std::tuple(false, 80, true, 2));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(game.root() / "pictures" / "Tallowind"),
                          std::filesystem::directory_iterator()),
            1);
  for (int i = 0; i < 12; ++i) key("+");

  Engine later(game);
  later.start();
  const PlayerState kept = later.session().player().state();
  EXPECT_EQ(std::tuple(kept.fullscreen, kept.volume, kept.muted), std::tuple(false, 100, false))
      << "remembered for the next play; + unmutes and stops at 100";
}

// Debug mode's edit-and-see: the files are read again and the record on
// screen shown anew with the flags play gave it, not the debug file's. A
// file written is a reason only when the record on screen shows it; one
// that no longer reads fails as a step would; normal mode does nothing.
TEST(Reload, ShowsTheRecordOnScreenAnewInDebugModeOnly) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"FLAG<A+1>", U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"5", U"0", U"0", U"0", U"0"});
  game.write_lines("message/message1.gst", {U"", U"", U"前の文", U""});
  game.write_bytes("image/other.bmp", "");
  Engine engine(game, U"DEBUG");
  Form1& form = engine.start().wait(1000).step().wait(1000).form();
  ASSERT_EQ(std::tuple(form.Line_No, form.Flags[0], form.Message[0].Caption), std::tuple(2, 6, U"前の文"));

  game.write_lines("message/message1.gst", {U"", U"", U"新しい文", U""});
  game.write_lines("game.gst", {U"NORMAL", U"FLAG<A+1>", U"END", U"END"});
  Player& player = engine.session().player();
  player.files_written({game.root() / "image/other.bmp", game.root() / "Debug.gst"});
  EXPECT_EQ(form.Message[0].Caption, U"前の文") << "no file of the record on screen was written";
  player.files_written({game.root() / "image/other.bmp", game.root() / "message/message1.gst"});
  engine.wait(1000);
  EXPECT_EQ(std::tuple(form.Line_No, form.Flags[0], form.Message[0].Caption, form.Type_Label.Caption,
                       form.Timer1.Interval),
            std::tuple(2, 6, U"新しい文", U"END", 0))
      << "shown anew as an END record, which stops the mark";

  std::filesystem::remove(game.root() / "message/message3.gst");
  engine.run(ReloadCommand{});
  EXPECT_TRUE(engine.shows_error(U"次のシーンの情報を読みこもうとしましたが")) << engine.trace();
  EXPECT_NE(engine.trace().find("message3.gst"), std::string::npos) << "the detail names the file";

  TestGame packed;
  packed.write_scene({record(), page(U"文"), record(U"END")});
  Engine normal(packed);
  normal.start().begin().wait(1000);
  const std::string before = normal.trace();
  normal.run(ReloadCommand{});
  EXPECT_EQ(std::tuple(normal.trace(), normal.form().Message[0].Caption), std::tuple(before, U"文"));
}

TEST(Screenshots, GoToThePicturesFolderTheDesktopNames) {
  TestGame config;
  ::unsetenv("XDG_PICTURES_DIR");
  ::setenv("HOME", "/home/reader", 1);
  ::setenv("XDG_CONFIG_HOME", config.root().c_str(), 1);
  EXPECT_EQ(screenshot_folder(), "/home/reader/Pictures/Tallowind");
  config.write_bytes("user-dirs.dirs",
                     "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/画像\"\n");
  EXPECT_EQ(screenshot_folder(), "/home/reader/画像/Tallowind");
  ::setenv("XDG_PICTURES_DIR", "/srv/shots", 1);
  EXPECT_EQ(screenshot_folder(), "/srv/shots/Tallowind");
}

}  // namespace
}  // namespace tw::test
