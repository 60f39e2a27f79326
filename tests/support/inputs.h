#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"

namespace tw::test {

// The text of the Failure that `work` throws, or "" when it throws none.
template <class Work>
std::string failure_of(const Work& work) {
  try {
    work();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "";
}

// A real file of someone else's, kept in tests/third_party/ (its SOURCES.md
// says whose and under which licence). Each of these throws, naming the file,
// when it is not there: a test without its input fails with that message
// instead of crashing on an empty buffer.
std::filesystem::path third_party(std::string_view relative);

// The files below a third-party folder whose names end in `extension`, in
// name order; throws when there is none.
std::vector<std::filesystem::path> third_party_files(std::string_view folder, std::string_view extension);

// The whole of a file.
std::string read_bytes(const std::filesystem::path& file);

}  // namespace tw::test
