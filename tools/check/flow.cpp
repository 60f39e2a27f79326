// The paths of play through a game's scenes, for finding records that no
// path reaches.
#include "check/flow.h"

#include <deque>

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

Reached reachable_records(const GameSource& game, long start) {
  Reached reached;
  for (const SceneSource& scene : game.scenes) reached.emplace_back(scene.records.size(), false);
  std::deque<Node> waiting;
  const auto reach = [&](std::size_t scene, long record) {
    // Record -1 is left like a NORMAL record: play goes on at record 0.
    if (record == -1) record = 0;
    if (scene >= reached.size() || record < 0 || record >= static_cast<long>(reached[scene].size())) return;
    if (reached[scene][static_cast<std::size_t>(record)]) return;
    reached[scene][static_cast<std::size_t>(record)] = true;
    waiting.push_back({scene, record});
  };

  // Loading a saved game resumes with a step from the record before the
  // SAVE record that saved it, and a LOAD record's own step then moves one
  // record on. Without a saved game the step starts from before the title;
  // in the debug form the debug file sets the record again first.
  const auto reach_resumed = [&](std::size_t scene, long before) {
    const std::vector<long> steps =
        before < 0 ? std::vector<long>{0} : successors_of(game.scenes[scene], before).records;
    for (long to : steps) {
      reach(scene, to);
      reach(scene, to + 1);
    }
  };
  bool loads_reached = false;
  const auto reach_unsaved_loads = [&] {
    if (loads_reached) return;
    loads_reached = true;
    reach_resumed(0, -1);
    if (game.debug_form && start >= 0 && start < static_cast<long>(reached[0].size()))
      reach_resumed(0, start);
  };

  reach(0, start);
  while (!waiting.empty()) {
    const Node node = waiting.front();
    waiting.pop_front();
    const RecordLeads next = successors_of(game.scenes[node.scene], node.record);
    for (long to : next.records) reach(node.scene, to);
    if (next.next_scene) reach(node.scene + 1, 0);
    if (next.loads_game) reach_unsaved_loads();
    if (kind_of(game.scenes[node.scene].field(node.record, RecordField::Type)) == RecordKind::Save) {
      reach_resumed(node.scene, node.record - 1);
    }
  }
  return reached;
}

}  // namespace tw
