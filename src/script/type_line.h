#pragma once

#include "data/text.h"

namespace tw {

// What kind of record a type line makes. Keywords are upper case and
// compared exactly; most are prefixes, so anything that begins with
// "COMMAND" is a COMMAND line whatever follows.
enum class RecordKind { End, Normal, Command, Flag, If, Save, Load, NextFile, Image, Jump };

// The kind by the tests in their fixed order. A line that is none of the
// keywords is a jump line; whether it holds a number is found out only when
// the record is left.
RecordKind kind_of(TextView type_line);

}  // namespace tw
