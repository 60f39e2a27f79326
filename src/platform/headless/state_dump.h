#pragma once

#include <string>

#include "engine/form1.h"

namespace tw {

// The engine state as one JSON object, by the engine's own names.
std::string state_json(const Form1& form);

}  // namespace tw
