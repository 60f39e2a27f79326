#pragma once

#include <string>
#include <variant>

#include "base/text.h"

namespace tw {

// The result codes of the media command interface, as the platform numbers
// them. 0 is success.
namespace mci_code {
constexpr unsigned kUnrecognizedKeyword = 259;
constexpr unsigned kUnrecognizedCommand = 261;
constexpr unsigned kInvalidDeviceName = 263;  // the alias is not open
constexpr unsigned kMissingCommandString = 267;
constexpr unsigned kFileNotFound = 275;
constexpr unsigned kDuplicateAlias = 289;
constexpr unsigned kInvalidFile = 296;  // the file is there but cannot be played
}  // namespace mci_code

enum class DeviceType { FromFile, Sequencer };
enum class StatusItem { Length, Position };

struct MciOpen {
  Text path;
  DeviceType type = DeviceType::FromFile;
  Text alias;
};
struct MciClose {
  Text alias;
};
struct MciPlay {
  Text alias;
};
struct MciStatus {
  Text alias;
  StatusItem item = StatusItem::Length;
};
// A command the interpreter does not take, with the code that says why.
struct MciRefused {
  unsigned code = mci_code::kUnrecognizedCommand;
};

using MciCommand = std::variant<MciOpen, MciClose, MciPlay, MciStatus, MciRefused>;

// Reads one media command string:
//   open "PATH" [type sequencer] alias NAME
//   close NAME | play NAME | status NAME length | status NAME position
// Keywords are compared without regard to letter case and any run of blanks
// separates words, as the platform's own parser does.
MciCommand parse_mci_command(TextView command);

// An alias as the platform compares it: letter case does not matter.
Text alias_key(TextView alias);

}  // namespace tw
