// The bundled demo played from its title to its end through the replay
// script that the play command runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/headless/replay.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

TEST(DemoReplay, PlaysFromTheTitleToTheEndShowingTheTitlePictureInTheMiddle) {
  const fs::path source = TALLOWIND_SOURCE_DIR;
  TestGame shots;  // the screenshots go to a folder of their own
  const fs::path before = fs::current_path();
  fs::current_path(shots.root());
  ReplayOptions options;
  options.script = source / "scripts/demo.replay";
  options.game_folder = source / "games/demo";
  options.program_name = U"tallowind";
  std::ostringstream trace, errors;
  const int status = run_replay(options, shared_assets(), trace, errors);
  fs::current_path(before);

  const std::string t = trace.str();
  EXPECT_EQ(status, 0) << errors.str();
  EXPECT_EQ(t.find("\"error\""), std::string::npos) << t.substr(0, 2000);
  EXPECT_NE(t.find(R"("state":{"Line_No":9,"Scene_No":2,)"), std::string::npos);
  EXPECT_NE(t.find(R"("Flags":{"A":1,)"), std::string::npos) << "the key was found on the beach";
  EXPECT_TRUE(t.ends_with("\"end\":\"script\"}\n"));
  for (const char* file : {"click.wav", "nami.wav", "suzu.wav", "umi.mid", "heya.mid", "matsuri.mid"}) {
    EXPECT_NE(t.find(std::string(file) + "\\\""), std::string::npos) << "opened: " << file;
  }
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
