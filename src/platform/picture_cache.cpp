#include "platform/picture_cache.h"

#include <algorithm>
#include <utility>

#include "base/failure.h"

namespace tw {

namespace fs = std::filesystem;

namespace {

std::size_t bytes_of(const Image& image) { return image.pixels.size() * sizeof(Pixel); }

}  // namespace

PictureCache::PictureCache(Pictures& decoder, std::size_t budget_bytes)
    : decoder_(decoder), budget_(budget_bytes) {}

Image PictureCache::load(const fs::path& file) {
  const std::optional<Stamp> stamp = stamp_of(file);
  if (!stamp) return decoder_.load(file);  // the decoder gives the reason
  if (const Image* kept = find(*stamp)) return *kept;
  Image image = decoder_.load(file);
  if (seen_before(*stamp)) keep(*stamp, image);
  return image;
}

void PictureCache::prefetch(const fs::path& file) {
  const std::optional<Stamp> stamp = stamp_of(file);
  if (!stamp || find(*stamp)) return;
  try {
    keep(*stamp, decoder_.load(file));
  } catch (const Failure&) {
    // Read again, and reported, when the picture is shown.
  }
}

std::optional<PictureCache::Stamp> PictureCache::stamp_of(const fs::path& file) {
  std::error_code error;
  Stamp stamp{file, fs::file_size(file, error), {}};
  if (!error) stamp.modified = fs::last_write_time(file, error);
  if (error) return std::nullopt;
  return stamp;
}

const Image* PictureCache::find(const Stamp& stamp) {
  const auto found = by_file_.find(stamp.file);
  if (found == by_file_.end()) return nullptr;
  const Recent::iterator kept = found->second;
  if (kept->stamp == stamp) {
    recent_.splice(recent_.begin(), recent_, kept);
    return &kept->image;
  }
  kept_bytes_ -= bytes_of(kept->image);
  recent_.erase(kept);
  by_file_.erase(found);
  return nullptr;
}

void PictureCache::keep(const Stamp& stamp, Image image) {
  const std::size_t bytes = bytes_of(image);
  if (bytes > budget_) return;
  recent_.push_front({stamp, std::move(image)});
  by_file_[stamp.file] = recent_.begin();
  kept_bytes_ += bytes;
  while (kept_bytes_ > budget_) {
    kept_bytes_ -= bytes_of(recent_.back().image);
    by_file_.erase(recent_.back().stamp.file);
    recent_.pop_back();
  }
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
