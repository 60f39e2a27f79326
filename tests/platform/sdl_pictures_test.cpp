#include "platform/media/sdl_pictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/media/bmp_bitfields.h"
#include "window/failure.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace std::string_view_literals;

const fs::path suite = fs::path(TALLOWIND_REALDATA) / "bmpsuite";
const fs::path renderings = suite / "reference-html";

std::string read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Distance {
  int max = 0;
  double mean = 0;
};

Distance distance(const Image& a, const Image& b) {
  Distance d;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int diff = std::abs(int(a.pixels[i] >> shift & 0xFF) - int(b.pixels[i] >> shift & 0xFF));
      d.max = std::max(d.max, diff);
      d.mean += diff / (3.0 * a.pixels.size());
    }
  }
  return d;
}

void expect_well_formed(const Image& image) {
  EXPECT_FALSE(image.empty());
  ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height);
  EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(), [](Pixel p) { return p >> 24 == 0; }));
}

// The text of the Failure `load` throws.
template <typename Load>
std::string failure_of(Load&& load) {
  try {
    load();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(no failure)";
}

std::vector<fs::path> files_in(const char* folder) {
  std::vector<fs::path> files(fs::directory_iterator(suite / folder), {});
  std::sort(files.begin(), files.end());
  return files;
}

class SdlPicturesTest : public testing::Test {
 protected:
  SdlPicturesTest()
      : scratch(fs::path(testing::TempDir()) /
                ("tallowind-" + std::to_string(getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::create_directories(scratch);
  }
  ~SdlPicturesTest() override { fs::remove_all(scratch); }

  fs::path write(const char* name, std::string_view bytes) {
    std::ofstream(scratch / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return scratch / name;
  }

  fs::path scratch;
  SdlPictures pictures;
};

TEST_F(SdlPicturesTest, GoodBmpsMatchTheirRenderings) {
  // 16-bit channels may be one off: SDL widens 5 bits by repeating them, the renderings scale.
  const struct {
    const char* bmp;
    const char* png;
    int tolerance;
  } cases[] = {
      {"g/pal1.bmp", "pal1.png", 0},         {"g/pal4rle.bmp", "pal4.png", 0},
      {"g/pal8.bmp", "pal8.png", 0},         {"g/pal8os2.bmp", "pal8.png", 0},
      {"g/pal8rle.bmp", "pal8.png", 0},      {"g/pal8topdown.bmp", "pal8.png", 0},
      {"g/pal8w125.bmp", "pal8w125.png", 0}, {"g/rgb16-565.bmp", "rgb16-565.png", 1},
      {"g/rgb24.bmp", "rgb24.png", 0},       {"g/rgb32.bmp", "rgb24.png", 0},
      {"g/rgb32bf.bmp", "rgb24.png", 0},     {"q/rgb16-231.bmp", "rgb16-231.png", 0},
      {"q/rgb32h52.bmp", "rgb24.png", 0},    {"b/rgb16-880.bmp", "rgb16-880.png", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bmp);
    const Image bmp = pictures.load(suite / c.bmp);
    const Image png = pictures.load(renderings / c.png);
    ASSERT_EQ(bmp.width, png.width);
    ASSERT_EQ(bmp.height, png.height);
    EXPECT_LE(distance(bmp, png).max, c.tolerance);
  }
}

TEST_F(SdlPicturesTest, EveryGoodBmpLoadsAtItsSize) {
  const std::map<std::string, std::pair<int, int>> unusual{{"pal8nonsquare.bmp", {127, 32}},
                                                           {"pal8w124.bmp", {124, 61}},
                                                           {"pal8w125.bmp", {125, 62}},
                                                           {"pal8w126.bmp", {126, 63}}};
  const std::vector<fs::path> files = files_in("g");
  ASSERT_EQ(files.size(), 27u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const Image image = pictures.load(file);
    const auto found = unusual.find(file.filename().string());
    const auto [width, height] = found == unusual.end() ? std::pair{127, 64} : found->second;
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    expect_well_formed(image);
  }
}

TEST_F(SdlPicturesTest, QuestionableBadAndForeignFilesLoadOrFailCleanly) {
  for (const char* folder : {"q", "b", "x"}) {
    for (const fs::path& file : files_in(folder)) {
      SCOPED_TRACE(file.string());
      try {
        expect_well_formed(pictures.load(file));
      } catch (const Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find(file.string()), std::string::npos) << failure.what();
      }
    }
  }
}

TEST_F(SdlPicturesTest, HostileSizesAreRefusedBeforeDecoding) {
  const std::string bmp = "BM"s + std::string(12, '\0') + "\x28\0\0\0"s;
  // The header's size is named: the decoders never ran.
  const struct {
    const char* name;
    std::string bytes;
    const char* size;
  } cases[] = {
      {"reallybig.bmp", read_bytes(suite / "b/reallybig.bmp"), "3000000x2000000"},
      {"badwidth.bmp", read_bytes(suite / "b/badwidth.bmp"), "-127x64"},
      {"wide.bmp", bmp + "\x20\x4E\0\0\x01\0\0\0\x01\0\x18\0"s + std::string(64, '\0'), "20000x1"},
      {"square.bmp", bmp + "\0\x40\0\0\0\x40\0\0\x01\0\x20\0"s + std::string(64, '\0'), "16384x16384"},
      {"huge.png", "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\x01\x86\xA0\0\x01\x86\xA0\x08\x02\0\0\0\0\0\0\0"s,
       "100000x100000"},
      {"frame.gif", "GIF89a\x0A\0\x0A\0\0\0\0\x2C\0\0\0\0\xFF\xFF\xFF\xFF\0\x02\x02\x44\x01\0\x3B"s,
       "65535x65535"},
      {"huge.jpg",
       "\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xFF\xC0\0\x11\x08\xFD\xE8\xFD\xE8\x03"s,
       "65000x65000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = failure_of([&] { pictures.load(write(c.name, c.bytes)); });
    EXPECT_NE(text.find(std::string(c.size) + " は扱えません"), std::string::npos) << text;
  }
}

TEST_F(SdlPicturesTest, MissingEmptyForeignAndTruncatedFilesFail) {
  const std::string png = read_bytes(renderings / "rgb24.png");
  for (const fs::path& file :
       {scratch / "missing.bmp", write("empty.bmp", ""), write("text.bmp", "not a picture"),
        write("cut.png", std::string_view(png).substr(0, 100)), suite / "x/ba-bm.bmp"}) {
    SCOPED_TRACE(file.string());
    EXPECT_NE(failure_of([&] { pictures.load(file); }).find(file.string()), std::string::npos);
  }
}

TEST_F(SdlPicturesTest, JpegAndGifLoad) {
  const Distance jpeg =
      distance(pictures.load(renderings / "rgb24.jpg"), pictures.load(renderings / "rgb24.png"));
  EXPECT_LT(jpeg.mean, 4.0);  // lossy, but the same picture
  // One pixel of colour 0x123456 that is also the transparent colour: the colour is kept.
  const Image gif = pictures.load(write(
      "dot.gif",
      "GIF89a\x01\0\x01\0\x80\0\0\x12\x34\x56\0\0\0\x21\xF9\x04\x01\0\0\0\0\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0\x3B"sv));
  ASSERT_EQ(gif.pixels.size(), 1u);
  EXPECT_EQ(gif.pixels[0], 0x123456u);
}

TEST_F(SdlPicturesTest, PngRoundTripsPixelsAndIsOpaque) {
  Image image(7, 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x)
      image.at(x, y) = 0xAB000000u | static_cast<Pixel>(x * 37 + y * 91) * 0x010307u;
  }
  pictures.save_png(image, scratch / "out.png");
  const std::string bytes = read_bytes(scratch / "out.png");
  ASSERT_GT(bytes.size(), 26u);
  EXPECT_EQ(bytes[24], 8);  // bit depth
  EXPECT_EQ(bytes[25], 2);  // colour type: RGB without alpha
  const Image back = pictures.load(scratch / "out.png");
  for (Pixel& p : image.pixels) p &= 0x00FFFFFF;
  EXPECT_EQ(back.pixels, image.pixels);

  EXPECT_THROW(pictures.save_png(image, scratch / "no/such/folder.png"), Failure);
  EXPECT_THROW(pictures.save_png(Image(), scratch / "empty.png"), Failure);
}

TEST(BmpBitfieldsTest, RefusesTruncatedAndOtherBmps) {
  const std::string bytes = read_bytes(suite / "g/rgb32bf.bmp");
  const auto span_of = [](std::string_view s) {
    return std::span(reinterpret_cast<const unsigned char*>(s.data()), s.size());
  };
  ASSERT_TRUE(decode_bmp_bitfields(span_of(bytes)).has_value());
  EXPECT_FALSE(
      decode_bmp_bitfields(span_of(std::string_view(bytes).substr(0, bytes.size() - 1))).has_value());
  EXPECT_FALSE(decode_bmp_bitfields(span_of(std::string_view(bytes).substr(0, 40))).has_value());
  EXPECT_FALSE(decode_bmp_bitfields(span_of(read_bytes(suite / "g/rgb24.bmp"))).has_value());
  EXPECT_FALSE(decode_bmp_bitfields(span_of(read_bytes(suite / "q/pal1huffmsb.bmp"))).has_value());
}

}  // namespace
}  // namespace tw
