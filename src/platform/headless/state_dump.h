#pragma once

#include <string>

namespace tw {

class Form1;

// The engine state as one JSON object, by the engine's own names.
std::string state_json(const Form1& form);

}  // namespace tw
