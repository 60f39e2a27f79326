// The paths of play through a game's scenes, for finding records that no
// path reaches.
#include "check/flow.h"

#include <deque>

#include "base/failure.h"
#include "base/number.h"
#include "script/type_line.h"

namespace tw {

namespace {

// Runs a reading of a type line; a line that does not read leads nowhere.
template <class Read>
void when_readable(Read&& read) {
  try {
    read();
  } catch (const Failure&) {
  }
}

struct Node {
  std::size_t scene;
  long record;
};

}  // namespace

Successors successors_of(const SceneSource& scene, long record) {
  Successors next;
  const Text& line = scene.field(record, RecordField::Type);
  switch (kind_of(line)) {
    case RecordKind::End:
      break;
    case RecordKind::Normal:
    case RecordKind::Flag:
    case RecordKind::Save:
    case RecordKind::Image:
      next.records.push_back(record + 1);
      break;
    case RecordKind::Command:
      when_readable([&] {
        std::int16_t char_pos = kFirstTargetPosition;
        std::int16_t jump_work = 0;
        std::array<std::int16_t, 5> targets{};
        read_command_targets(line, char_pos, jump_work, targets);
        for (int slot = 0; slot < 4; ++slot) {
          if (targets[slot] != 0) next.records.push_back(targets[slot]);
        }
      });
      break;
    case RecordKind::If:
      when_readable([&] {
        const IfLine test = parse_if_line(line);
        if (!flag_index(test.letter) || (test.op != U"=" && test.op != U">" && test.op != U"<")) {
          next.records.push_back(0);
          return;
        }
        when_readable([&] { next.records.push_back(to_int16(test.first)); });
        when_readable([&] { next.records.push_back(to_int16(test.second)); });
      });
      break;
    case RecordKind::Load:
      next.loads_game = true;
      break;
    case RecordKind::NextFile:
      next.next_scene = !scene.debug_form;
      break;
    case RecordKind::Jump:
      // A line that is no number fails; the checker reports it, and follows
      // on as if it were NORMAL, which is nearly always what was meant, so
      // that the records after it are checked as reachable.
      try {
        next.records.push_back(jump_target(line));
      } catch (const Failure&) {
        next.records.push_back(record + 1);
      }
      break;
  }
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
    const Successors next = successors_of(game.scenes[node.scene], node.record);
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
