#include "platform/picture_cache.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

std::size_t bytes_of(const Image& image) { return image.pixels.size() * sizeof(Pixel); }

}  // namespace

PictureCache::PictureCache(Pictures& decoder, std::size_t budget_bytes)
    : decoder_(decoder), budget_(budget_bytes) {}

Image PictureCache::load(const fs::path& file) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  const fs::file_time_type modified = error ? fs::file_time_type{} : fs::last_write_time(file, error);
  if (error) return decoder_.load(file);  // the decoder gives the reason

  if (const auto found = by_file_.find(file); found != by_file_.end()) {
    const Recent::iterator kept = found->second;
    if (kept->size == size && kept->modified == modified) {
      recent_.splice(recent_.begin(), recent_, kept);
      return kept->image;
    }
    kept_bytes_ -= bytes_of(kept->image);
    recent_.erase(kept);
    by_file_.erase(found);
  }

  Image image = decoder_.load(file);
  if (bytes_of(image) > budget_) return image;
  recent_.push_front({file, size, modified, image});
  by_file_[file] = recent_.begin();
  kept_bytes_ += bytes_of(image);
  while (kept_bytes_ > budget_) {
    kept_bytes_ -= bytes_of(recent_.back().image);
    by_file_.erase(recent_.back().file);
    recent_.pop_back();
  }
  return image;
}

void PictureCache::save_png(const Image& image, const fs::path& file) { decoder_.save_png(image, file); }

}  // namespace tw
