#include "platform/picture_cache.h"

#include <algorithm>

namespace tw {

namespace fs = std::filesystem;

namespace {

std::size_t bytes_of(const Image& image) { return image.pixels.size() * sizeof(Pixel); }

}  // namespace

PictureCache::PictureCache(Pictures& decoder, std::size_t budget_bytes)
    : decoder_(decoder), budget_(budget_bytes) {}

Image PictureCache::load(const fs::path& file) {
  std::error_code error;
  Stamp stamp{file, fs::file_size(file, error), {}};
  if (!error) stamp.modified = fs::last_write_time(file, error);
  if (error) return decoder_.load(file);  // the decoder gives the reason

  if (const auto found = by_file_.find(file); found != by_file_.end()) {
    const Recent::iterator kept = found->second;
    if (kept->stamp == stamp) {
      recent_.splice(recent_.begin(), recent_, kept);
      return kept->image;
    }
    kept_bytes_ -= bytes_of(kept->image);
    recent_.erase(kept);
    by_file_.erase(found);
  }

  Image image = decoder_.load(file);
  if (bytes_of(image) > budget_ || !seen_before(stamp)) return image;
  recent_.push_front({stamp, image});
  by_file_[file] = recent_.begin();
  kept_bytes_ += bytes_of(image);
  while (kept_bytes_ > budget_) {
    kept_bytes_ -= bytes_of(recent_.back().image);
    by_file_.erase(recent_.back().stamp.file);
    recent_.pop_back();
  }
  return image;
}

bool PictureCache::seen_before(const Stamp& stamp) {
  if (const auto seen = std::find(seen_once_.begin(), seen_once_.end(), stamp); seen != seen_once_.end()) {
    seen_once_.erase(seen);
    return true;
  }
  seen_once_.push_back(stamp);
  if (seen_once_.size() > kSeenOnceRemembered) seen_once_.pop_front();
  return false;
}

void PictureCache::save_png(const Image& image, const fs::path& file) { decoder_.save_png(image, file); }

}  // namespace tw
