// The real program, started the ways a player or an author starts it, and
// where it takes its name and folder from.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "platform/program_location.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramLocation, TakesTheNameWithoutExtensionAndTheFolderAbsoluteWithLinksUnresolved) {
  const TestGame on_path;
  std::ofstream(on_path.root() / "DEBUG") << "#!/bin/sh\n";
  const std::tuple<std::string, std::string, const char32_t*, fs::path> cases[] = {
      {"/games/demo/DEBUG.exe", "", U"DEBUG", "/games/demo"},
      {"/games/demo/../x/DEBUG", "", U"DEBUG", "/games/x"},
      {"/usr/bin/tallowind", "", U"tallowind", "/usr/bin"},
      {"./games/DEBUG", "", U"DEBUG", (fs::current_path() / "games").lexically_normal()},
      {"DEBUG", "/nonexistent:" + on_path.root().string(), U"DEBUG", on_path.root()}};  // a bare name
  for (const auto& [argv0, path, name, folder] : cases) {
    const ProgramLocation location = locate_program(argv0, path);
    EXPECT_EQ(location.name, name) << argv0;
    EXPECT_EQ(location.folder, folder) << argv0;
  }
}

// The exit status of the command line `args`.
int status_of(const std::string& args) {
  return WEXITSTATUS(std::system((args + " >/dev/null 2>&1").c_str()));
}

// The trace of `program` run with a replay that dumps the state, from inside
// the game folder; empty when the program did not end with status 0.
std::string trace_of(const TestGame& game, const std::string& program, const std::string& args = "") {
  std::ofstream(game.root() / "start.replay") << "dump\n";
  const fs::path trace = game.root() / "trace.jsonl";
  if (status_of("cd '" + game.root().string() + "' && '" + program + "' --replay start.replay --trace '" +
                trace.string() + "' " + args) != 0)
    return "";
  return read_bytes(trace);
}

TEST(ProgramStart, TheNameSelectsTheFormToPlayCheckAndPackAndAMalformedCommandLineIsRefused) {
  TestGame game;
  game.write_debug_game(TestGame::settings({}), {U"NORMAL", U"END"});
  const std::string debug = (game.root() / "DEBUG.exe").string(), other = (game.root() / "debug").string();
  fs::create_symlink(TALLOWIND_BINARY, debug);
  fs::create_symlink(TALLOWIND_BINARY, other);
  const std::string program = std::string("'") + TALLOWIND_BINARY + "' ",
                    folder = " '" + game.root().string() + "'";
  EXPECT_EQ(status_of("'" + debug + "' --check"), 0);
  EXPECT_EQ(status_of("'" + debug + "' --graph '" + (game.root() / "flow.dot").string() + "'"), 0);
  EXPECT_EQ(status_of("'" + debug + "' --graph '" + (game.root() / "none/flow.dot").string() + "'"), 1);
  // In order: nothing packed to check yet, then packed, then not packed over.
  for (const auto& [args, status] :
       {std::pair{"--check", 1}, {"--pack 1", 0}, {"--check", 0}, {"--pack 1", 1}})
    EXPECT_EQ(status_of(program + args + folder), status) << args;
  EXPECT_EQ(status_of(program + "--help"), 0);
  for (const char* args : {"--pack", "--pack 0", "--pack x", "--check --pack 1", "--check --force",
                           "--check --window", "--check --trace t", "--screen 800", "--screen 0x600",
                           "--bogus", "a b", "--graph", "--graph g.txt", "--check --graph g.svg"})
    EXPECT_EQ(status_of(program + args + folder), 2) << args;
  // A link named DEBUG plays its own folder in debug mode, one of any other
  // name the folder it is given, as packed.
  const std::string in_debug_mode = trace_of(game, debug);
  EXPECT_NE(in_debug_mode.find(R"("Debug_Mode":-1)"), std::string::npos) << in_debug_mode;
  const std::string normal = trace_of(game, other, "--screen 800x600 .");
  EXPECT_NE(normal.find(R"("Debug_Mode":0)"), std::string::npos) << normal;
  EXPECT_NE(normal.find(R"("Form1":{"Left":0,"Top":0,"Width":12000,"Height":9000,)"), std::string::npos);
}

// Without a display nobody could see the window or close a failure box: the
// program says so at once and how to play without one.
TEST(ProgramStart, WithoutADisplayEndsAtOnceSayingHowToPlayWithoutOne) {
  for (const std::string driver : {"", "SDL_VIDEODRIVER=offscreen "}) {
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + driver +
                                "timeout 60 '" + TALLOWIND_BINARY + "' '" + TALLOWIND_SOURCE_DIR +
                                "/games/demo' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string said;
    for (int c; (c = std::fgetc(pipe)) != EOF;) said += static_cast<char>(c);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 1) << driver << said;  // not 124: it did not hang
    EXPECT_NE(said.find("no display found"), std::string::npos) << said;
    EXPECT_NE(said.find("--replay SCRIPT"), std::string::npos) << said;
  }
}

}  // namespace
}  // namespace tw::test
