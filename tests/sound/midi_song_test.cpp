#include "sound/midi_song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "base/failure.h"
#include "sound/midi_writer.h"
#include "sound/plain_smf.h"
#include "support/inputs.h"

namespace tw::test {
namespace {

Bytes bytes_of(const std::filesystem::path& file) {
  const std::string bytes = read_bytes(file);
  return {bytes.begin(), bytes.end()};
}

// The cause a file is refused with, or "" for a song whose positions run
// from 0 at its start to its length at its end.
std::string refusal_of(const Bytes& file) {
  return failure_of([&] {
    const MidiSong song = MidiSong::parse(file);
    EXPECT_TRUE(std::isfinite(song.duration_ms()) && song.duration_ms() >= 0);
    EXPECT_EQ(song.position_sixteenths(0), 0);
    EXPECT_EQ(song.position_sixteenths(song.duration_ms()), song.length_sixteenths());
  });
}

// Each file is refused with its cause or read with its length and positions; the first ones read bend
// the rules but still say one thing: a note lasting a quarter, 500 ms at the default tempo.
TEST(MidiSongFiles, AreRefusedWithTheCauseOrReadWithTheirTempo) {
  const char *read = "", *not_midi = "MIDIファイルではありません";
  const char *truncated = "MIDIファイルが途中で切れています", *broken = "MIDIトラックが壊れています";
  const Track note = Track().note(0).end(96);
  const auto raw = [](const Bytes& body) { return smf({Track{body}}); };
  Bytes plain = smf({note}), header_5 = plain, header_64 = plain, huge = rmid(chunk("data", plain, true));
  header_5[7] = 5, header_64[7] = 64, huge[19] = 0x7F;  // the data chunk claims more than the file holds
  const auto mid = [](const std::string& name) { return bytes_of(third_party("midi/" + name)); };
  const Bytes faster = smf({Track().tempo(0, 500000).note(0).tempo(384, 250000).end(384)});
  const Bytes later = smf({Track().tempo(0, 1000000).end(96), Track().tempo(0, 250000).end(0)}, 1);
  const Bytes third = smf({Track().tempo(0, 333333).end(5760)});  // 99 sixteenths in 8249.99175 ms
  // A moment a hair before its end must round past the last sixteenth; four years of wild tempos must
  // not stop short of their end.
  const Bytes hair =
      smf({Track().tempo(0, 4919396).tempo(247857808, 13599504).tempo(229172829, 2).end(96408367)}, 0, 7);
  const Bytes wild = smf(
      {Track().tempo(242347350, 11021226).tempo(150032225, 8658492).tempo(229299630, 4968237).end(212115085)},
      0, 35);
  const struct {
    const char* name;
    Bytes file;
    const char* result;
    std::int64_t ticks = 96;  // -1 where no other program counted them
    double ms = 500;
    std::vector<std::pair<double, long>> positions = {};
    double slack_ms = 0;  // for durations that another program measured
  } cases[] = {
      {"text", mid("jazz-soft/test-not-a-midi-file.mid"), not_midi},
      {"header of 5 bytes", header_5, not_midi},
      {"header past the file", header_64, truncated},
      {"track past the file", mid("jazz-soft/test-corrupt-file-missing-byte.mid"), truncated},
      {"chunk header cut", smf({note}, 1, 96, 2) + Bytes{'M', 'T', 'r', 'k'}, truncated},
      {"format 2", mid("jazz-soft/test-2-tracks-type-2.mid"), "形式2のMIDIファイルは再生できません"},
      {"format 3", smf({note}, 3), "未知の形式のMIDIファイルです"},
      {"SMPTE division", smf({note}, 0, 0xE728), "SMPTE分解能のMIDIファイルは再生できません"},
      {"division 0", smf({note}, 0, 0), "分解能0のMIDIファイルは再生できません"},
      {"no track", smf({}, 1), "トラックのないMIDIファイルです"},
      {"data before any status", raw({0, 60, 100, 0, 0xFF, 0x2F, 0}), broken},
      {"status inside a message", raw({0, 0x90, 60, 0x80, 0, 0xFF, 0x2F, 0}), broken},
      {"delta of 5 bytes", raw({0x80, 0x80, 0x80, 0x80, 0, 0xFF, 0x2F, 0}), broken},
      {"delta without event", raw({0, 0x90, 60, 100, 0x60}), broken},
      {"meta a byte past the chunk", raw({0, 0xFF, 0x01, 6, 'a', 0, 0xFF, 0x2F, 0}), broken},
      {"SysEx past the chunk", raw({0, 0xF0, 0x81, 0, 0x7E}), broken},
      {"RMID chunk past the file", rmid(Bytes{'L', 'I', 'S', 'T', 0, 1, 0, 0}), truncated},
      {"format 0 reads its first track", smf({note, Track().tempo(0, 100000).end(960)}), read},
      {"declared track count wins", smf({note, Track().end(960)}, 1, 96, 1), read},
      {"no End of Track", smf({Track().note(0).note(96)}), read},
      {"bytes after End of Track", smf({Track(note).event(0, {0x12, 0x80})}), read},
      {"header longer than 6", chunk("MThd", {0, 0, 0, 1, 0, 96, 7, 7}) + chunk("MTrk", note.bytes), read},
      {"tempo of 2 bytes ignored", smf({Track().event(0, {0xFF, 0x51, 2, 1, 2}).end(96)}), read},
      {"tempo 0 ignored", smf({Track().tempo(0, 0).end(96)}), read},
      {"RMID", rmid(chunk("LIST", {'I', 'N', 'F'}, true) + chunk("data", plain, true)), read},
      {"RMID data past the file", huge, read},
      // Durations of real files are mido's; their tick counts do not come from this reader either.
      {"358 tempo changes", mid("tonejs-piano-midi-de/bach_846.mid"), read, 134400, 296670, {}, 50},
      {"65 tempo changes, 7 tracks", mid("openmsx/midnight_snow_run.mid"), read, -1, 139140, {}, 50},
      {"format 0, no tempo", mid("tonejs-piano-midi-de/bach_format0.mid"), read, 13344, 69500, {}, 50},
      {"channel pressure", mid("planetblupi/music000.mid"), read, -1, 1672060, {}, 50},
      {"a foreign chunk first", mid("jazz-soft/test-non-midi-track.mid"), read, 768, 4000, {}, 50},
      {"system messages F1 to FE", mid("jazz-soft/test-illegal-message-all.mid"), read, 768, 4000, {}, 50},
      {"running status, meta", mid("jazz-soft/test-running-status-metaevent.mid"), read, 768, 4000, {}, 50},
      {"running status, SysEx", mid("jazz-soft/test-running-status-sysex.mid"), read, 768, 4000, {}, 50},
      // Tempo changes, and lengths far past any real song's.
      {"faster mid-song", faster, read, 768, 3000, {{-5, 0}, {NAN, 0}, {499.9, 3}, {500, 4}, {2999.9, 31}}},
      {"later track wins", later, read, 96, 250, {{125, 2}, {249, 3}}},
      {"a hair less as a double", third, read, 5760, 19999.98, {{8249.99, 98}, {8249.99175, 99}}},
      {"a hair before its end", hair, read, 573439004, 619421100962.50269, {{619421100962.50256, 327679430}}},
      {"four years of wild tempos", wild, read, 833794290, 137541135986.313},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(refusal_of(c.file), c.result);
    if (c.result != read || refusal_of(c.file) != read) continue;
    const MidiSong song = MidiSong::parse(c.file);
    EXPECT_EQ(song.length_ticks(), c.ticks < 0 ? song.length_ticks() : c.ticks);
    EXPECT_NEAR(song.duration_ms(), c.ms, c.ms * 1e-12 + 1e-6 + c.slack_ms);
    for (const auto& [ms, sixteenth] : c.positions) EXPECT_EQ(song.position_sixteenths(ms), sixteenth) << ms;
  }
}

// Damage never crashes: every cut of a three-track song is refused, as it
// loses part of the last track; every bit flip is read or refused.
TEST(MidiSongDamage, CutsAreRefusedAndFlipsReadOrRefused) {
  const Bytes song = bytes_of(third_party("midi/jazz-soft/test-karaoke-kar.mid"));
  EXPECT_EQ(refusal_of(song), "");
  for (std::size_t bit = 0; bit < song.size() * 8; ++bit) {
    SCOPED_TRACE(bit);
    Bytes flipped = song;
    flipped[bit / 8] ^= 1 << bit % 8;
    refusal_of(flipped);  // which checks a song it reads
    EXPECT_NE(refusal_of(Bytes(song.begin(), song.begin() + bit / 8)), "");
  }
}

// The songs rewritten for FluidSynth keep what the engine reads; that
// FluidSynth plays the quirky ones is checked by the sound output's tests.
TEST(PlainSmf, RealSongsKeepTheirTimingAndRefusedOnesStayAsTheyAre) {
  int rewritten = 0;
  for (const auto& file : third_party_files("midi", ".mid")) {
    SCOPED_TRACE(file.string());
    const Bytes original = bytes_of(file), plain = plain_smf(original);
    const Bytes wrapped =  // its data chunk claims more than it holds
        Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 1} + original;
    try {
      const MidiSong song = MidiSong::parse(original), again = MidiSong::parse(plain);
      EXPECT_EQ(again.length_ticks(), song.length_ticks());
      EXPECT_EQ(again.duration_ms(), song.duration_ms());  // through the division and every tempo
      EXPECT_EQ(plain_smf(plain), plain);
      EXPECT_EQ(plain_smf(wrapped), plain);  // the RMID wrapper is taken off
      rewritten += plain != original;
    } catch (const Failure&) {
      EXPECT_EQ(plain, original);
    }
  }
  EXPECT_GT(rewritten, 10);  // most use running status
}

}  // namespace
}  // namespace tw::test
