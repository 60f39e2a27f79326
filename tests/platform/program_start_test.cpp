// The real program, started the ways a player or an author starts it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

// Runs `program` with the replay from inside the game folder and returns the
// exit status and the trace.
std::pair<int, std::string> run_in(const TestGame& game, const fs::path& program, const std::string& args) {
  std::ofstream(game.root() / "start.replay") << "dump\n";
  const fs::path trace = game.root() / "trace.jsonl";
  const std::string command = "cd '" + game.root().string() + "' && '" + program.string() +
                              "' --replay start.replay --trace '" + trace.string() + "' " + args +
                              " 2>/dev/null";
  const int status = std::system(command.c_str());
  return {WEXITSTATUS(status), read_bytes(trace)};
}

TEST(ProgramStart, ALinkNamedDebugPlaysItsOwnFolderInDebugModeAndAnyOtherNameTheGivenOne) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  game.write_scene({record(), record(U"END")});
  fs::create_symlink(TALLOWIND_BINARY, game.root() / "DEBUG.exe");
  fs::create_symlink(TALLOWIND_BINARY, game.root() / "debug");
  const auto [status, trace] = run_in(game, game.root() / "DEBUG.exe", "");
  EXPECT_EQ(status, 0);
  EXPECT_NE(trace.find(R"("Debug_Mode":-1)"), std::string::npos) << trace;
  const auto [normal_status, normal_trace] = run_in(game, game.root() / "debug", "--screen 800x600 .");
  EXPECT_EQ(normal_status, 0);
  EXPECT_NE(normal_trace.find(R"("Debug_Mode":0)"), std::string::npos) << normal_trace;
  EXPECT_NE(normal_trace.find(R"("Form1":{"Left":0,"Top":0,"Width":12000,"Height":9000,)"),
            std::string::npos);
}

// The exit status of the program started with `args`.
int status_of(const std::string& args) {
  return WEXITSTATUS(std::system((args + " >/dev/null 2>&1").c_str()));
}

TEST(ProgramStart, ChecksAndPacksTheFormTheNameSelectsAndRefusesAMalformedCommandLine) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  fs::create_symlink(TALLOWIND_BINARY, game.root() / "DEBUG");
  const std::string program = std::string("'") + TALLOWIND_BINARY + "' ";
  const std::string folder = " '" + game.root().string() + "'";
  EXPECT_EQ(status_of("'" + (game.root() / "DEBUG").string() + "' --check"), 0);
  EXPECT_EQ(status_of(program + "--check" + folder), 1);  // no scene files yet
  EXPECT_EQ(status_of(program + "--pack 1" + folder), 0);
  EXPECT_EQ(status_of(program + "--check" + folder), 0);
  EXPECT_EQ(status_of(program + "--pack 1" + folder), 1);  // exists already
  EXPECT_EQ(status_of(program + "--help"), 0);
  for (const char* args :
       {"--pack", "--pack 0", "--pack x", "--check --pack 1", "--check --force", "--check --window",
        "--check --trace t", "--screen 800", "--screen 0x600", "--bogus", "a b"}) {
    EXPECT_EQ(status_of(program + args + folder), 2) << args;
  }
}

// Without a display nobody could see the window or close a failure box: the
// program says so at once and how to play without one.
TEST(ProgramStart, WithoutADisplayEndsAtOnceSayingHowToPlayWithoutOne) {
  for (const char* driver : {"", "SDL_VIDEODRIVER=offscreen "}) {
    const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ") +
                                driver + "timeout 60 '" + TALLOWIND_BINARY + "' '" + TALLOWIND_SOURCE_DIR +
                                "/games/demo' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(pipe);
    std::string said;
    for (int c; (c = std::fgetc(pipe.get())) != EOF;) said += static_cast<char>(c);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe.release())), 1) << driver << said;  // not 124: it did not hang
    EXPECT_NE(said.find("no display found"), std::string::npos) << said;
    EXPECT_NE(said.find("--replay SCRIPT"), std::string::npos) << said;
  }
}

}  // namespace
}  // namespace tw::test
