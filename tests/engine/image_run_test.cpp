// Timed image runs: records shown one after another in 100 ms ticks with
// the message window hidden and the mouse locked out.
#include <gtest/gtest.h>

#include "support/test_game.h"

namespace tw::test {
namespace {

Record record(std::u32string type, std::u32string line = U"") {
  Record r;
  r.type = std::move(type);
  r.lines[0] = std::move(line);
  return r;
}

Engine& started(TestGame& game, Engine& engine, const std::vector<Record>& records) {
  game.write_lines("scene/main.gst", TestGame::settings({}));
  game.write_lines("scene/scene1.gst", TestGame::scene_of(records));
  return engine.start().wait(100).click(ControlId::image1);
}

TEST(ImageRun, MovesWhenEachRecordsTimeRunsOut) {
  TestGame game;
  Engine engine(game);
  started(game, engine,
          {record(U"NORMAL"), record(U"IMAGE<10>"), record(U"IMAGE<0>"), record(U"IMAGE<10>"),
           record(U"NORMAL", U"後"), record(U"END")});
  Form1& form = engine.form();
  EXPECT_EQ(form.Line_No, 1);
  EXPECT_FALSE(form.waku.Visible);
  EXPECT_FALSE(form.image1.Enabled);
  EXPECT_EQ(form.Timer4.Interval, 100);
  // Moves at ticks 10, 11 and 21.
  const std::pair<int, int> moves[] = {{990, 1}, {1000, 2}, {1100, 3}, {2090, 3}, {2100, 4}};
  std::int64_t now = 0;
  for (const auto& [at, line] : moves) {
    engine.wait(at - now);
    now = at;
    EXPECT_EQ(form.Line_No, line) << "at " << at << " ms";
  }
  EXPECT_TRUE(form.waku.Visible);
  EXPECT_TRUE(form.image1.Enabled);
  EXPECT_EQ(form.Timer4.Interval, 0);
  engine.wait(100);
  EXPECT_EQ(form.Message[0].Caption, U"後") << "the record after the run shows its lines";
}

TEST(ImageRun, LocksOutTheMouseWhileItRuns) {
  TestGame game;
  Engine engine(game);
  started(game, engine, {record(U"NORMAL"), record(U"IMAGE<30>"), record(U"NORMAL"), record(U"END")});
  engine.wait(500);
  engine.click(ControlId::image1).click(ControlId::Window).click(ControlId::Message, 0);
  engine.click(ControlId::image1, 0, kRightButton);
  EXPECT_EQ(engine.form().Line_No, 1);
  EXPECT_EQ(engine.trace().find("popup"), std::string::npos);
}

TEST(ImageRun, ShowsRecordsOfTimeZeroWithinOneStep) {
  TestGame game;
  Engine engine(game);
  started(game, engine,
          {record(U"NORMAL"), record(U"IMAGE<0>"), record(U"IMAGE<0>"), record(U"IMAGE<0>"),
           record(U"NORMAL", U"次"), record(U"END")});
  Form1& form = engine.form();
  EXPECT_EQ(form.Line_No, 4);
  EXPECT_TRUE(form.waku.Visible);
  EXPECT_TRUE(form.image1.Enabled);
  EXPECT_EQ(form.Timer4.Interval, 0);
  engine.wait(100);
  EXPECT_EQ(form.Message[0].Caption, U"次");
}

}  // namespace
}  // namespace tw::test
