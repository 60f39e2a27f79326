#include "sound/mci_command.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(MciCommand, ReadsTheFormsTheEngineSends) {
  const auto music =
      std::get<MciOpen>(parse_mci_command(U"open \"/g/midi/海 の.mid\" type sequencer alias midi"));
  EXPECT_EQ(music.path, U"/g/midi/海 の.mid");
  EXPECT_EQ(music.type, DeviceType::Sequencer);
  EXPECT_EQ(music.alias, U"midi");
  const auto effect = std::get<MciOpen>(parse_mci_command(U"open \"/g/wave/a.wav\"  alias Click"));
  EXPECT_EQ(effect.type, DeviceType::FromFile);
  EXPECT_EQ(effect.alias, U"Click");
  EXPECT_EQ(std::get<MciClose>(parse_mci_command(U"close wav")).alias, U"wav");
  EXPECT_EQ(std::get<MciPlay>(parse_mci_command(U"PLAY  Click ")).alias, U"Click");
  EXPECT_EQ(std::get<MciStatus>(parse_mci_command(U"status midi length")).item, StatusItem::Length);
  EXPECT_EQ(std::get<MciStatus>(parse_mci_command(U"Status midi Position")).item, StatusItem::Position);
  EXPECT_EQ(std::get<MciOpen>(parse_mci_command(U"open \"\" alias x")).path, U"");
}

TEST(MciCommand, RefusesEveryOtherFormWithItsCode) {
  struct Case {
    const char32_t* command;
    unsigned code;
  };
  for (const Case& c : std::initializer_list<Case>{
           {U"", mci_code::kMissingCommandString},
           {U"   ", mci_code::kMissingCommandString},
           {U"stop midi", mci_code::kUnrecognizedCommand},
           {U"seek midi to start", mci_code::kUnrecognizedCommand},
           {U"open /g/a.mid alias midi", mci_code::kUnrecognizedKeyword},
           {U"open \"/g/a.mid alias midi", mci_code::kUnrecognizedKeyword},
           {U"open \"/g/a.mid\"alias midi", mci_code::kUnrecognizedKeyword},
           {U"open \"/g/a.mid\" type waveaudio alias w", mci_code::kUnrecognizedKeyword},
           {U"open \"/g/a.mid\" alias", mci_code::kUnrecognizedKeyword},
           {U"open \"/g/a.mid\" as midi", mci_code::kUnrecognizedKeyword},
           {U"play", mci_code::kUnrecognizedKeyword},
           {U"play midi from 0", mci_code::kUnrecognizedKeyword},
           {U"status midi mode", mci_code::kUnrecognizedKeyword},
           {U"status midi", mci_code::kUnrecognizedKeyword},
       }) {
    const MciCommand parsed = parse_mci_command(c.command);
    const auto* refused = std::get_if<MciRefused>(&parsed);
    ASSERT_NE(refused, nullptr) << to_utf8(c.command);
    EXPECT_EQ(refused->code, c.code) << to_utf8(c.command);
  }
}

TEST(MciCommand, ComparesAliasesWithoutLetterCase) {
  EXPECT_EQ(alias_key(U"Click"), alias_key(U"CLICK"));
  EXPECT_NE(alias_key(U"wav"), alias_key(U"wave"));
}

}  // namespace
}  // namespace tw
