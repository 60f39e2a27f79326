#pragma once

#include <vector>

#include "base/text.h"

namespace tw {

// An ordered list of text lines addressed by a 0-based line number. Reading
// outside the stored lines gives the empty text: scenes rely on it wherever a
// store is shorter than the scene.
class ListStore {
 public:
  const Text& line(long index) const;

  // Replaces line `index`, or appends it when `index` equals the count.
  // Throws Failure for any other index: the stores are only ever filled in
  // order from line 0.
  void set_line(long index, Text text);

  void clear() { lines_.clear(); }
  long count() const { return static_cast<long>(lines_.size()); }

 private:
  std::vector<Text> lines_;
};

}  // namespace tw
