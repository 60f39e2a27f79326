#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tw {

// An error is a fault that ends play with a failure box (or leaves the
// player stuck) when play meets it; a warning is almost surely a mistake
// but does not end play.
enum class Severity { Error, Warning };

// Where a finding is: a file of the game as its path inside the game folder
// ("scene/scene1.gst"), a 1-based line of it (0 for the file as a whole),
// and the scene record when the line belongs to one.
struct Place {
  std::string file;
  long line = 0;
  std::optional<long> record;
};

struct Finding {
  Severity severity;
  Place place;
  std::string message;
};

// A finding as the report prints it: FILE:LINE: record R: error: MESSAGE.
std::string finding_line(const Finding& finding);

// Everything the checker found, printed one finding per line as
// FILE:LINE: record R: error: MESSAGE, sorted by file (in the order the
// files were read) and line.
class Report {
 public:
  void add(Severity severity, Place place, std::string message);
  void error(Place place, std::string message) { add(Severity::Error, std::move(place), std::move(message)); }
  void warning(Place place, std::string message) {
    add(Severity::Warning, std::move(place), std::move(message));
  }

  // Makes the file's findings come after those of the files noted before.
  void note_file(const std::string& file);

  std::size_t errors() const;
  std::size_t warnings() const { return findings_.size() - errors(); }
  const std::vector<Finding>& findings() const { return findings_; }

  void print(std::ostream& out) const;

 private:
  std::size_t file_rank(const std::string& file) const;

  std::vector<Finding> findings_;
  std::vector<std::string> files_;
};

}  // namespace tw
