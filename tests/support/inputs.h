#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tw::test {

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
