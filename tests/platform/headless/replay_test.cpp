// The headless replay: its script language, exit status, trace and state
// dump, and the bundled demo played from its title to its end through the
// replay script that the play command runs.
#include "platform/headless/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/headless/replay_script.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

struct ReplayResult {
  int status = 0;
  std::string trace, errors;
};

ReplayResult replay(const fs::path& script, const fs::path& game, Text name = U"tallowind",
                    bool strict = false) {
  std::ostringstream trace, errors;
  const int status =
      run_replay({script, {}, 1024, 768, game, std::move(name), strict}, shared_assets(), trace, errors);
  return {status, trace.str(), errors.str()};
}
ReplayResult replay(const TestGame& game, const std::string& script, Text name = U"tallowind",
                    bool strict = false) {
  std::ofstream(game.root() / "script.txt") << script;
  return replay(game.root() / "script.txt", game.root(), std::move(name), strict);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ReplayScript, ReadsEveryCommandFormAndNamesTheLineOfEveryMalformedOne) {
  const auto lines = parse_replay_script(
      "# a comment\n\n  click 10 20\nclick Message(3) right\nclick image1 middle\nmove 5 6\n"
      "move Message(0)\nchoose RESTART\nwait 1500\nshot out dir/a b.png  \ndump\r\nclose\n");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0].line_number, 3);
  const auto& click = std::get<ClickCommand>(lines[1].action);
  ASSERT_TRUE(click.control);
  EXPECT_EQ(click.control->index, 3);
  EXPECT_EQ(click.button, kRightButton);
  EXPECT_EQ(std::get<ClickCommand>(lines[2].action).button, kMiddleButton);
  EXPECT_EQ(std::get<WaitCommand>(lines[6].action).ms, 1500);
  EXPECT_EQ(std::get<ShotCommand>(lines[7].action).file, "out dir/a b.png");
  EXPECT_TRUE(std::holds_alternative<CloseCommand>(lines[9].action));
  // A key's name is the rest of the line, blanks included, before a last
  // "down" or "up"; modifier prefixes hold their key.
  const auto keys = parse_replay_script(
      "key Left Ctrl down\nkey Alt+Return\nkey Keypad +\nkey Up up\nwheel up 3\nwheel down\npad dpup down\n"
      "reload\n");
  const auto key = [&](int i) { return std::get<KeyCommand>(keys[i].action); };
  EXPECT_EQ(std::tuple(key(0).name, key(0).press), std::tuple("Left Ctrl", Press::Down));
  EXPECT_EQ(std::tuple(key(1).name, key(1).modifiers.alt, key(1).press),
            std::tuple("Return", true, Press::DownAndUp));
  EXPECT_EQ(key(2).name, "Keypad +");
  EXPECT_EQ(std::tuple(key(3).name, key(3).press), std::tuple("Up", Press::Up));
  EXPECT_EQ(std::get<WheelCommand>(keys[4].action).notches, 3);
  EXPECT_EQ(std::get<WheelCommand>(keys[5].action).notches, -1);
  EXPECT_EQ(std::get<PadCommand>(keys[6].action).button, "dpup");
  EXPECT_TRUE(std::holds_alternative<ReloadCommand>(keys[7].action));
  for (const char* bad : {"jump 1 2",
                          "click 10",
                          "click 10 20 sideways",
                          "click Message(5)j",
                          "move image1",
                          "choose Text_mode",
                          "wait -5",
                          "wait soon",
                          "shot",
                          "dump now",
                          "reload all",
                          "click 1 2 left extra",
                          "key",
                          "key down",
                          "wheel sideways",
                          "wheel up 0",
                          "wheel down 1001",
                          "wheel up 2 3",
                          "pad z",
                          "pad",
                          "wait 86400001"}) {
    try {
      parse_replay_script(std::string("dump\n") + bad + "\n");
      ADD_FAILURE() << bad;
    } catch (const ScriptError& error) {
      EXPECT_TRUE(has(error.message, "line 2")) << error.message;
    }
  }
}

TEST(Replay, EndsTheTraceWithHowTheRunEndedAndExitsWithItsStatus) {
  TestGame game;
  game.write_scene({record(U"END")});
  const ReplayResult malformed = replay(game, "dump\nfly away\n");
  EXPECT_EQ(malformed.status, 2);
  EXPECT_TRUE(has(malformed.errors, "line 2")) << malformed.errors;
  EXPECT_EQ(malformed.trace, "") << "nothing runs";

  const ReplayResult ran = replay(game, "wait 700\nchoose END_GAME\n");
  EXPECT_EQ(ran.status, 0);
  EXPECT_TRUE(ran.trace.ends_with(R"j({"t":700,"choose":"END_GAME","taken":false})j"
                                  "\n"
                                  R"j({"t":700,"end":"script"})j"
                                  "\n"))
      << "no menu is open: " << ran.trace;
  // The demo's replay shows screenshots written; one that cannot be is an error.
  const ReplayResult refused = replay(game, "shot " + (game.root() / "no/such/folder.png").string() + "\n");
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(refused.errors.empty());
  const ReplayResult closed = replay(game, "close\ndump\n");
  EXPECT_TRUE(closed.trace.ends_with("{\"t\":0,\"end\":\"closed\"}\n")) << "nothing runs after the end";

  EXPECT_EQ(replay(game, "wait 86400000\n").status, 0) << "a day is the longest wait";

  // A failure box ends the run: exit status 0, or 1 with --strict, and one
  // line on standard error with the message and where it happened.
  fs::remove(game.root() / "scene/scene1.gst");
  for (const bool strict : {false, true}) {
    const ReplayResult failed = replay(game, "dump\n", U"tallowind", strict);
    EXPECT_EQ(failed.status, strict ? 1 : 0);
    EXPECT_TRUE(failed.trace.starts_with(R"j({"t":0,"error":")j")) << failed.trace;
    EXPECT_TRUE(has(failed.trace, R"j("title":"Tallowind","detail":")j") && has(failed.trace, "scene1.gst"));
    EXPECT_TRUE(failed.trace.ends_with(R"j({"t":0,"end":"failure"})j"
                                       "\n"))
        << "no state dump";
    EXPECT_EQ(std::count(failed.errors.begin(), failed.errors.end(), '\n'), 1) << failed.errors;
    EXPECT_TRUE(has(failed.errors, "scene1.gst")) << failed.errors;
  }
}

TEST(Replay, DumpsTheStateByTheEngineNames) {
  TestGame game;
  game.write_debug_game(TestGame::settings({{5, U"黒"}}), {U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"3", U"0", U"0", U"0", U"-1"});
  const std::string t = replay(game, "wait 10\ndump\n", U"DEBUG").trace;
  ASSERT_TRUE(has(t, R"j({"t":10,"state":{"Line_No":1,"Scene_No":1,"Debug_Mode":-1,)j")) << t;
  // One of each kind of value; what they hold is the engine's business.
  for (const char* part :
       {R"j("Choice_Jump":[0,0,0,0,0])j", R"j("Flags":{"A":3,"B":0,)j",
        R"j("timers":{"Timer1":500,"Timer2":1000,"Timer3":30,"Timer4":0})j",
        R"j("Message_Mode":{"Checked":true,"Enabled":true,"Visible":true})j", R"j("Message_List(3)":2)j",
        R"j("Message(0)":{"Left":150,"Top":120,"Width":6750,"Height":345,"Visible":true,"Enabled":true,)j"
        R"j("Caption":"","ForeColor":"0x80000012","BackColor":"0x00FF0000","BackStyle":0,"MousePointer":0})j",
        R"j("Flag_Label(4)":{"Left":4320,"Top":0,"Width":1095,"Height":255,"Visible":true,"Enabled":true,)j"
        R"j("Caption":"E=-1",)j",
        R"j("waku":{"Left":4080,"Top":6910,"Width":7200,"Height":2250,"Visible":true,)j",
        R"j("Form1":{"Left":0,"Top":0,"Width":15360,"Height":11520,"Visible":true,)j",
        R"j("player":{"skip":"off","auto":false,"backlog":0,"window_hidden":false,"fullscreen":true,)j"
        R"j("volume":100,"muted":false},"controls":)j"}) {
    EXPECT_TRUE(has(t, part)) << part;
  }
}

TEST(Replay, PlaysTheDemoFromTheTitleToTheEndShowingTheTitlePictureInTheMiddle) {
  const fs::path source = TALLOWIND_SOURCE_DIR;
  const TestGame shots;  // the screenshots go to a folder of their own
  const fs::path before = fs::current_path();
  fs::current_path(shots.root());
  const ReplayResult demo = replay(source / "scripts/demo.replay", source / "games/demo");
  fs::current_path(before);
  const std::string& t = demo.trace;
  EXPECT_EQ(demo.status, 0) << demo.errors;
  EXPECT_FALSE(has(t, "\"error\"")) << t.substr(0, 2000);
  EXPECT_TRUE(has(t, R"("state":{"Line_No":9,"Scene_No":2,)"));
  EXPECT_TRUE(has(t, R"("Flags":{"A":1,)")) << "the key was found on the beach";
  EXPECT_TRUE(t.ends_with("\"end\":\"script\"}\n"));
  for (const char* file : {"click.wav", "nami.wav", "suzu.wav", "umi.mid", "heya.mid", "matsuri.mid"})
    EXPECT_TRUE(has(t, std::string(file) + "\\\"")) << "opened: " << file;
  const Image title = shared_pictures().load(source / "games/demo/image/title.bmp");
  const Image shot = shared_pictures().load(shots.root() / "01-title.png");
  ASSERT_EQ(shot.width, 1024);
  int differing = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) differing += shot.at(192 + x, 144 + y) != title.at(x, y);
  }
  EXPECT_EQ(differing, 0);
  EXPECT_TRUE(fs::exists(shots.root() / "09-end.png"));
}

}  // namespace
}  // namespace tw::test
