#include "platform/sdl/ttf_fonts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>

#include "base/failure.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

long ink(const Coverage& coverage) {
  EXPECT_EQ(coverage.alpha.size(), std::size_t(coverage.width) * coverage.height);
  return std::accumulate(coverage.alpha.begin(), coverage.alpha.end(), 0L);
}

// Label texts are 15.75 pt at 96 ppi.
Coverage render(TtfFonts& fonts, const char32_t* face, const char32_t* text, bool bold = false) {
  return fonts.render({face, 15.75, bold}, text, 96);
}

TEST(FontPixelsTest, RoundsPointsAtTheScreenDensityWithinLimits) {
  const double cases[][3] = {
      {15.75, 96, 21}, {10.5, 120, 18}, {0, 96, 1}, {NAN, 96, 1}, {1e9, 96, kMaxFontPixels}};
  for (const auto& [points, ppi, pixels] : cases) EXPECT_EQ(font_pixels(points, int(ppi)), pixels) << points;
}

TEST(TtfFontsTest, FacesResolveInAnyWidthOrCaseAndUnknownOnesStillDrawJapanese) {
  TtfFonts fonts;
  const fs::path fixed = fs::canonical(fonts.face_file(U"ＭＳ 明朝"));
  EXPECT_NE(fixed, fs::canonical(fonts.face_file(U"ＭＳ Ｐ明朝")));
  for (const char32_t* face : {U"MS Mincho", U"ＭＳ　明朝", U"ms 明朝"})
    EXPECT_EQ(fs::canonical(fonts.face_file(face)), fixed);
  EXPECT_LT(render(fonts, U"ＭＳ Ｐ明朝", U"iiii").width, render(fonts, U"ＭＳ 明朝", U"iiii").width);
  for (const char32_t* face : {U"Arial", U"存在しない書体", U""})
    EXPECT_GT(ink(render(fonts, face, U"あ▼")), 0);
}

TEST(TtfFontsTest, MinchoHasA21PixelEmBoldHasMoreInkAndCachedFontsKeepTheirStyle) {
  TtfFonts fonts;
  const Coverage one = render(fonts, U"ＭＳ 明朝", U"明"), regular = render(fonts, U"ＭＳ 明朝", U"明朝体");
  EXPECT_TRUE(one.width == 21 && one.height == 21) << one.width << "x" << one.height;
  EXPECT_GT(ink(render(fonts, U"ＭＳ 明朝", U"明朝体", true)), ink(regular) * 5 / 4);
  EXPECT_EQ(render(fonts, U"ＭＳ 明朝", U"明朝体").alpha, regular.alpha);
  for (const char32_t* text : {U"", U"\u200B"}) {
    const Coverage none = render(fonts, U"ＭＳ 明朝", text);
    EXPECT_TRUE(none.width == 0 && none.height == 0 && none.alpha.empty());
  }
}

// Fonts limited to one folder through a private fontconfig file.
TEST(PrivateFontFolderTest, AnyJapaneseFaceStandsInAndNoneIsAFailureSayingWhatToInstall) {
  const test::TestGame folder;
  const fs::path& scratch = folder.root();
  const fs::path gothic = "/usr/share/fonts/opentype/ipafont-gothic";
  fs::create_directories(scratch / "empty");
  for (const fs::path& folder : {scratch / "empty", fs::path("/usr/share/fonts/truetype/dejavu"), gothic}) {
    std::ofstream(scratch / "fonts.conf") << "<fontconfig><dir>" << folder.string() << "</dir><cachedir>"
                                          << (scratch / "cache").string() << "</cachedir></fontconfig>\n";
    try {
      TtfFonts fonts(scratch / "fonts.conf");
      EXPECT_EQ(fonts.face_file(U"ＭＳ 明朝").parent_path(), gothic);
      EXPECT_GT(ink(render(fonts, U"ＭＳ 明朝", U"明")), 0);
    } catch (const Failure& failure) {
      EXPECT_FALSE(folder == gothic && fs::exists(gothic)) << failure.what();
      EXPECT_NE(std::string(failure.what()).find("fonts-ipafont-mincho"), std::string::npos)
          << failure.what();
    }
  }
}

}  // namespace
}  // namespace tw
