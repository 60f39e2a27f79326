#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"

namespace tw::fuzz {

// One run of a fuzz target on one input. A target returns normally for every
// input the engine handles as it should, a defined failure included; a
// crash, a sanitizer report or a broken property aborts.
using Target = void (*)(std::string_view input);

void text_lines(std::string_view input);
void scene_file(std::string_view input);
void type_lines(std::string_view input);
void game(std::string_view input);
void media(std::string_view input);
void picture(std::string_view input);

struct NamedTarget {
  const char* name;
  Target run;
};
const std::vector<NamedTarget>& all_targets();

// Aborts with `what` when a property of the engine does not hold.
void require(bool holds, const char* what);

// Runs one of the engine's readings, for which failing is a defined outcome.
template <class Read>
void may_fail(Read&& read) {
  try {
    read();
  } catch (const Failure&) {
  }
}

// The input of the game target: a packed scene file, the separator line,
// then a replay script.
inline constexpr std::string_view kScriptSeparator = "\n#SCRIPT\n";

}  // namespace tw::fuzz
