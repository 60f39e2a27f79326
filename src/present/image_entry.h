#pragma once

#include "data/text.h"

namespace tw {

// Whether an image entry names a picture drawn through a mask of the same
// name: it begins with "SP_", upper-case S and P only.
bool is_masked_entry(TextView entry);

}  // namespace tw
