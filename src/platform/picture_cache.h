#pragma once

#include <cstddef>
#include <filesystem>
#include <list>
#include <map>

#include "platform/media.h"

namespace tw {

// Decoded pictures kept by file while the file stays the same (size and
// modification time), so that a game going back and forth between its
// backgrounds decodes each only once. The least recently used go first
// when the pictures kept pass the budget. Failures are not kept: a file
// that could not be read is read again next time.
class PictureCache : public Pictures {
 public:
  static constexpr std::size_t kDefaultBudgetBytes = std::size_t{64} << 20;

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
