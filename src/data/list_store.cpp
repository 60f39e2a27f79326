#include "data/list_store.h"

#include "base/failure.h"

namespace tw {

namespace {
const Text kEmptyLine;
}

const Text& ListStore::line(long index) const {
  if (index < 0 || index >= count()) return kEmptyLine;
  return lines_[static_cast<std::size_t>(index)];
}

void ListStore::set_line(long index, Text text) {
  if (index >= 0 && index < count()) {
    lines_[static_cast<std::size_t>(index)] = std::move(text);
  } else if (index == count()) {
    lines_.push_back(std::move(text));
  } else {
    throw Failure("リストの行番号が不正です");
  }
}

}  // namespace tw
