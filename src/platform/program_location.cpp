#include "platform/program_location.h"

#include <system_error>

namespace tw {

namespace fs = std::filesystem;

namespace {

fs::path found_on_path(std::string_view name, std::string_view path_variable) {
  std::size_t start = 0;
  while (start <= path_variable.size()) {
    std::size_t end = path_variable.find(':', start);
    if (end == std::string_view::npos) end = path_variable.size();
    const fs::path folder = end > start ? fs::path(path_variable.substr(start, end - start)) : fs::path(".");
    const fs::path candidate = folder / name;
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate;
    start = end + 1;
  }
  return fs::path(name);
}

}  // namespace

ProgramLocation locate_program(std::string_view argv0, std::string_view path_variable) {
  fs::path started =
      argv0.find('/') == std::string_view::npos ? found_on_path(argv0, path_variable) : fs::path(argv0);
  std::error_code error;
  const fs::path absolute = fs::absolute(started, error).lexically_normal();
  ProgramLocation location;
  location.name = from_utf8(started.stem().string());
  location.folder = absolute.parent_path();
  return location;
}

}  // namespace tw
