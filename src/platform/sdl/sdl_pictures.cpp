#include "platform/sdl/sdl_pictures.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/failure.h"
#include "platform/sdl/bmp_bitfields.h"
#include "platform/sdl/sdl_handles.h"

namespace tw {
namespace {

using Bytes = std::vector<unsigned char>;

constexpr int kNeededCodecs = IMG_INIT_PNG | IMG_INIT_JPG;
// Room for the headers and palette of the largest uncompressed picture.
constexpr std::uintmax_t kMaxFileBytes = kMaxPictureBytes + (std::uintmax_t{1} << 20);
constexpr Pixel kRgbMask = 0x00FFFFFF;

enum class Format { bmp, png, jpeg, gif };

struct Header {
  Format format;
  long long width;
  long long height;
};

[[noreturn]] void fail_load(const std::filesystem::path& file, const std::string& reason) {
  throw Failure("画像を読みこめません: " + file.string() + " (" + reason + ")");
}

bool has(const Bytes& bytes, std::size_t at, std::size_t count) {
  return at <= bytes.size() && count <= bytes.size() - at;
}

bool starts_with(const Bytes& bytes, std::string_view magic) {
  return has(bytes, 0, magic.size()) &&
         std::equal(magic.begin(), magic.end(), bytes.begin(),
                    [](char m, unsigned char b) { return static_cast<unsigned char>(m) == b; });
}

// Callers check the range with has() first.
std::uint32_t little(const Bytes& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

std::uint32_t big(const Bytes& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[at + i];
  return value;
}

std::optional<Header> bmp_header(const Bytes& bytes) {
  if (!has(bytes, 14, 4)) return std::nullopt;
  const std::uint32_t info_size = little(bytes, 14, 4);
  if (info_size == 12 && has(bytes, 18, 4)) {  // OS/2 1.x: 16-bit sizes
    return Header{Format::bmp, little(bytes, 18, 2), little(bytes, 20, 2)};
  }
  if (info_size < 16 || !has(bytes, 18, 8)) return std::nullopt;
  // A negative height only marks a top-down picture.
  const long long height = static_cast<std::int32_t>(little(bytes, 22, 4));
  return Header{Format::bmp, static_cast<std::int32_t>(little(bytes, 18, 4)), height < 0 ? -height : height};
}

std::optional<Header> png_header(const Bytes& bytes) {
  if (!has(bytes, 8, 16) || !std::equal(bytes.begin() + 12, bytes.begin() + 16, "IHDR")) return std::nullopt;
  return Header{Format::png, big(bytes, 16, 4), big(bytes, 20, 4)};
}

// The size of the first frame, the one that is loaded, and of the canvas.
std::optional<Header> gif_header(const Bytes& bytes) {
  if (!has(bytes, 6, 7)) return std::nullopt;
  const auto color_table = [](unsigned flags) -> std::size_t {
    return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0;
  };
  std::size_t at = 13 + color_table(bytes[10]);
  while (has(bytes, at, 2)) {
    if (bytes[at] == 0x2C) {  // image descriptor: left, top, width, height
      if (!has(bytes, at, 9)) return std::nullopt;
      return Header{
          Format::gif,
          std::max<long long>(little(bytes, 6, 2), little(bytes, at + 1, 2) + little(bytes, at + 5, 2)),
          std::max<long long>(little(bytes, 8, 2), little(bytes, at + 3, 2) + little(bytes, at + 7, 2))};
    }
    if (bytes[at] != 0x21) return std::nullopt;  // neither extension nor frame: the data ended
    at += 2;
    while (has(bytes, at, 1) && bytes[at] != 0) at += bytes[at] + 1u;
    ++at;
  }
  return std::nullopt;
}

// The frame size in the first SOFn segment; markers before it are skipped.
std::optional<Header> jpeg_header(const Bytes& bytes) {
  std::size_t at = 2;
  while (has(bytes, at, 2) && bytes[at] == 0xFF) {
    const unsigned marker = bytes[at + 1];
    at += marker == 0xFF ? 1 : 2;  // fill bytes may precede a marker
    if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA || !has(bytes, at, 2)) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (!has(bytes, at, 7)) return std::nullopt;
      return Header{Format::jpeg, big(bytes, at + 5, 2), big(bytes, at + 3, 2)};
    }
    const std::uint32_t length = big(bytes, at, 2);
    if (length < 2) return std::nullopt;
    at += length;
  }
  return std::nullopt;
}

bool acceptable_size(long long width, long long height) {
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         static_cast<std::size_t>(width * height) * sizeof(Pixel) <= kMaxPictureBytes;
}

Header read_header(const Bytes& bytes, const std::filesystem::path& file) {
  std::optional<Header> header;
  if (starts_with(bytes, "BM")) {
    header = bmp_header(bytes);
  } else if (starts_with(bytes, "\x89PNG\r\n\x1A\n")) {
    header = png_header(bytes);
  } else if (starts_with(bytes, "GIF87a") || starts_with(bytes, "GIF89a")) {
    header = gif_header(bytes);
  } else if (starts_with(bytes, "\xFF\xD8")) {
    header = jpeg_header(bytes);
  } else {
    fail_load(file, "BMP・PNG・JPEG・GIF のどれでもありません");
  }
  if (!header) fail_load(file, "ヘッダーが壊れています");
  if (!acceptable_size(header->width, header->height)) {
    fail_load(file, "大きさ " + std::to_string(header->width) + "x" + std::to_string(header->height) +
                        " は扱えません");
  }
  return *header;
}

Bytes read_file(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) fail_load(file, "ファイルがありません");
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) fail_load(file, error.message());
  if (size > kMaxFileBytes) fail_load(file, "ファイルが大きすぎます");
  Bytes bytes(static_cast<std::size_t>(size));
  std::ifstream in(file, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    fail_load(file, "読みだせません");
  }
  return bytes;
}

SDL_Surface* decode(Format format, SDL_RWops* rw) {
  switch (format) {
    case Format::bmp:
      return IMG_LoadBMP_RW(rw);
    case Format::png:
      return IMG_LoadPNG_RW(rw);
    case Format::jpeg:
      return IMG_LoadJPG_RW(rw);
    case Format::gif:
      return IMG_LoadGIF_RW(rw);
  }
  return nullptr;
}

}  // namespace

SdlPictures::SdlPictures() {
  if ((IMG_Init(kNeededCodecs) & kNeededCodecs) != kNeededCodecs) {
    const std::string reason = IMG_GetError();
    IMG_Quit();
    throw Failure("PNG・JPEG の読み書きを準備できません: " + reason);
  }
}

SdlPictures::~SdlPictures() { IMG_Quit(); }

Image SdlPictures::load(const std::filesystem::path& file) {
  const Bytes bytes = read_file(file);
  const Header header = read_header(bytes, file);
  const SdlRw rw(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())));
  if (!rw) fail_load(file, SDL_GetError());
  const SdlSurface decoded(decode(header.format, rw.get()));
  if (!decoded) {
    // SDL knows only the usual channel layouts; valid BMPs may use others.
    const std::string reason = IMG_GetError();
    if (header.format != Format::bmp) fail_load(file, reason);
    std::optional<Image> image = decode_bmp_bitfields(bytes);
    if (!image) fail_load(file, reason);
    return std::move(*image);
  }
  // Decoders may read a size other than the header's, e.g. a later frame.
  if (!acceptable_size(decoded->w, decoded->h)) fail_load(file, "大きさが扱えません");
  // Converted straight into the image, as a plain copy: alpha and colour
  // key take no part, the engine keeps the colour of every pixel.
  Image image(decoded->w, decoded->h);
  const SdlSurface into(SDL_CreateRGBSurfaceWithFormatFrom(image.pixels.data(), image.width, image.height, 32,
                                                           image.width * static_cast<int>(sizeof(Pixel)),
                                                           SDL_PIXELFORMAT_RGB888));
  if (!into || SDL_SetSurfaceBlendMode(decoded.get(), SDL_BLENDMODE_NONE) != 0 ||
      SDL_SetColorKey(decoded.get(), SDL_FALSE, 0) != 0 ||
      SDL_SetSurfaceColorMod(decoded.get(), 255, 255, 255) != 0 ||
      SDL_SetSurfaceAlphaMod(decoded.get(), 255) != 0 ||
      SDL_BlitSurface(decoded.get(), nullptr, into.get(), nullptr) != 0) {
    fail_load(file, SDL_GetError());
  }
  for (Pixel& pixel : image.pixels) pixel &= kRgbMask;
  return image;
}

void SdlPictures::save_png(const Image& image, const std::filesystem::path& file) {
  const auto fail_save = [&](const std::string& reason) {
    throw Failure("PNG を書きこめません: " + file.string() + " (" + reason + ")");
  };
  if (image.empty() || image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
    fail_save("画像が空か、画素の数が合いません");
  }
  const SdlSurface surface(
      SDL_CreateRGBSurfaceWithFormat(0, image.width, image.height, 32, SDL_PIXELFORMAT_RGB888));
  if (!surface) fail_save(SDL_GetError());
  auto* rows = static_cast<unsigned char*>(surface->pixels);
  for (int y = 0; y < image.height; ++y) {
    std::memcpy(rows + static_cast<std::size_t>(y) * surface->pitch,
                image.pixels.data() + static_cast<std::size_t>(y) * image.width, image.width * sizeof(Pixel));
  }
  // A format without alpha: the file is written as opaque RGB.
  if (IMG_SavePNG(surface.get(), file.c_str()) != 0) fail_save(IMG_GetError());
}

}  // namespace tw
