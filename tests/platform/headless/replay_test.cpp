// The headless replay: its script language, exit status, trace and state
// dump.
#include "platform/headless/replay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/headless/replay_script.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

struct ReplayResult {
  int status = 0;
  std::string trace;
  std::string errors;
};

ReplayResult replay(const TestGame& game, const std::string& script, std::u32string name = U"tallowind") {
  std::ofstream(game.root() / "script.txt") << script;
  std::ostringstream trace, errors;
  const ReplayOptions options{game.root() / "script.txt", {}, 1024, 768, game.root(), std::move(name)};
  const int status = run_replay(options, shared_assets(), trace, errors);
  return {status, trace.str(), errors.str()};
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ReplayScript, ReadsEveryCommandForm) {
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
}

TEST(ReplayScript, NamesTheLineOfEveryMalformedCommand) {
  for (const char* bad :
       {"jump 1 2", "click 10", "click 10 20 sideways", "click Message(5)j", "move image1",
        "choose Text_mode", "wait -5", "wait soon", "shot", "dump now", "click 1 2 left extra"}) {
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

  std::filesystem::remove(game.root() / "scene/scene1.gst");
  const ReplayResult failed = replay(game, "dump\n");
  EXPECT_EQ(failed.status, 0);
  EXPECT_TRUE(failed.trace.starts_with(R"j({"t":0,"error":")j")) << failed.trace;
  EXPECT_TRUE(has(failed.trace, R"j("title":"Tallowind"})j") && has(failed.trace, "scene1.gst"));
  EXPECT_TRUE(failed.trace.ends_with(R"j({"t":0,"end":"failure"})j"
                                     "\n"))
      << "no state dump";
}

TEST(Replay, DumpsTheStateByTheEngineNames) {
  TestGame game;
  game.write_debug_game(TestGame::settings({{5, U"黒"}}), {U"NORMAL", U"END"});
  game.write_lines("Debug.gst", {U"1", U"3", U"0", U"0", U"0", U"-1"});
  const ReplayResult result = replay(game, "wait 10\ndump\n", U"DEBUG");
  const std::string& t = result.trace;
  ASSERT_TRUE(has(t, R"j({"t":10,"state":{"Line_No":1,"Scene_No":1,"Debug_Mode":-1,)j")) << t;
  for (const char* part :
       {R"j("Choice_Jump":[0,0,0,0,0])j", R"j("Flags":{"A":3,"B":0,)j",
        R"j("timers":{"Timer1":500,"Timer2":1000,"Timer3":30,"Timer4":0})j",
        R"j("Message_Mode":{"Checked":true,"Enabled":true,"Visible":true})j",
        R"j("save":{"Checked":false,"Enabled":false,"Visible":false})j",
        R"j("RESTART":{"Checked":false,"Enabled":false,"Visible":true})j", R"j("GAME_List":2)j",
        R"j("Message_List(3)":2)j", R"j("sub_Image_List":0)j",
        R"j("Message(0)":{"Left":150,"Top":120,"Width":6750,"Height":345,"Visible":true,"Enabled":true,)j"
        R"j("Caption":"","ForeColor":"0x80000012","BackColor":"0x00FF0000","BackStyle":0,"MousePointer":0})j",
        R"j("Message(4)":{"Left":150,"Top":1800,"Width":6750,"Height":375,"Visible":true,"Enabled":true,)j"
        R"j("Caption":"▼",)j",
        R"j("Flag_Label(4)":{"Left":4320,"Top":0,"Width":1095,"Height":255,"Visible":true,"Enabled":true,)j"
        R"j("Caption":"E=-1",)j",
        R"j("waku":{"Left":4080,"Top":6910,"Width":7200,"Height":2250,"Visible":true,)j",
        R"j("Form1":{"Left":0,"Top":0,"Width":15360,"Height":11520,"Visible":true,)j"}) {
    EXPECT_TRUE(has(t, part)) << part;
  }
}

}  // namespace
}  // namespace tw::test
