#include "data/list_store.h"

#include <gtest/gtest.h>

#include "base/failure.h"

namespace tw {
namespace {

TEST(ListStore, AppendsAtItsCountReplacesBelowItAndReadsOutsideItsLinesAsEmpty) {
  ListStore store;
  EXPECT_EQ(store.line(0), U"");
  for (const Text line : {U"a", U"b", U"c"}) store.set_line(store.count(), line);
  store.set_line(0, U"x");
  EXPECT_EQ(store.line(0) + store.line(1) + store.line(2), U"xbc") << "later lines stay as they were";
  for (const long outside : {-1L, 3L, 32767L}) EXPECT_EQ(store.line(outside), U"") << outside;
  EXPECT_THROW(store.set_line(4, U"gap"), Failure);
  store.clear();
  EXPECT_EQ(store.count(), 0);
}

}  // namespace
}  // namespace tw
