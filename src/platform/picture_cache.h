#pragma once

#include <cstddef>
#include <filesystem>
#include <list>
#include <map>

#include "platform/media.h"

namespace tw {

// Decoded pictures kept by file while the file stays the same (size and
// modification time), so that a game going back and forth between two
// backgrounds decodes neither again. The least recently used go first
// when the pictures kept pass the budget. Failures are not kept: a file
// that could not be read is read again next time.
class PictureCache : public Pictures {
 public:
  // Three 640 x 480 pictures. A picture decoded into reused memory takes a
  // third of a millisecond, so keeping more would cost the player memory
  // for little.
  static constexpr std::size_t kDefaultBudgetBytes = std::size_t{4} << 20;

  explicit PictureCache(Pictures& decoder, std::size_t budget_bytes = kDefaultBudgetBytes);

  Image load(const std::filesystem::path& file) override;
  void save_png(const Image& image, const std::filesystem::path& file) override;

 private:
  struct Kept {
    std::filesystem::path file;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    Image image;
  };
  using Recent = std::list<Kept>;  // most recently used first

  Pictures& decoder_;
  std::size_t budget_;
  std::size_t kept_bytes_ = 0;
  Recent recent_;
  std::map<std::filesystem::path, Recent::iterator> by_file_;
};

}  // namespace tw
