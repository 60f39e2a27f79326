// Drawing a presented record: the image entries, the main image on the
// canvas, the message window's panel, the sub image and their failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "data/number.h"
#include "support/test_game.h"

namespace tw {

// Records after the first are presented by the step dispatcher, which comes
// with the script interpreter; until then the tests run the procedures
// themselves.
class Form1Probe {
 public:
  static void Show_Scene(Form1& form) { form.Show_Scene(); }
  static void Draw_Sub_Image(Form1& form) { form.Draw_Sub_Image(); }
};

namespace test {
namespace {

constexpr Pixel kRed = 0xFF0000;
constexpr Pixel kWhite24 = 0xFFFFFF;
constexpr Pixel kBlue = 0x0080FF;
constexpr Pixel kMark = 0x777777;
constexpr char32_t kSubOn[] = U"Sub_Window=ON";

// A picture of up to 640 x 480 whose pixels all differ.
Image pattern(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.at(x, y) = 0x000301u * x + 0x008003u * y;
  }
  return image;
}
const Image kRoom = pattern(640, 480);

// The panel over a black main picture on the default white background.
Pixel panel(int x, int y) { return (x + y) % 2 ? kBlue : kWhite24; }

// A debug-mode game of NORMAL records with these main and sub image entries
// and the picture room.bmp. Above record 0 the frame shows from the start.
struct Drawing {
  Drawing(const std::vector<std::u32string>& mains, const std::vector<std::u32string>& subs, int start,
          std::initializer_list<std::pair<int, std::u32string>> settings = {}) {
    files.write_debug_game(TestGame::settings(settings),
                           std::vector<std::u32string>(mains.size(), U"NORMAL"));
    files.write_lines("image/image.gst", mains);
    files.write_lines("image2/image2.gst", subs);
    if (start > 0) files.write_lines("Debug.gst", {decimal_text(start), U"0", U"0", U"0", U"0", U"0"});
    files.write_bmp("image/room.bmp", kRoom);
  }
  Form1& start() {
    engine.start();
    EXPECT_FALSE(engine.ended()) << engine.trace();
    return engine.form();
  }
  void present(int record, void (*procedure)(Form1&) = &Form1Probe::Show_Scene) {
    engine.form().Line_No = static_cast<std::int16_t>(record);
    procedure(engine.form());
  }
  Pixel canvas(int x, int y) { return engine.form().image1.surface.at(x, y); }
  // How many window pixels differ from `expected`, naming the first.
  int mismatches(const std::function<Pixel(int, int)>& expected) {
    const Image& window = engine.form().Window.surface;
    int count = 0;
    for (int y = 0; y < window.height; ++y) {
      for (int x = 0; x < window.width; ++x) {
        if (window.at(x, y) != expected(x, y) && count++ == 0) ADD_FAILURE() << "first at " << x << "," << y;
      }
    }
    return count;
  }

  TestGame files;
  Engine engine{files, U"DEBUG"};
};

TEST(ImageEntry, NamesThePictureAndItsPosition) {
  struct Case {
    std::u32string entry, file;
    int x, y;
  };
  for (const Case& c : {Case{U"room.bmp<120,40>", U"room.bmp", 120, 40},
                        Case{U"room.bmp<-20, 40>stage", U"room.bmp", -20, 40},
                        Case{U"a,b<1,2>", U"a,b", 1, 2}, Case{U"sp_room.bmp<3,4>", U"sp_room.bmp", 3, 4},
                        Case{U"<120,40>", U"", 0, 0}, Case{U"", U"", 0, 0}}) {
    Drawing game({c.entry}, {}, 0);
    game.files.write_bmp("image/a,b", kRoom);
    game.files.write_bmp("image/sp_room.bmp", kRoom);  // opaque: it has no mask
    const Form1& form = game.start();
    EXPECT_EQ(form.Image_File_Work, c.file);
    EXPECT_EQ(form.Image_X, c.x);
    EXPECT_EQ(form.Image_Y, c.y);
    const int left = std::max(c.x, 0);
    const int top = std::max(c.y, 0);
    EXPECT_EQ(game.canvas(left, top), c.file.empty() ? 0 : kRoom.at(left - c.x, top - c.y))
        << to_utf8(c.entry);
  }
}

TEST(Drawing, FailsWithTheMessageOfTheFailingProcedure) {
  constexpr char32_t kFile[] = U"イメージファイル名の取得に失敗しました。";
  constexpr char32_t kPos[] = U"イメージファイルの表示位置取得に失敗しました。";
  constexpr char32_t kMain[] =
      U"メインイメージの表示に失敗しました。画像ファイルのフォーマットが適切かどうか確認してください";
  constexpr char32_t kSub[] = U"サブイメージの表示に失敗しました。画像のフォーマットを確認してください。";
  const std::u32string long_name(32766, U'x');
  struct Case {
    std::u32string main, sub;
    const char32_t* message;
  };
  for (const Case& c :
       {Case{U"room.bmp", U"", kFile}, Case{long_name + U"x<1,2>", U"", kFile},
        Case{long_name + U"<1,2>", U"", kPos},  // the step past the "<" at 32767
        Case{U"room.bmp<120,40", U"", kPos}, Case{U"room.bmp<,40>", U"", kPos},
        Case{U"room.bmp<1,y>", U"", kPos}, Case{U"room.bmp<1,32768>", U"", kPos},
        Case{U"gone.bmp<0,0>", U"", kMain}, Case{U"broken.bmp<0,0>", U"", kMain},
        Case{U"SP_alone.bmp<0,0>", U"", kMain}, Case{U"", U"gone.bmp", kSub}, Case{U"", U"broken.bmp", kSub},
        Case{U"", U"SP_alone.bmp", kSub}, Case{U"room.bmp", U"gone.bmp", kFile}}) {
    Drawing game({U"", c.main}, {U"", c.sub}, 1, {{10, kSubOn}});
    for (const char* folder : {"image/", "image2/"}) {
      game.files.write_bytes(folder + std::string("broken.bmp"), "BM not a picture");
      game.files.write_bmp(folder + std::string("SP_alone.bmp"), Image(4, 4));
    }
    game.engine.start();
    const std::string trace = game.engine.trace();
    const std::string box = R"("error":")" + to_utf8(c.message) + R"(","title":"エラーの発生"})";
    EXPECT_NE(trace.find(box), std::string::npos) << trace;
    EXPECT_EQ(trace.find(R"("error")"), trace.rfind(R"("error")")) << "one box only";
    EXPECT_TRUE(game.engine.ended());
  }
}

TEST(MainImage, BuildsTheCanvasRecordByRecord) {
  // The girl's first column covers, the second shows the canvas, the third mixes.
  Image girl(3, 2, kWhite24);
  Image mask(3, 2, kWhite24);
  for (int y = 0; y < 2; ++y) girl.at(0, y) = kRed, girl.at(2, y) = 0x123456, mask.at(0, y) = 0;
  Drawing game({U"room.bmp<0,0>", U"SP_girl.bmp<200,80>", U"SP_girl.bmp<200,80>", U"SP_girl.bmp<300,80>",
                U"SP_big.bmp<10,10>", U"room.bmp<-100,-50>", U"<0,0>"},
               {}, 0);
  game.files.write_bmp("image/SP_girl.bmp", girl);
  game.files.write_bmp("image/mask/SP_girl.bmp", mask);
  game.files.write_bmp("image/SP_big.bmp", Image(20, 20, kRed));
  game.files.write_bmp("image/mask/SP_big.bmp", Image(10, 10, kWhite24));  // smaller than its image
  game.start();
  game.present(1);
  for (int y = 80; y < 82; ++y) {
    EXPECT_EQ(game.canvas(200, y), kRed);
    EXPECT_EQ(game.canvas(201, y), kRoom.at(201, y));
    EXPECT_EQ(game.canvas(202, y), 0x123456 ^ (kWhite24 & ~kRoom.at(202, y)));
    EXPECT_EQ(game.canvas(203, y), kRoom.at(203, y));
  }
  game.engine.form().image1.surface.at(200, 80) = kMark;
  game.present(2);
  EXPECT_EQ(game.canvas(200, 80), kMark) << "the same entry again is not drawn";
  game.present(3);
  EXPECT_EQ(game.canvas(300, 80), kRed);
  EXPECT_EQ(game.canvas(200, 80), kMark) << "the earlier copy stays";
  game.present(4);
  EXPECT_EQ(game.canvas(12, 12), kRed ^ (kWhite24 & ~kRoom.at(12, 12)));
  EXPECT_EQ(game.canvas(25, 12), kRed) << "beyond its mask the image covers";
  EXPECT_EQ(game.canvas(12, 25), kRed);
  game.present(5);
  EXPECT_EQ(game.canvas(0, 0), kRoom.at(100, 50));
  EXPECT_EQ(game.canvas(539, 429), kRoom.at(639, 479));
  EXPECT_EQ(game.canvas(300, 430), kRoom.at(300, 430)) << "outside its rectangle the canvas stays";
  EXPECT_EQ(game.canvas(540, 10), kRoom.at(540, 10));
  game.present(6);
  EXPECT_EQ(game.engine.form().image1.surface.pixels, Image(640, 480).pixels);
}

// A masked sub image drawn between presentations leaves its mask in Mask2.
TEST(MainImage, StaysOpaqueAfterASubImageMask) {
  Drawing game({U"", U"<0,0>", U"room.bmp<0,0>"}, {U"", U"", U"SP_face.bmp"}, 1, {{10, kSubOn}});
  game.files.write_bmp("image2/SP_face.bmp", Image(140, 140, kWhite24));
  game.files.write_bmp("image2/mask/SP_face.bmp", Image(140, 140, kWhite24));
  game.start();
  game.present(2, &Form1Probe::Draw_Sub_Image);
  ASSERT_EQ(game.engine.form().Mask2.surface.at(0, 0), kWhite24);
  game.present(2);
  EXPECT_EQ(game.engine.form().image1.surface.pixels, kRoom.pixels);
}

TEST(MessagePanel, ShowsThePictureBehindTheWindowOnEvenSquares) {
  // On a 1024 x 768 screen the window lies 85 pixels right of the picture's
  // left edge (15 with the sub window) and 4825 twips = 321.67 pixels down.
  struct Case {
    std::u32string background, sub_window;
    Pixel colour;
    int sx;
  };
  for (const Case& c : {Case{U"黒", U"", 0, 85}, Case{U"", U"", kWhite24, 85}, Case{U"黒", kSubOn, 0, 15}}) {
    Drawing game({U"", U"room.bmp<0,0>"}, {}, 1, {{7, c.background}, {10, c.sub_window}});
    game.start();
    EXPECT_EQ(game.mismatches(
                  [&](int x, int y) { return (x + y) % 2 ? kBlue : kRoom.at(c.sx + x, 322 + y) ^ c.colour; }),
              0)
        << c.sx;
  }
}

TEST(MessagePanel, RepaintsOnlyWhenAnEntryDiffersFromTheOneShown) {
  Drawing game({U"", U"room.bmp<0,0>", U"room.bmp<0,0>", U"", U"", U"", U"", U""},
               {U"", U"", U"", U"", U"", U"face.bmp", U"face.bmp", U"gone.bmp"}, 1, {{10, kSubOn}});
  game.files.write_bmp("image2/face.bmp", Image(1, 1));
  game.start();
  // A main image always repaints; an empty one only after a main image.
  for (const auto& [record, repainted] : {std::pair{2, true}, {3, true}, {4, false}, {5, true}, {6, false}}) {
    game.engine.form().Window.surface.at(141, 0) = kMark;
    game.present(record);
    EXPECT_EQ(game.engine.form().Window.surface.at(141, 0) != kMark, repainted) << record;
  }
  game.engine.form().waku.Visible = false;  // as during a timed image run
  game.present(7);
  EXPECT_EQ(game.engine.form().Window.surface.at(141, 0), kMark);
  EXPECT_FALSE(game.engine.ended()) << "a hidden frame draws no sub image, missing or not";
}

TEST(SubImage, DrawsTheRecordsPictureAtTheWindowsLeft) {
  const Image face = pattern(100, 50);
  Image wide(200, 200, kWhite24);  // red, and its mask black, left of 100 and right of 140
  Image wide_mask(200, 200, kWhite24);
  for (int y = 0; y < 200; ++y) {
    for (int x : {0, 99, 140, 199}) wide.at(x, y) = kRed, wide_mask.at(x, y) = 0;
  }
  Image small_mask(40, 40, kWhite24);  // black left of 20
  for (int y = 0; y < 40; ++y) small_mask.at(0, y) = small_mask.at(19, y) = 0;
  struct Case {
    std::u32string entry, sub_window;
    Image picture, mask;
    std::function<Pixel(int, int)> expected;
  };
  const Case cases[] = {
      {U"face<1>.bmp",
       kSubOn,
       face,
       {},  // stretched, and never split at "<"
       [&](int x, int y) {
         return x < 140 ? face.at((2 * x + 1) * 100 / 280, (2 * y + 1) * 50 / 280) : panel(x, y);
       }},
      {U"face<1>.bmp", U"Sub_Window=on", face, {}, [](int, int) { return kWhite24; }},
      {U"SP_wide.bmp", kSubOn, wide, wide_mask,  // its top-left 140 x 140 only
       [](int x, int y) { return x == 0 || x == 99 ? kRed : panel(x, y); }},
      {U"SP_small.bmp", kSubOn, Image(60, 60, kRed), small_mask,
       [](int x, int y) {
         if (x >= 60 || y >= 60) return panel(x, y);             // beyond the picture the panel stays
         const bool mix = x > 0 && x != 19 && x < 40 && y < 40;  // white mask over red
         return mix ? kRed ^ (kWhite24 & ~panel(x, y)) : kRed;
       }},
  };
  for (const Case& c : cases) {
    Drawing game({U"", U""}, {U"", c.entry}, 1, {{10, c.sub_window}});
    game.files.write_bmp("image2/" + to_utf8(c.entry), c.picture);
    if (!c.mask.empty()) game.files.write_bmp("image2/mask/" + to_utf8(c.entry), c.mask);
    game.start();
    EXPECT_EQ(game.mismatches(c.expected), 0) << to_utf8(c.entry);
  }
}

}  // namespace
}  // namespace test
}  // namespace tw
