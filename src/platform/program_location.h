#pragma once

#include <filesystem>
#include <string_view>

#include "base/text.h"

namespace tw {

// How the program was started, from its first argument: the name it was
// started under decides the mode (a link named DEBUG selects debug mode),
// and the folder it was started from is the game folder by default, so a
// link placed in a game folder plays that folder.
struct ProgramLocation {
  Text name;                     // the file name without its extension
  std::filesystem::path folder;  // absolute, links not resolved
};

// The program name that selects debug mode: exactly "DEBUG".
inline constexpr char32_t kDebugProgramName[] = U"DEBUG";
inline bool selects_debug_mode(TextView program_name) { return program_name == kDebugProgramName; }

// `argv0` as the program received it; `path_variable` is $PATH, searched
// when `argv0` holds no slash, as the shell did to start the program.
ProgramLocation locate_program(std::string_view argv0, std::string_view path_variable);

}  // namespace tw
