#include "script/type_line.h"

namespace tw {

RecordKind kind_of(TextView line) {
  if (line == U"END") return RecordKind::End;
  if (line == U"NORMAL") return RecordKind::Normal;
  if (line.starts_with(U"COMMAND")) return RecordKind::Command;
  if (line.starts_with(U"FLAG")) return RecordKind::Flag;
  if (line.starts_with(U"IF")) return RecordKind::If;
  if (line == U"SAVE") return RecordKind::Save;
  if (line == U"LOAD") return RecordKind::Load;
  if (line == U"NEXT_FILE") return RecordKind::NextFile;
  if (line.starts_with(U"IMAGE")) return RecordKind::Image;
  return RecordKind::Jump;
}

}  // namespace tw
