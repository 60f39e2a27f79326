// The pictures and fonts of a game: decoded by SDL_image, kept by the cache
// in front of the decoder, and drawn by SDL_ttf from the faces fontconfig
// finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "base/failure.h"
#include "platform/picture_cache.h"
#include "platform/sdl/bmp_bitfields.h"
#include "platform/sdl/sdl_pictures.h"
#include "platform/sdl/ttf_fonts.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test::read_bytes;

fs::path suite(const std::string& relative) { return test::third_party("bmpsuite/" + relative); }

class PicturesTest : public testing::Test, public Pictures {
 protected:
  fs::path write(const std::string& name, const std::string& bytes) {
    std::ofstream(scratch / name, std::ios::binary) << bytes;
    return scratch / name;
  }
  // The text of the Failure, or "" for a well-formed picture.
  std::string check(const fs::path& file) try {
    image = pictures.load(file);
    EXPECT_TRUE(std::none_of(image.pixels.begin(), image.pixels.end(), [](Pixel p) { return p >> 24; }));
    return image.empty() ? "empty" : "";
  } catch (const Failure& failure) {
    return failure.what();
  }
  // As a decoder behind a cache, counting what it is asked to decode.
  Image load(const fs::path& file) override {
    ++loads;
    return pictures.load(file);
  }
  void save_png(const Image& picture, const fs::path& file) override { pictures.save_png(picture, file); }

  test::TestGame folder;
  const fs::path scratch = folder.root();
  SdlPictures pictures;
  Image image;
  int loads = 0;
  PictureCache cache{*this, 2 * 8 * 8 * sizeof(Pixel)};  // room for two of 8 x 8
};

// Every file of the suite loads, the good ones at their size, or fails
// naming itself; sizes no decoder should be handed are refused from the
// header alone.
TEST_F(PicturesTest, EveryFileLoadsOrFailsCleanlyAndHostileSizesAreRefusedBeforeDecoding) {
  const std::map<std::string, std::string> unusual = {{"pal8nonsquare.bmp", "127x32"},
                                                      {"pal8w124.bmp", "124x61"},
                                                      {"pal8w125.bmp", "125x62"},
                                                      {"pal8w126.bmp", "126x63"}};
  std::vector<fs::path> files{scratch / "missing.bmp",
                              write("cut.png", read_bytes(suite("reference-html/rgb24.png")).substr(0, 100))};
  for (auto dir : {"g", "q", "b", "x"}) {
    const auto found = test::third_party_files("bmpsuite/" + std::string(dir), ".bmp");
    files.insert(files.end(), found.begin(), found.end());
  }
  ASSERT_EQ(files.size(), 2u + 27 + 64);
  for (const fs::path& file : files) {
    const std::string text = check(file);
    if (file.parent_path() == suite("g")) {
      const auto found = unusual.find(file.filename().string());
      EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height),
                found == unusual.end() ? "127x64" : found->second);
      EXPECT_EQ(text, "") << file;
    } else if (!text.empty() || file.parent_path() == scratch) {
      EXPECT_NE(text.find(file.string()), std::string::npos) << text;
    }
  }
  const std::string bmp = "BM"s + std::string(12, '\0') + "\x28\0\0\0"s, pad(64, '\0');
  const std::pair<std::string, const char*> hostile[] = {
      {read_bytes(suite("b/badwidth.bmp")), "-127x64"},
      {bmp + "\x20\x4E\0\0\x01\0\0\0\x01\0\x18\0"s + pad, "20000x1"},
      {bmp + "\0\x40\0\0\0\x40\0\0\x01\0\x20\0"s + pad, "16384x16384"},
      {"\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\x01\x86\xA0\0\x01\x86\xA0\x08\x02\0\0\0\0\0\0\0"s, "100000x100000"},
      {"GIF89a\x0A\0\x0A\0\0\0\0\x2C\0\0\0\0\xFF\xFF\xFF\xFF\0\x02\x02\x44\x01\0\x3B"s, "65535x65535"},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xFF\xC0\0\x11\x08\xFD\xE8\xFD\xE8\x03"s,
       "65000x65000"}};
  for (const auto& [bytes, size] : hostile)  // the size named is the header's: the decoders never ran
    EXPECT_NE(check(write(size, bytes)).find(size + " は扱えません"s), std::string::npos) << size;
}

TEST_F(PicturesTest, SomeMatchTheirRenderingsAndPngRoundTrips) {
  const std::pair<const char*, const char*> cases[] = {
      {"g/pal1.bmp", "pal1.png"},           {"g/pal4rle.bmp", "pal4.png"},
      {"g/pal8topdown.bmp", "pal8.png"},    {"g/rgb32bf.bmp", "rgb24.png"},
      {"q/rgb16-231.bmp", "rgb16-231.png"}, {"q/rgb32h52.bmp", "rgb24.png"},
      {"b/rgb16-880.bmp", "rgb16-880.png"}};
  for (const auto& [bmp, png] : cases) {
    const Image a = pictures.load(suite(bmp)), b = pictures.load(suite("reference-html/"s + png));
    EXPECT_TRUE(a.width == b.width && a.pixels == b.pixels) << bmp;
  }
  EXPECT_EQ(check(suite("reference-html/rgb24.jpg")), "");
  // One pixel of colour 0x123456 that is also the transparent colour: the colour is kept.
  const std::string gif =
      "GIF89a\x01\0\x01\0\x80\0\0\x12\x34\x56\0\0\0\x21\xF9\x04\x01\0\0\0\0\x2C\0\0\0\0"
      "\x01\0\x01\0\0\x02\x02\x44\x01\0\x3B"s;
  EXPECT_EQ(pictures.load(write("dot.gif", gif)).pixels, std::vector<Pixel>{0x123456});
  Image out(7, 5);
  for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = 0xAB000000u | Pixel(i * 37) * 0x010307u;
  pictures.save_png(out, scratch / "out.png");
  EXPECT_EQ(read_bytes(scratch / "out.png").substr(24, 2), "\x08\x02"s);  // 8-bit RGB without alpha
  for (Pixel& p : out.pixels) p &= 0x00FFFFFF;
  EXPECT_EQ(pictures.load(scratch / "out.png").pixels, out.pixels);
  EXPECT_THROW(pictures.save_png(out, scratch / "no/such/folder.png"), Failure);
  EXPECT_THROW(pictures.save_png(Image(), scratch / "empty.png"), Failure);
  // Our own decoder takes the bit-field BMPs SDL cannot read, and only whole ones.
  const std::string bytes = read_bytes(suite("g/rgb32bf.bmp"));
  for (const std::string& s : {bytes, bytes.substr(0, bytes.size() - 1), bytes.substr(0, 40),
                               read_bytes(suite("g/rgb24.bmp")), read_bytes(suite("q/pal1huffmsb.bmp"))}) {
    const std::span data(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    EXPECT_EQ(decode_bmp_bitfields(data).has_value(), s == bytes) << s.size();
  }
}

TEST_F(PicturesTest, TheCacheKeepsAPictureFromItsSecondShowingOrReadingAheadUntilItsFileChanges) {
  folder.write_bmp("a.bmp", Image(8, 8, 0x112233));
  const fs::path a = scratch / "a.bmp", b = scratch / "b.bmp", broken = write("broken.bmp", "BM");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(cache.load(a).at(0, 0), 0x112233u);
  EXPECT_EQ(loads, 2);
  folder.write_bmp("a.bmp", Image(9, 7, 0x778899));  // changed on disk: shown anew
  for (int i = 0; i < 3; ++i) EXPECT_EQ(cache.load(a).at(0, 0), 0x778899u);
  EXPECT_EQ(loads, 4);
  for (int i = 0; i < 3; ++i) EXPECT_THROW(cache.load(broken), Failure);
  EXPECT_EQ(loads, 7);
  // A picture read ahead is kept at once; a failure waits for its showing.
  folder.write_bmp("b.bmp", Image(8, 8, 0x445566));
  cache.prefetch(b);
  cache.prefetch(b);
  EXPECT_EQ(cache.load(b).at(0, 0), 0x445566u);
  EXPECT_EQ(loads, 8);
  EXPECT_NO_THROW(cache.prefetch(broken));
  EXPECT_NO_THROW(cache.prefetch(scratch / "missing.bmp"));
}

TEST_F(PicturesTest, TheCacheLeavesKeptPicturesAloneForOnesShownOnceAndHoldsItsBudget) {
  std::vector<fs::path> files;
  for (int i = 0; i < 50; ++i) {
    folder.write_bmp("p" + std::to_string(i) + ".bmp", Image(8, 8, static_cast<Pixel>(i)));
    files.push_back(scratch / ("p" + std::to_string(i) + ".bmp"));
  }
  for (const int i : {0, 1, 0, 1}) cache.load(files[i]);
  for (int i = 2; i < 50; ++i) cache.load(files[i]);  // each shown once
  for (const int i : {0, 1}) EXPECT_EQ(cache.load(files[i]).at(0, 0), static_cast<Pixel>(i));
  EXPECT_EQ(loads, 4 + 48);
  for (const int i : {2, 2, 3, 3}) cache.load(files[i]);  // two more come back: the budget lets 0 and 1 go
  cache.load(files[0]);
  EXPECT_EQ(loads, 4 + 48 + 4 + 1);
}

long ink(const Coverage& coverage) {
  EXPECT_EQ(coverage.alpha.size(), std::size_t(coverage.width) * coverage.height);
  return std::accumulate(coverage.alpha.begin(), coverage.alpha.end(), 0L);
}

// Label texts are 15.75 pt at 96 ppi.
Coverage render(TtfFonts& fonts, const char32_t* face, const char32_t* text, bool bold = false) {
  return fonts.render({face, 15.75, bold}, text, 96);
}

// Points are rounded at the screen density within limits: Mincho labels have
// a 21 pixel em. Bold has more ink, and cached fonts keep their style.
TEST(TtfFontsTest, FacesResolveInAnyWidthOrCaseUnknownOnesStillDrawJapaneseAndBoldHasMoreInk) {
  const double sizes[][3] = {
      {15.75, 96, 21}, {10.5, 120, 18}, {0, 96, 1}, {NAN, 96, 1}, {1e9, 96, kMaxFontPixels}};
  for (const auto& [points, ppi, pixels] : sizes) EXPECT_EQ(font_pixels(points, int(ppi)), pixels) << points;
  TtfFonts fonts;
  const fs::path fixed = fs::canonical(fonts.face_file(U"ＭＳ 明朝"));
  EXPECT_NE(fixed, fs::canonical(fonts.face_file(U"ＭＳ Ｐ明朝")));
  for (const char32_t* face : {U"MS Mincho", U"ＭＳ　明朝", U"ms 明朝"})
    EXPECT_EQ(fs::canonical(fonts.face_file(face)), fixed);
  EXPECT_LT(render(fonts, U"ＭＳ Ｐ明朝", U"iiii").width, render(fonts, U"ＭＳ 明朝", U"iiii").width);
  for (const char32_t* face : {U"Arial", U"存在しない書体", U""})
    EXPECT_GT(ink(render(fonts, face, U"あ▼")), 0);
  const Coverage one = render(fonts, U"ＭＳ 明朝", U"明"), regular = render(fonts, U"ＭＳ 明朝", U"明朝体");
  EXPECT_TRUE(one.width == 21 && one.height == 21) << one.width << "x" << one.height;
  EXPECT_GT(ink(render(fonts, U"ＭＳ 明朝", U"明朝体", true)), ink(regular) * 5 / 4);
  EXPECT_EQ(render(fonts, U"ＭＳ 明朝", U"明朝体").alpha, regular.alpha);
  for (const char32_t* text : {U"", U"\u200B"}) {
    const Coverage none = render(fonts, U"ＭＳ 明朝", text);
    EXPECT_TRUE(none.width == 0 && none.height == 0 && none.alpha.empty());
  }
}

// Fonts limited to one folder through a private fontconfig file: any
// Japanese face stands in, and none is a failure saying what to install.
TEST(TtfFontsTest, InAFolderOfTheirOwnAnyJapaneseFaceStandsInAndNoneIsAFailureSayingWhatToInstall) {
  const test::TestGame folder;
  const fs::path& scratch = folder.root();
  const fs::path gothic = "/usr/share/fonts/opentype/ipafont-gothic";
  fs::create_directories(scratch / "empty");
  for (const fs::path& fonts_in : {scratch / "empty", fs::path("/usr/share/fonts/truetype/dejavu"), gothic}) {
    std::ofstream(scratch / "fonts.conf") << "<fontconfig><dir>" << fonts_in.string() << "</dir><cachedir>"
                                          << (scratch / "cache").string() << "</cachedir></fontconfig>\n";
    try {
      TtfFonts fonts(scratch / "fonts.conf");
      EXPECT_EQ(fonts.face_file(U"ＭＳ 明朝").parent_path(), gothic);
      EXPECT_GT(ink(render(fonts, U"ＭＳ 明朝", U"明")), 0);
    } catch (const Failure& failure) {
      EXPECT_FALSE(fonts_in == gothic && fs::exists(gothic)) << failure.what();
      EXPECT_NE(std::string(failure.what()).find("fonts-ipafont-mincho"), std::string::npos)
          << failure.what();
    }
  }
}

}  // namespace
}  // namespace tw
