#include "script/next_record.h"

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

void lead_by_if(TextView line, const FlagValues* flags, std::vector<long>& records) {
  const IfTargets targets = if_targets(line);
  if (!flags || !targets.tests_flag) {
    for (const std::optional<long>& target : {targets.holds, targets.fails}) {
      if (target) records.push_back(*target);
    }
    return;
  }
  const IfLine test = parse_if_line(line);
  const std::optional<int> flag = flag_index(test.letter);
  const std::optional<bool> holds =
      compare_flag((*flags)[static_cast<std::size_t>(*flag)], test.value, test.op);
  records.push_back(holds ? to_int16(*holds ? test.first : test.second) : 0);
}

}  // namespace

std::vector<Choice> offered_choices(TextView line) {
  std::int16_t char_pos = kFirstTargetPosition;
  std::int16_t jump_work = 0;
  std::array<std::int16_t, 5> targets{};
  read_command_targets(line, char_pos, jump_work, targets);
  std::vector<Choice> choices;
  for (int slot = 0; slot < 4; ++slot) {
    if (targets[static_cast<std::size_t>(slot)] != 0)
      choices.push_back({slot, targets[static_cast<std::size_t>(slot)]});
  }
  return choices;
}

IfTargets if_targets(TextView line) {
  const IfLine test = parse_if_line(line);
  if (!flag_index(test.letter) || (test.op != U"=" && test.op != U">" && test.op != U"<")) {
    return {.tests_flag = false, .holds = 0, .fails = std::nullopt};
  }
  IfTargets targets;
  when_readable([&] { targets.holds = to_int16(test.first); });
  when_readable([&] { targets.fails = to_int16(test.second); });
  return targets;
}

RecordLeads next_records(TextView line, long record, const FlagValues* flags) {
  RecordLeads leads;
  switch (kind_of(line)) {
    case RecordKind::End:
      break;
    case RecordKind::Normal:
    case RecordKind::Flag:
    case RecordKind::Save:
    case RecordKind::Image:
      leads.records.push_back(record + 1);
      break;
    case RecordKind::Command:
      when_readable([&] {
        for (const Choice& choice : offered_choices(line)) leads.records.push_back(choice.target);
      });
      break;
    case RecordKind::If:
      when_readable([&] { lead_by_if(line, flags, leads.records); });
      break;
    case RecordKind::Load:
      leads.loads_game = true;
      break;
    case RecordKind::NextFile:
      leads.next_scene = true;
      break;
    case RecordKind::Jump:
      when_readable([&] { leads.records.push_back(jump_target(line)); });
      break;
  }
  return leads;
}

}  // namespace tw
