#include "support/inputs.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tw::test {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void missing(const fs::path& file, std::string_view what) {
  throw std::runtime_error("test input " + file.string() + " " + std::string(what));
}

}  // namespace

fs::path third_party(std::string_view relative) {
  const fs::path file = fs::path(TALLOWIND_THIRD_PARTY) / relative;
  if (!fs::exists(file))
    missing(file, "is missing: it belongs in the repository, see tests/third_party/SOURCES.md");
  return file;
}

std::vector<fs::path> third_party_files(std::string_view folder, std::string_view extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(third_party(folder)))
    if (entry.is_regular_file() && entry.path().string().ends_with(extension)) files.push_back(entry.path());
  if (files.empty()) missing(third_party(folder), "holds no " + std::string(extension) + " file");
  std::sort(files.begin(), files.end());
  return files;
}

std::string read_bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) missing(file, "cannot be read");
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace tw::test
