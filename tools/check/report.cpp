#include "check/report.h"

#include <algorithm>
#include <numeric>

namespace tw {

std::string finding_line(const Finding& finding) {
  std::string line = finding.place.file + ':' + std::to_string(finding.place.line) + ": ";
  if (finding.place.record) line += "record " + std::to_string(*finding.place.record) + ": ";
  return line + (finding.severity == Severity::Error ? "error: " : "warning: ") + finding.message;
}

void Report::add(Severity severity, Place place, std::string message) {
  note_file(place.file);
  findings_.push_back({severity, std::move(place), std::move(message)});
}

void Report::note_file(const std::string& file) {
  if (std::find(files_.begin(), files_.end(), file) == files_.end()) files_.push_back(file);
}

std::size_t Report::file_rank(const std::string& file) const {
  return static_cast<std::size_t>(std::find(files_.begin(), files_.end(), file) - files_.begin());
}

std::size_t Report::errors() const {
  return static_cast<std::size_t>(std::count_if(
      findings_.begin(), findings_.end(), [](const Finding& f) { return f.severity == Severity::Error; }));
}

void Report::print(std::ostream& out) const {
  std::vector<std::size_t> order(findings_.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    const Place& pa = findings_[a].place;
    const Place& pb = findings_[b].place;
    const std::size_t ra = file_rank(pa.file);
    const std::size_t rb = file_rank(pb.file);
    return ra != rb ? ra < rb : pa.line < pb.line;
  });
  for (std::size_t i : order) out << finding_line(findings_[i]) << '\n';
}

}  // namespace tw
