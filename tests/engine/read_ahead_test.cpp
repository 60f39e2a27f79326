// Reading ahead: while a record waits, the main picture of the record the
// next step presents is handed to the picture cache, and only that one.
#include <gtest/gtest.h>

#include "platform/headless/session.h"
#include "support/test_game.h"

namespace tw::test {
namespace {

namespace fs = std::filesystem;

// The real decoder, writing down what it is asked to read ahead.
class ReadAheadLog : public Pictures {
 public:
  Image load(const fs::path& file) override { return shared_pictures().load(file); }
  void save_png(const Image& image, const fs::path& file) override {
    shared_pictures().save_png(image, file);
  }
  void prefetch(const fs::path& file) override { read.push_back(file.filename().string()); }
  std::vector<std::string> read;
};

Record record(std::u32string type, std::u32string image) {
  Record r;
  r.type = std::move(type);
  r.image = std::move(image);
  r.lines = {U"・一", U"・二", U"", U""};
  return r;
}

class ReadAhead : public ::testing::Test {
 protected:
  void start(const std::vector<Record>& records) {
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp", "SP_f.bmp", "mask/SP_f.bmp"}) {
      game.write_bmp(std::string("image/") + name, solid(4, 4, 0x123456));
    }
    game.write_lines("scene/main.gst", TestGame::settings({}));
    game.write_lines("scene/scene1.gst", TestGame::scene_of(records));
    session.start();
    session.run(WaitCommand{100});
  }
  // What the current record reads ahead, then the next step.
  std::vector<std::string> read_ahead() {
    pictures.read.clear();
    session.form().prefetch_pictures_ahead();
    return pictures.read;
  }
  void step(ControlId control = ControlId::Window) {
    session.run(ClickCommand{MouseTarget{control, 0}, false, 0, 0, kLeftButton});
    session.run(WaitCommand{2000});
  }

  TestGame game;
  ReadAheadLog pictures;
  std::ostringstream trace;
  HeadlessSession session{
      {1024, 768, game.root(), U"tallowind"}, {pictures, shared_fonts(), shared_media().sounds}, trace};
};

TEST_F(ReadAhead, FollowsEachKindOfRecordAsTheStepWill) {
  start({record(U"NORMAL", U"a.bmp<0,0>"), record(U"2", U"b.bmp<0,0>"), record(U"NORMAL", U"c.bmp<0,0>"),
         record(U"IF<A=0>......4>.......5>", U"d.bmp<0,0>"), record(U"COMMAND<5><6><0><0>", U"e.bmp<0,0>"),
         record(U"NORMAL", U"SP_f.bmp<0,0>"), record(U"END", U"e.bmp<0,0>")});
  Form1& form = session.form();
  const std::vector<std::string> none;
  EXPECT_EQ(read_ahead(), std::vector<std::string>{"b.bmp"}) << "the title reads the next record";
  step(ControlId::image1);
  ASSERT_EQ(form.Line_No, 1);
  EXPECT_EQ(read_ahead(), std::vector<std::string>{"d.bmp"}) << "a jump to 2 goes on to record 3";
  step();
  ASSERT_EQ(form.Line_No, 3);
  EXPECT_EQ(read_ahead(), std::vector<std::string>{"e.bmp"}) << "A is 0: the IF goes to 4";
  step();
  ASSERT_EQ(form.Choice_Wait, -1);
  EXPECT_EQ(read_ahead(), (std::vector<std::string>{"SP_f.bmp", "SP_f.bmp"})) << "choice 1 and its mask";
  session.run(MoveCommand{MouseTarget{ControlId::Message, 1}, 0, 0});
  EXPECT_EQ(read_ahead(), none) << "choice 2 keeps the picture on the canvas";
  step();
  ASSERT_EQ(form.Line_No, 6);
  EXPECT_EQ(read_ahead(), none) << "END goes nowhere";
}

TEST_F(ReadAhead, LeavesEntriesThatDoNotReadToTheStep) {
  start({record(U"IF<A=x>......1>.......1>", U"a.bmp<0,0>"), record(U"NORMAL", U"no position")});
  EXPECT_EQ(read_ahead(), std::vector<std::string>{});
  session.form().GAME_List.set_line(0, U"NORMAL");
  EXPECT_EQ(read_ahead(), std::vector<std::string>{});
  EXPECT_FALSE(session.ended());
}

}  // namespace
}  // namespace tw::test
