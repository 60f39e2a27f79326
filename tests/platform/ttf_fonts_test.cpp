#include "platform/media/ttf_fonts.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>

#include "window/failure.h"

namespace tw {
namespace {

namespace fs = std::filesystem;

constexpr int screen_ppi = 96;
constexpr double label_points = 15.75;  // 21 px at 96 ppi

long ink(const Coverage& coverage) {
  EXPECT_EQ(coverage.alpha.size(), static_cast<std::size_t>(coverage.width) * coverage.height);
  return std::accumulate(coverage.alpha.begin(), coverage.alpha.end(), 0L);
}

TEST(FontPixelsTest, RoundsPointsAtTheScreenDensity) {
  const struct {
    double points;
    int ppi;
    int pixels;
  } cases[] = {
      {15.75, 96, 21}, {9, 96, 12}, {11.25, 96, 15}, {10.5, 120, 18},
      {0, 96, 1},      {-3, 96, 1}, {NAN, 96, 1},    {1e9, 96, max_font_pixels},
  };
  for (const auto& c : cases)
    EXPECT_EQ(font_pixels(c.points, c.ppi), c.pixels) << c.points << " pt at " << c.ppi;
}

class TtfFontsTest : public testing::Test {
 protected:
  Coverage render(const char32_t* face, const char32_t* text, bool bold = false) {
    return fonts.render(FontSpec{face, label_points, bold}, text, screen_ppi);
  }

  TtfFonts fonts;
};

TEST_F(TtfFontsTest, MinchoFacesResolveToDistinctFiles) {
  const fs::path fixed = fs::canonical(fonts.face_file(U"ＭＳ 明朝"));
  EXPECT_NE(fixed, fs::canonical(fonts.face_file(U"ＭＳ Ｐ明朝")));
  // The same face in other widths and cases.
  for (const char32_t* face : {U"MS Mincho", U"ＭＳ　明朝", U"ms 明朝"})
    EXPECT_EQ(fs::canonical(fonts.face_file(face)), fixed);
}

TEST_F(TtfFontsTest, MinchoHasA21PixelEmAt1575Points) {
  const Coverage one = render(U"ＭＳ 明朝", U"明");
  EXPECT_EQ(one.height, 21);
  EXPECT_EQ(one.width, 21);
  EXPECT_GT(ink(one), 0);
  EXPECT_EQ(render(U"ＭＳ 明朝", U"明明明明").width, 4 * 21);  // full-width glyphs advance one em
}

TEST_F(TtfFontsTest, ProportionalMinchoSetsLatinNarrower) {
  EXPECT_LT(render(U"ＭＳ Ｐ明朝", U"iiii").width, render(U"ＭＳ 明朝", U"iiii").width);
}

TEST_F(TtfFontsTest, BoldHasMoreInkAndCachedFontsKeepTheirStyle) {
  const Coverage regular = render(U"ＭＳ 明朝", U"明朝体");
  const Coverage bold = render(U"ＭＳ 明朝", U"明朝体", true);
  EXPECT_EQ(bold.height, regular.height);
  EXPECT_GT(ink(bold), ink(regular) * 5 / 4);
  EXPECT_EQ(render(U"ＭＳ 明朝", U"明朝体").alpha, regular.alpha);
}

TEST_F(TtfFontsTest, UnknownFacesStillDrawJapanese) {
  for (const char32_t* face : {U"Arial", U"存在しない書体", U""}) EXPECT_GT(ink(render(face, U"あ▼")), 0);
}

TEST_F(TtfFontsTest, EmptyTextHasEmptyCoverage) {
  for (const char32_t* text : {U"", U"\u200B"}) {
    const Coverage coverage = render(U"ＭＳ 明朝", text);
    EXPECT_EQ(coverage.width, 0);
    EXPECT_EQ(coverage.height, 0);
    EXPECT_TRUE(coverage.alpha.empty());
  }
}

// Fonts limited to one folder through a private fontconfig file.
class PrivateFontFolderTest : public testing::Test {
 protected:
  PrivateFontFolderTest()
      : scratch(fs::path(testing::TempDir()) / ("tallowind-fonts-" + std::to_string(getpid()))) {
    fs::create_directories(scratch / "empty");
  }
  ~PrivateFontFolderTest() override { fs::remove_all(scratch); }

  fs::path config_for(const fs::path& folder) {
    std::ofstream(scratch / "fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig><dir>" << folder.string() << "</dir><cachedir>"
        << (scratch / "cache").string() << "</cachedir></fontconfig>\n";
    return scratch / "fonts.conf";
  }

  fs::path scratch;
};

TEST_F(PrivateFontFolderTest, NoJapaneseFaceIsAFailureThatSaysWhatToInstall) {
  for (const fs::path& folder : {scratch / "empty", fs::path("/usr/share/fonts/truetype/dejavu")}) {
    SCOPED_TRACE(folder.string());
    try {
      TtfFonts fonts(config_for(folder));
      ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
      EXPECT_NE(std::string(failure.what()).find("fonts-ipafont-mincho"), std::string::npos)
          << failure.what();
    }
  }
}

TEST_F(PrivateFontFolderTest, AnyJapaneseFaceStandsInForMincho) {
  const fs::path gothic = "/usr/share/fonts/opentype/ipafont-gothic";
  if (!fs::exists(gothic)) GTEST_SKIP() << "needs fonts-ipafont-gothic";
  TtfFonts fonts(config_for(gothic));
  EXPECT_EQ(fonts.face_file(U"ＭＳ 明朝").parent_path(), gothic);
  EXPECT_GT(ink(fonts.render(FontSpec{U"ＭＳ 明朝", label_points, false}, U"明", screen_ppi)), 0);
}

}  // namespace
}  // namespace tw
