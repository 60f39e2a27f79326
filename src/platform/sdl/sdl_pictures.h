#pragma once

#include <cstddef>
#include <filesystem>

#include "platform/pictures_and_fonts.h"

namespace tw {

// The largest picture load accepts. The header's size is checked before any
// decoder sees the file, so a damaged or hostile header cannot make it
// allocate gigabytes.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::size_t kMaxPictureBytes = std::size_t{256} << 20;

// Pictures through SDL2_image. Only BMP, PNG, JPEG and GIF are read: the
// formats the games ship, and no other decoder of the library is exposed to
// game files.
class SdlPictures : public Pictures {
 public:
  SdlPictures();
  ~SdlPictures() override;
  SdlPictures(const SdlPictures&) = delete;
  SdlPictures& operator=(const SdlPictures&) = delete;

  Image load(const std::filesystem::path& file) override;
  void save_png(const Image& image, const std::filesystem::path& file) override;
};

}  // namespace tw
