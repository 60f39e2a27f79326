// The paths of play through a game's scenes, for finding records that no
// path reaches.
#include "check/flow.h"

#include <deque>
#include <map>

#include "script/next_record.h"
#include "script/type_line.h"

namespace tw {

namespace {

struct Node {
  std::size_t scene;
  long record;
};

}  // namespace

RecordLeads successors_of(const SceneSource& scene, long record) {
  const Text& line = scene.field(record, RecordField::Type);
  RecordLeads next = next_records(line, record);
  next.next_scene = next.next_scene && !scene.debug_form;
  // A jump line that is no number fails; the checker reports it, and
  // follows on as if it were NORMAL, which is nearly always what was meant,
  // so that the records after it are checked as reachable.
  if (kind_of(line) == RecordKind::Jump && next.records.empty()) next.records.push_back(record + 1);
  return next;
}

std::vector<Resume> resume_points(const GameSource& game, long start) {
  // Loading a saved game resumes with a step from the record before the
  // SAVE record that saved it, and a LOAD record's own step then moves one
  // record on. Without a saved game the step starts from before the title;
  // in the debug form the debug file sets the record again first.
  std::vector<Resume> points;
  const auto resumed = [&](std::size_t scene, long before, std::optional<long> saved_by) {
    const std::vector<long> steps =
        before < 0 ? std::vector<long>{0} : successors_of(game.scenes[scene], before).records;
    for (long to : steps) {
      points.push_back({scene, to, saved_by});
      points.push_back({scene, to + 1, saved_by});
    }
  };
  if (game.scenes.empty()) return points;
  resumed(0, -1, std::nullopt);
  if (game.debug_form && start >= 0 && start <= game.scenes[0].last_record()) resumed(0, start, std::nullopt);
  for (std::size_t s = 0; s < game.scenes.size(); ++s) {
    for (long r = 0; r <= game.scenes[s].last_record(); ++r) {
      if (kind_of(game.scenes[s].field(r, RecordField::Type)) == RecordKind::Save) resumed(s, r - 1, r);
    }
  }
  return points;
}

Reached reachable_records(const GameSource& game, long start) {
  Reached reached;
  for (const SceneSource& scene : game.scenes) reached.emplace_back(scene.records.size(), false);
  std::deque<Node> waiting;
  const auto reach = [&](std::size_t scene, long record) {
    record = entered_record(record);
    if (scene >= reached.size() || record < 0 || record >= static_cast<long>(reached[scene].size())) return;
    if (reached[scene][static_cast<std::size_t>(record)]) return;
    reached[scene][static_cast<std::size_t>(record)] = true;
    waiting.push_back({scene, record});
  };
  // The places a load resumes at, with nothing saved and after each SAVE record.
  std::vector<Resume> unsaved;
  std::map<std::pair<std::size_t, long>, std::vector<long>> after_save;
  for (const Resume& resume : resume_points(game, start)) {
    if (resume.saved_by) {
      after_save[{resume.scene, *resume.saved_by}].push_back(resume.record);
    } else {
      unsaved.push_back(resume);
    }
  }
  bool loads_reached = false;

  reach(0, start);
  while (!waiting.empty()) {
    const Node node = waiting.front();
    waiting.pop_front();
    const RecordLeads next = successors_of(game.scenes[node.scene], node.record);
    for (long to : next.records) reach(node.scene, to);
    if (next.next_scene) reach(node.scene + 1, 0);
    if (next.loads_game && !loads_reached) {
      loads_reached = true;
      for (const Resume& resume : unsaved) reach(resume.scene, resume.record);
    }
    if (const auto saved = after_save.find({node.scene, node.record}); saved != after_save.end()) {
      for (long to : saved->second) reach(node.scene, to);
    }
  }
  return reached;
}

}  // namespace tw
