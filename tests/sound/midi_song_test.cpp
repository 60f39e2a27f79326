#include "sound/midi_song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/failure.h"
#include "sound/plain_smf.h"
#include "support/inputs.h"

namespace tw {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes read_file(const std::string& name) {
  const std::string bytes = test::read_bytes(test::third_party("midi/" + name));
  return {bytes.begin(), bytes.end()};
}

// What every song read must keep, whatever its file.
void expect_consistent(const MidiSong& song) {
  EXPECT_EQ(song.length_sixteenths(), song.length_ticks() * 4 / song.division());
  EXPECT_TRUE(std::isfinite(song.duration_ms()) && song.duration_ms() >= 0);
  EXPECT_EQ(song.position_sixteenths(song.duration_ms()), song.length_sixteenths());
  EXPECT_EQ(song.position_sixteenths(0), 0);
}

// The cause a file is refused with, or "" for a consistent song.
std::string failure_of(const Bytes& file) {
  return test::failure_of([&] { expect_consistent(MidiSong::parse(file)); });
}

// A tiny Standard MIDI File writer, RIFF chunks for RMID too.
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes big_endian(std::uint32_t value, int count) {
  Bytes bytes;
  while (count--) bytes.push_back(value >> count * 8 & 0xFF);
  return bytes;
}

struct Track {
  Bytes bytes;
  Track& event(std::uint32_t delta, const Bytes& event) {  // the delta as a variable-length quantity
    Bytes time{static_cast<unsigned char>(delta & 0x7F)};
    while (delta >>= 7) time.insert(time.begin(), static_cast<unsigned char>(0x80 | (delta & 0x7F)));
    bytes = bytes + time + event;
    return *this;
  }
  Track& note(unsigned delta) { return event(delta, {0x90, 60, 100}); }
  Track& tempo(unsigned delta, unsigned us) { return event(delta, Bytes{0xFF, 0x51, 3} + big_endian(us, 3)); }
  Track& end(unsigned delta) { return event(delta, {0xFF, 0x2F, 0}); }
};

Bytes chunk(const std::string& id, const Bytes& body, bool riff = false) {  // RIFF: little-endian, even
  Bytes size = big_endian(static_cast<std::uint32_t>(body.size()), 4);
  if (riff) size = Bytes(size.rbegin(), size.rend());
  return Bytes(id.begin(), id.end()) + size + body + Bytes(riff ? body.size() % 2 : 0, 0);
}

Bytes smf(const std::vector<Track>& tracks, int format = 0, int division = 96, int declared = -1) {
  const auto count = declared < 0 ? tracks.size() : declared;
  Bytes file = chunk("MThd", big_endian(format, 2) + big_endian(count, 2) + big_endian(division, 2));
  for (const Track& track : tracks) file = file + chunk("MTrk", track.bytes);
  return file;
}
Bytes rmid(const Bytes& chunks) { return chunk("RIFF", Bytes{'R', 'M', 'I', 'D'} + chunks, true); }

// Durations are mido's; tick counts, where known, do not come from this reader either.
TEST(MidiSongRealFiles, LengthsAgreeWithMido) {
  const struct {
    const char* file;
    int division;
    std::int64_t ticks;
    double seconds;
  } cases[] = {
      {"tonejs-piano-midi-de/bach_846.mid", 480, 134400, 296.67},   // 358 tempo changes
      {"openmsx/midnight_snow_run.mid", 480, -1, 139.14},           // 65 tempo changes, 7 tracks
      {"tonejs-piano-midi-de/bach_format0.mid", 96, 13344, 69.50},  // format 0, no tempo
      {"planetblupi/music000.mid", 120, -1, 1672.06},               // channel pressure
      {"jazz-soft/test-non-midi-track.mid", 96, 768, 4.0},          // a foreign chunk first
      {"jazz-soft/test-illegal-message-all.mid", 96, 768, 4.0},     // system messages F1 to FE
      {"jazz-soft/test-running-status-metaevent.mid", 96, 768, 4.0},
      {"jazz-soft/test-running-status-sysex.mid", 96, 768, 4.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const MidiSong song = MidiSong::parse(read_file(c.file));
    EXPECT_EQ(song.division(), c.division);
    if (c.ticks >= 0) {
      EXPECT_EQ(song.length_ticks(), c.ticks);
    }
    EXPECT_NEAR(song.duration_ms(), c.seconds * 1000, 50);
    expect_consistent(song);
  }
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
  const struct {
    const char* name;
    Bytes file;
    const char* result;
    std::int64_t ticks = 96;
    double ms = 500;
    std::vector<std::pair<double, long>> positions = {};
  } cases[] = {
      {"text", read_file("jazz-soft/test-not-a-midi-file.mid"), not_midi},
      {"header of 5 bytes", header_5, not_midi},
      {"header past the file", header_64, truncated},
      {"track past the file", read_file("jazz-soft/test-corrupt-file-missing-byte.mid"), truncated},
      {"chunk header cut", smf({note}, 1, 96, 2) + Bytes{'M', 'T', 'r', 'k'}, truncated},
      {"format 2", read_file("jazz-soft/test-2-tracks-type-2.mid"), "形式2のMIDIファイルは再生できません"},
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
      {"faster mid-song",
       smf({Track().tempo(0, 500000).note(0).tempo(384, 250000).end(384)}),
       read,
       768,
       3000,
       {{-5, 0}, {NAN, 0}, {499.9, 3}, {500, 4}, {2062.5, 17}, {2999.9, 31}, {INFINITY, 32}}},
      {"later track wins",
       smf({Track().tempo(0, 1000000).end(96), Track().tempo(0, 250000).end(0)}, 1),
       read,
       96,
       250,
       {{62.5, 1}, {125, 2}, {249, 3}}},
      {"99 sixteenths at 8249.99175 ms, a hair less as a double",
       smf({Track().tempo(0, 333333).end(5760)}),
       read,
       5760,
       19999.98,
       {{8249.99, 98}, {8249.99175, 99}}},
      {"a hair before its end, rounded past the last sixteenth",
       smf({Track().tempo(0, 4919396).tempo(247857808, 13599504).tempo(229172829, 2).end(96408367)}, 0, 7),
       read,
       573439004,
       619421100962.50269,
       {{619421100962.50256, 327679430}}},
      {"four years of wild tempos, not stopping short of its end",
       smf({Track()
                .tempo(242347350, 11021226)
                .tempo(150032225, 8658492)
                .tempo(229299630, 4968237)
                .end(212115085)},
           0, 35),
       read, 833794290, 137541135986.313},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(failure_of(c.file), c.result);
    if (c.result != read || failure_of(c.file) != read) continue;
    const MidiSong song = MidiSong::parse(c.file);
    EXPECT_EQ(song.length_ticks(), c.ticks);
    EXPECT_NEAR(song.duration_ms(), c.ms, c.ms * 1e-12 + 1e-6);
    for (const auto& [ms, sixteenth] : c.positions) EXPECT_EQ(song.position_sixteenths(ms), sixteenth) << ms;
  }
}

// Damage never crashes: every cut of a three-track song is refused, as it
// loses part of the last track; every bit flip is read or refused.
TEST(MidiSongDamage, CutsAreRefusedAndFlipsReadOrRefused) {
  const Bytes song = read_file("jazz-soft/test-karaoke-kar.mid");
  EXPECT_EQ(failure_of(song), "");
  for (std::size_t bit = 0; bit < song.size() * 8; ++bit) {
    SCOPED_TRACE(bit);
    Bytes flipped = song;
    flipped[bit / 8] ^= 1 << bit % 8;
    failure_of(flipped);  // which checks a song it reads
    EXPECT_NE(failure_of(Bytes(song.begin(), song.begin() + bit / 8)), "");
  }
}

// The songs rewritten for FluidSynth keep what the engine reads; that
// FluidSynth plays the quirky ones is checked by the sound output's tests.
TEST(PlainSmf, RealSongsKeepTheirTimingAndRefusedOnesStayAsTheyAre) {
  int rewritten = 0;
  for (const auto& file : test::third_party_files("midi", ".mid")) {
    SCOPED_TRACE(file.string());
    const std::string bytes = test::read_bytes(file);
    const Bytes original(bytes.begin(), bytes.end()), plain = plain_smf(original);
    Bytes wrapped = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 1};
    wrapped = wrapped + original;  // its data chunk claims more than it holds
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
}  // namespace tw
