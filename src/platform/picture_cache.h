#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <list>
#include <map>
#include <optional>

#include "platform/pictures_and_fonts.h"

namespace tw {

// Decoded pictures kept by file while the file stays the same (size and
// modification time), so that a game going back and forth between two
// backgrounds decodes neither again. A picture is kept from its second
// showing on: most are shown once, and keeping those would cost a copy
// each and push out the ones that come back. The least recently used go
// first when the pictures kept pass the budget. Failures are not kept: a
// file that could not be read is read again next time.
class PictureCache : public Pictures {
 public:
  // Three 640 x 480 pictures. A picture decoded into reused memory takes a
  // third of a millisecond, so keeping more would cost the player memory
  // for little.
  static constexpr std::size_t kDefaultBudgetBytes = std::size_t{4} << 20;

  explicit PictureCache(Pictures& decoder, std::size_t budget_bytes = kDefaultBudgetBytes);

  Image load(const std::filesystem::path& file) override;
  void save_png(const Image& image, const std::filesystem::path& file) override;
  // Decodes and keeps a picture about to be shown, unless it is kept.
  void prefetch(const std::filesystem::path& file) override;

 private:
  struct Stamp {
    std::filesystem::path file;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const Stamp&) const = default;
  };
  struct Kept {
    Stamp stamp;
    Image image;
  };
  using Recent = std::list<Kept>;  // most recently used first
  static constexpr std::size_t kSeenOnceRemembered = 32;

  // The file's size and time; nullopt when they cannot be read.
  static std::optional<Stamp> stamp_of(const std::filesystem::path& file);
  // The kept picture of an unchanged file, made the most recently used.
  const Image* find(const Stamp& stamp);
  void keep(const Stamp& stamp, Image image);
  // True the second time in a while that the same file is asked for.
  bool seen_before(const Stamp& stamp);

  Pictures& decoder_;
  std::size_t budget_;
  std::size_t kept_bytes_ = 0;
  Recent recent_;
  std::map<std::filesystem::path, Recent::iterator> by_file_;
  std::deque<Stamp> seen_once_;  // oldest first
};

}  // namespace tw
