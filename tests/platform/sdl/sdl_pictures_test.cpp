#include "platform/sdl/sdl_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "base/failure.h"
#include "platform/sdl/bmp_bitfields.h"
#include "support/inputs.h"
#include "support/test_game.h"

namespace tw {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

fs::path suite(const std::string& relative) { return test::third_party("bmpsuite/" + relative); }
using test::read_bytes;

class SdlPicturesTest : public testing::Test {
 protected:
  fs::path write(const std::string& name, const std::string& bytes) {
    std::ofstream(scratch / name, std::ios::binary) << bytes;
    return scratch / name;
  }
  // The text of the Failure, or "" for a well-formed picture.
  std::string load(const fs::path& file) try {
    image = pictures.load(file);
    EXPECT_TRUE(std::none_of(image.pixels.begin(), image.pixels.end(), [](Pixel p) { return p >> 24; }));
    return image.empty() ? "empty" : "";
  } catch (const Failure& failure) {
    return failure.what();
  }
  test::TestGame folder;
  const fs::path scratch = folder.root();
  SdlPictures pictures;
  Image image;
};

TEST_F(SdlPicturesTest, EveryFileLoadsOrFailsCleanly) {
  const std::map<std::string, std::string> unusual = {{"pal8nonsquare.bmp", "127x32"},
                                                      {"pal8w124.bmp", "124x61"},
                                                      {"pal8w125.bmp", "125x62"},
                                                      {"pal8w126.bmp", "126x63"}};
  const std::string png = read_bytes(suite("reference-html/rgb24.png"));
  std::vector<fs::path> files{scratch / "missing.bmp", write("cut.png", png.substr(0, 100))};
  for (auto dir : {"g", "q", "b", "x"}) {
    const auto found = test::third_party_files("bmpsuite/" + std::string(dir), ".bmp");
    files.insert(files.end(), found.begin(), found.end());
  }
  ASSERT_EQ(files.size(), 2u + 27 + 64);
  for (const fs::path& file : files) {
    const std::string text = load(file);
    if (file.parent_path() == suite("g")) {
      const auto found = unusual.find(file.filename().string());
      EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height),
                found == unusual.end() ? "127x64" : found->second);
      EXPECT_EQ(text, "") << file;
    } else if (!text.empty() || file.parent_path() == scratch) {
      EXPECT_NE(text.find(file.string()), std::string::npos) << text;
    }
  }
}

TEST_F(SdlPicturesTest, HostileSizesAreRefusedBeforeDecoding) {
  const std::string bmp = "BM"s + std::string(12, '\0') + "\x28\0\0\0"s, pad(64, '\0');
  const std::pair<std::string, const char*> cases[] = {
      {read_bytes(suite("b/badwidth.bmp")), "-127x64"},
      {bmp + "\x20\x4E\0\0\x01\0\0\0\x01\0\x18\0"s + pad, "20000x1"},
      {bmp + "\0\x40\0\0\0\x40\0\0\x01\0\x20\0"s + pad, "16384x16384"},
      {"\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\x01\x86\xA0\0\x01\x86\xA0\x08\x02\0\0\0\0\0\0\0"s, "100000x100000"},
      {"GIF89a\x0A\0\x0A\0\0\0\0\x2C\0\0\0\0\xFF\xFF\xFF\xFF\0\x02\x02\x44\x01\0\x3B"s, "65535x65535"},
      {"\xFF\xD8\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0\xFF\xC0\0\x11\x08\xFD\xE8\xFD\xE8\x03"s,
       "65000x65000"}};
  for (const auto& [bytes, size] : cases) {  // the size named is the header's: the decoders never ran
    EXPECT_NE(load(write(size, bytes)).find(size + " は扱えません"s), std::string::npos) << size;
  }
}

TEST_F(SdlPicturesTest, SomeMatchTheirRenderingsAndPngRoundTrips) {
  const std::pair<const char*, const char*> cases[] = {
      {"g/pal1.bmp", "pal1.png"},           {"g/pal4rle.bmp", "pal4.png"},
      {"g/pal8topdown.bmp", "pal8.png"},    {"g/rgb32bf.bmp", "rgb24.png"},
      {"q/rgb16-231.bmp", "rgb16-231.png"}, {"q/rgb32h52.bmp", "rgb24.png"},
      {"b/rgb16-880.bmp", "rgb16-880.png"}};
  for (const auto& [bmp, png] : cases) {
    const Image a = pictures.load(suite(bmp)), b = pictures.load(suite("reference-html/"s + png));
    EXPECT_TRUE(a.width == b.width && a.pixels == b.pixels) << bmp;
  }
  EXPECT_EQ(load(suite("reference-html/rgb24.jpg")), "");
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
}

TEST(BmpBitfieldsTest, RefusesTruncatedAndOtherBmps) {
  const std::string bytes = read_bytes(suite("g/rgb32bf.bmp"));
  for (const std::string& s : {bytes, bytes.substr(0, bytes.size() - 1), bytes.substr(0, 40),
                               read_bytes(suite("g/rgb24.bmp")), read_bytes(suite("q/pal1huffmsb.bmp"))}) {
    const std::span data(reinterpret_cast<const unsigned char*>(s.data()), s.size());
    EXPECT_EQ(decode_bmp_bitfields(data).has_value(), s == bytes) << s.size();
  }
}

}  // namespace
}  // namespace tw
