// Presenting a record: the main image, the message panel, the sub image and
// their failures, timed runs of IMAGE records and the picture read ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>

#include "base/number.h"
#include "platform/headless/session.h"
#include "support/test_game.h"

namespace tw {

// Until the step dispatcher presents the records after the first, the tests run the procedures.
class Form1Probe {
 public:
  static void Show_Scene(Form1& form) { form.Show_Scene(); }
  static void Draw_Sub_Image(Form1& form) { form.Draw_Sub_Image(); }
};

namespace test {
namespace {

constexpr Pixel kRed = 0xFF0000, kWhite = 0xFFFFFF, kBlue = 0x0080FF, kMark = 0x777777;
constexpr char32_t kSubOn[] = U"Sub_Window=ON";

// A picture whose pixels all differ.
const Image kRoom = [] {
  Image image(640, 480);
  for (int i = 0; i < 640 * 480; ++i) image.pixels[i] = 0x000301u * (i % 640) + 0x008003u * (i / 640);
  return image;
}();

// The panel over a black main picture on the default white background.
Pixel panel(int x, int y) { return (x + y) % 2 ? kBlue : kWhite; }

// A debug-mode game of NORMAL records with these main and sub image entries
// and the picture room.bmp. Above record 0 the frame shows from the start.
struct Drawing {
  Drawing(int start, const std::vector<std::u32string>& mains, const std::vector<std::u32string>& subs = {},
          std::initializer_list<std::pair<int, std::u32string>> settings = {{10, kSubOn}}) {
    files.write_debug_game(TestGame::settings(settings),
                           std::vector<std::u32string>(mains.size(), U"NORMAL"));
    files.write_lines("image/image.gst", mains);
    files.write_lines("image2/image2.gst", subs);
    if (start > 0) files.write_lines("Debug.gst", {decimal_text(start), U"0", U"0", U"0", U"0", U"0"});
    files.write_bmp("image/room.bmp", kRoom);
  }
  void start() { EXPECT_FALSE(engine.start().ended()) << engine.trace(); }
  void present(int record, void (*procedure)(Form1&) = &Form1Probe::Show_Scene) {
    engine.form().Line_No = static_cast<std::int16_t>(record);
    procedure(engine.form());
  }
  // Fails naming the first window pixel that differs from `expected`.
  void expect_window(const std::function<Pixel(int, int)>& expected) {
    const Image& window = engine.form().Window.surface;
    for (int i = 0; i < int(window.pixels.size()); ++i) {
      const int x = i % window.width, y = i / window.width;
      if (window.pixels[i] != expected(x, y)) return ADD_FAILURE() << "first at " << x << "," << y;
    }
  }
  TestGame files;
  Engine engine{files, U"DEBUG"};
};

// The name is what comes before "<" and the position follows it; the picture
// is drawn opaque, or through its mask when the name starts with "SP_".
TEST(MainImage, NamesThePictureAndItsPositionAndBuildsTheCanvasRecordByRecord) {
  Image girl(3, 2, kWhite), mask(3, 2, kWhite);
  for (int y = 0; y < 2; ++y) girl.at(0, y) = kRed, girl.at(2, y) = 0x123456, mask.at(0, y) = 0;
  Drawing game(0,
               {U"", U"room.bmp<-20, 40>stage", U"a,b<1,2>", U"sp_room.bmp<3,4>", U"room.bmp<0,0>",
                U"SP_girl.bmp<200,80>", U"SP_girl.bmp<200,80>", U"SP_girl.bmp<300,80>", U"SP_big.bmp<10,10>",
                U"<0,0>"},
               {}, {});
  for (auto path : {"image/a,b", "image/sp_room.bmp"}) game.files.write_bmp(path, kRoom);  // sp_ is unmasked
  game.files.write_bmp("image/SP_girl.bmp", girl);
  game.files.write_bmp("image/mask/SP_girl.bmp", mask);
  game.files.write_bmp("image/SP_big.bmp", Image(20, 20, kRed));
  game.files.write_bmp("image/mask/SP_big.bmp", Image(10, 10, kWhite));  // smaller than its image
  game.start();
  const Form1& form = game.engine.form();
  const std::u32string files[] = {U"", U"room.bmp", U"a,b", U"sp_room.bmp"};
  const std::int16_t xs[] = {0, -20, 1, 3}, ys[] = {0, 40, 2, 4};
  for (int record = 0; record < 4; ++record) {
    if (record > 0) game.present(record);
    const int x = xs[record], y = ys[record], left = std::max(x, 0), top = std::max(y, 0);
    EXPECT_EQ(std::tuple(form.Image_File_Work, form.Image_X, form.Image_Y), std::tuple(files[record], x, y));
    EXPECT_EQ(form.image1.surface.at(left, top), files[record].empty() ? 0 : kRoom.at(left - x, top - y));
  }
  game.present(4);
  game.present(5);
  Image& canvas = game.engine.form().image1.surface;
  // The girl's first column covers, the second shows the canvas, the third mixes.
  const Pixel* room = &kRoom.pixels[81 * 640 + 200];
  EXPECT_EQ(std::vector(&canvas.at(200, 81), &canvas.at(204, 81)),
            std::vector<Pixel>({kRed, room[1], 0x123456 ^ (kWhite & ~room[2]), room[3]}));
  canvas.at(200, 80) = kMark;
  game.present(6);
  EXPECT_EQ(canvas.at(200, 80), kMark) << "the same entry again is not drawn";
  game.present(7);
  EXPECT_EQ(std::tuple(canvas.at(300, 80), canvas.at(200, 80)), std::tuple(kRed, kMark))
      << "the earlier copy stays";
  game.present(8);
  EXPECT_EQ(canvas.at(12, 12), kRed ^ (kWhite & ~kRoom.at(12, 12)));
  EXPECT_EQ(canvas.at(25, 12), kRed) << "beyond its mask the image covers";
  game.present(9);
  EXPECT_TRUE(canvas.pixels == Image(640, 480).pixels) << "cleared";
}

TEST(MessagePanel, ShowsThePictureBehindTheWindowOnEvenSquaresAndRepaintsOnlyForADifferentEntry) {
  // On 1024 x 768 the window is 85 pixels right of the picture (15 with a sub window), 321.67 down.
  Drawing on_black(1, {U"", U"room.bmp<0,0>"}, {}, {{7, U"黒"}});
  on_black.start();
  on_black.expect_window([](int x, int y) { return (x + y) % 2 ? kBlue : kRoom.at(85 + x, 322 + y); });

  Drawing game(1, {U"", U"room.bmp<0,0>", U"room.bmp<0,0>", U"", U"", U"", U"", U""},
               {U"", U"", U"", U"", U"", U"face.bmp", U"face.bmp", U"gone.bmp"});
  game.files.write_bmp("image2/face.bmp", Image(1, 1));
  game.start();  // on the default white background the panel inverts the picture
  game.expect_window([](int x, int y) { return (x + y) % 2 ? kBlue : kRoom.at(15 + x, 322 + y) ^ kWhite; });
  const auto corner = [&]() -> Pixel& { return game.engine.form().Window.surface.at(141, 0); };
  // A main image always repaints; an empty one only after a main image.
  for (const auto& [record, repainted] : {std::pair{2, true}, {3, true}, {4, false}, {5, true}, {6, false}}) {
    corner() = kMark;
    game.present(record);
    EXPECT_EQ(corner() != kMark, repainted) << record;
  }
  game.engine.form().waku.Visible = false;  // as during a timed image run
  game.present(7);
  EXPECT_EQ(corner(), kMark);
  EXPECT_FALSE(game.engine.ended()) << "a hidden frame draws no sub image, missing or not";
}

TEST(SubImage, IsStretchedOrDrawnThroughItsMaskAndLeavesNoMaskOnTheCanvas) {
  Image mask(40, 40, kWhite);  // black at 0 and 19
  for (int y = 0; y < 40; ++y) mask.at(0, y) = mask.at(19, y) = 0;
  Drawing game(1, {U"", U"", U"", U"room.bmp<0,0>"}, {U"", U"room<1>.bmp", U"SP_r.bmp", U"SP_r.bmp"});
  game.files.write_bmp("image2/room<1>.bmp", kRoom);
  game.files.write_bmp("image2/SP_r.bmp", Image(200, 60, kRed));
  game.files.write_bmp("image2/mask/SP_r.bmp", mask);
  game.start();  // stretched over 140 x 140, and never split at "<"
  game.expect_window([](int x, int y) {
    return x < 140 ? kRoom.at((2 * x + 1) * 640 / 280, (2 * y + 1) * 480 / 280) : panel(x, y);
  });
  game.present(2);  // unscaled, clipped to 140 x 140; the red covers where the mask is black or missing
  game.expect_window([](int x, int y) {
    if (x >= 140 || y >= 60) return panel(x, y);
    return x > 0 && x != 19 && x < 40 && y < 40 ? kRed ^ (kWhite & ~panel(x, y)) : kRed;
  });
  game.present(3, &Form1Probe::Draw_Sub_Image);  // between presentations, as an image run may
  ASSERT_EQ(game.engine.form().Mask2.surface.at(1, 1), kWhite);
  game.present(3);  // the main image is opaque all the same
  EXPECT_TRUE(game.engine.form().image1.surface.pixels == kRoom.pixels);
}

// Timed image runs show records one after another in 100 ms ticks with the
// message window hidden and the mouse locked out; records of time 0 are
// shown and left within the step.
TEST(ImageRun, MovesWhenEachRecordsTimeRunsOutAndLocksOutTheMouse) {
  TestGame game;
  game.write_scene({record(), record(U"IMAGE<0>"), record(U"IMAGE<0>"), record(U"NORMAL", U"次"),
                    record(U"IMAGE<10>"), record(U"IMAGE<0>"), record(U"IMAGE<10>"), record(U"NORMAL", U"後"),
                    record(U"END")});
  Engine engine(game);
  Form1& form = engine.start().begin().form();
  EXPECT_EQ(std::tuple(form.Line_No, form.waku.Visible, form.image1.Enabled, form.Timer4.Interval),
            std::tuple(3, true, true, 0));
  EXPECT_EQ(form.Message[0].Caption, U"次");
  engine.click(ControlId::Window);
  EXPECT_EQ(std::tuple(form.Line_No, form.waku.Visible, form.image1.Enabled, form.Timer4.Interval),
            std::tuple(4, false, false, 100));
  engine.wait(500).click(ControlId::image1).click(ControlId::Window).click(ControlId::Message, 0);
  engine.click(ControlId::image1, 0, kRightButton);
  EXPECT_EQ(form.Line_No, 4) << "the mouse is locked out";
  EXPECT_EQ(engine.trace().find("popup"), std::string::npos);
  // Moves at ticks 10, 11 and 21.
  const std::pair<int, int> moves[] = {{990, 4}, {1000, 5}, {1100, 6}, {2090, 6}, {2100, 7}};
  std::int64_t now = 500;
  for (const auto& [at, line] : moves) {
    engine.wait(at - now);
    now = at;
    EXPECT_EQ(form.Line_No, line) << "at " << at << " ms";
  }
  EXPECT_EQ(std::tuple(form.waku.Visible, form.image1.Enabled, form.Timer4.Interval),
            std::tuple(true, true, 0));
  engine.wait(100);
  EXPECT_EQ(form.Message[0].Caption, U"後") << "the record after the run shows its lines";
}

// The real decoder, writing down what it is asked to read ahead.
struct ReadAheadLog : Pictures {
  Image load(const std::filesystem::path& file) override { return shared_pictures().load(file); }
  void save_png(const Image& image, const std::filesystem::path& file) override {
    shared_pictures().save_png(image, file);
  }
  void prefetch(const std::filesystem::path& file) override { read.push_back(file.filename().string()); }
  std::vector<std::string> read;
};

// While a record waits, the main picture of the record the next step
// presents is handed to the picture cache, and only that one.
TEST(ReadAhead, FollowsEachKindOfRecordAsTheStepWillAndLeavesWhatDoesNotRead) {
  TestGame game;
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp", "SP_f.bmp", "mask/SP_f.bmp"}) {
    game.write_bmp(std::string("image/") + name, Image(4, 4, 0x123456));
  }
  game.write_scene({{.image = U"a.bmp<0,0>"},
                    {.type = U"2", .image = U"b.bmp<0,0>"},
                    {.image = U"c.bmp<0,0>"},
                    {.type = U"IF<A=0>......4>.......5>", .image = U"d.bmp<0,0>"},
                    {.type = U"COMMAND<5><6><0><0>", .image = U"e.bmp<0,0>", .lines = {U"・一", U"・二"}},
                    {.image = U"SP_f.bmp<0,0>"},
                    {.type = U"END", .image = U"e.bmp<0,0>"}});
  ReadAheadLog pictures;
  Engine engine{game.root(), U"tallowind", 1024, 768, {pictures, shared_fonts(), shared_assets().sounds}};
  Form1& form = engine.start().wait(100).form();
  // The current record and what it reads ahead.
  using Ahead = std::pair<int, std::vector<std::string>>;
  const auto ahead = [&] {
    pictures.read.clear();
    form.prefetch_pictures_ahead();
    return Ahead{form.Line_No, pictures.read};
  };
  EXPECT_EQ(ahead(), (Ahead{0, {"b.bmp"}})) << "the title reads the next record";
  engine.begin();
  EXPECT_EQ(ahead(), (Ahead{1, {"d.bmp"}})) << "a jump to 2 goes on to record 3";
  engine.step();
  EXPECT_EQ(ahead(), (Ahead{3, {"e.bmp"}})) << "A is 0: the IF goes to 4";
  engine.step();
  EXPECT_EQ(ahead(), (Ahead{4, {"SP_f.bmp", "SP_f.bmp"}})) << "choice 1 and its mask";
  engine.move(1);
  EXPECT_EQ(ahead(), (Ahead{4, {}})) << "choice 2 keeps the picture on the canvas";
  engine.step();
  EXPECT_EQ(ahead(), (Ahead{6, {}})) << "END goes nowhere";
  form.GAME_List.set_line(6, U"IF<A=x>......1>.......1>");
  EXPECT_EQ(ahead(), (Ahead{6, {}})) << "an IF whose value does not read";
  form.GAME_List.set_line(6, U"NORMAL");
  form.image_list.set_line(7, U"no position");
  EXPECT_EQ(ahead(), (Ahead{6, {}})) << "an entry without a position";
  EXPECT_FALSE(engine.ended());
}

}  // namespace
}  // namespace test
}  // namespace tw
