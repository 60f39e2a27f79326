#pragma once

#include <string>

namespace tw {

class Form1;
struct PlayerState;

// The engine state as one JSON object, by the engine's own names, with the
// player's comforts beside it.
std::string state_json(const Form1& form, const PlayerState& player);

}  // namespace tw
