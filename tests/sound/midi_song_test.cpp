#include "sound/midi_song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/failure.h"

namespace tw {
namespace {

using Bytes = std::vector<unsigned char>;

const std::string midi_folder = TALLOWIND_REALDATA "/midi/";
constexpr const char* not_midi = "MIDIファイルではありません";
constexpr const char* truncated = "MIDIファイルが途中で切れています";
constexpr const char* broken_track = "MIDIトラックが壊れています";

Bytes read_file(const std::string& name) {
  std::ifstream in(midi_folder + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string failure_of(const Bytes& file) {
  try {
    MidiSong::parse(file);
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(read)";
}

// --- A tiny Standard MIDI File writer --------------------------------------

Bytes big_endian(std::uint32_t value, int count) {
  Bytes bytes;
  for (int shift = (count - 1) * 8; shift >= 0; shift -= 8) bytes.push_back(value >> shift & 0xFF);
  return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes vlq(std::uint32_t value) {
  Bytes bytes{static_cast<unsigned char>(value & 0x7F)};
  while (value >>= 7) bytes.insert(bytes.begin(), static_cast<unsigned char>(0x80 | (value & 0x7F)));
  return bytes;
}

struct Track {
  Bytes bytes;
  Track& event(std::uint32_t delta, const Bytes& event) {
    bytes = bytes + vlq(delta) + event;
    return *this;
  }
  Track& note(std::uint32_t delta) { return event(delta, {0x90, 60, 100}); }
  Track& tempo(std::uint32_t delta, std::uint32_t us) {
    return event(delta, Bytes{0xFF, 0x51, 3} + big_endian(us, 3));
  }
  Track& end(std::uint32_t delta) { return event(delta, {0xFF, 0x2F, 0}); }
};

Bytes chunk(std::string_view id, const Bytes& body) {
  return Bytes(id.begin(), id.end()) + big_endian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

Bytes smf(int format, int division, const std::vector<Track>& tracks, int declared = -1) {
  Bytes file = chunk("MThd", big_endian(format, 2) +
                                 big_endian(declared < 0 ? static_cast<int>(tracks.size()) : declared, 2) +
                                 big_endian(division, 2));
  for (const Track& track : tracks) file = file + chunk("MTrk", track.bytes);
  return file;
}

Bytes format_0(const Track& track, int division = 96) { return smf(0, division, {track}); }

Bytes riff_chunk(std::string_view id, const Bytes& body) {
  Bytes size;
  for (int shift = 0; shift < 32; shift += 8) size.push_back(body.size() >> shift & 0xFF);
  return Bytes(id.begin(), id.end()) + size + body + (body.size() % 2 ? Bytes{0} : Bytes{});
}

Bytes rmid(const Bytes& riff_body) { return riff_chunk("RIFF", Bytes{'R', 'M', 'I', 'D'} + riff_body); }

// What every song read must keep, whatever its file.
void expect_consistent(const MidiSong& song) {
  EXPECT_EQ(song.length_sixteenths(), song.length_ticks() * 4 / song.division());
  EXPECT_TRUE(std::isfinite(song.duration_ms()) && song.duration_ms() >= 0);
  EXPECT_EQ(song.position_sixteenths(song.duration_ms()), song.length_sixteenths());
  EXPECT_EQ(song.position_sixteenths(0), 0);
}

// --- Real files -------------------------------------------------------------

TEST(MidiSongRealFiles, LengthsAgreeWithMido) {
  struct Case { const char* file; int division; std::int64_t ticks; double seconds; };
  constexpr std::int64_t any = -1;  // no tick count independent of this reader
  const Case cases[] = {
      {"planetblupi/music000.mid", 120, any, 1672.06},
      {"planetblupi/music004.mid", 192, any, 600.04},
      {"openmsx/midnight_snow_run.mid", 480, any, 139.14},
      {"openmsx/be_sharp_bw_redfarn.mid", 256, any, 139.36},
      {"openmsx/the_fast_route.mid", 96, any, 164.40},
      {"openmsx/ttsong_iii_imuh3.mid", 192, any, 65.00},
      {"tonejs-piano-midi-de/bach_846.mid", 480, 134400, 296.67},
      {"tonejs-piano-midi-de/bach_format0.mid", 96, 13344, 69.50},
      {"jazz-soft/test-c-major-scale.mid", 96, 768, 4.0},
      {"jazz-soft/test-2-tracks-type-1.mid", 96, 864, 4.5},
      {"jazz-soft/test-2-tracks-type-0.mid", 96, 864, 4.5},  // the first track only
      {"jazz-soft/test-track-length.mid", 96, 288, 1.5},
      {"jazz-soft/test-empty.mid", 96, 0, 0.0},
      {"jazz-soft/test-vlq-2-byte.mid", 96, 768, 4.0},
      {"jazz-soft/test-vlq-3-byte.mid", 96, 768, 4.0},
      {"jazz-soft/test-vlq-4-byte.mid", 96, 768, 4.0},
      {"jazz-soft/test-non-midi-track.mid", 96, 768, 4.0},
      {"jazz-soft/test-karaoke-kar.mid", 100, 1590, 10.6},
      {"jazz-soft/test-corrupt-file-extra-byte.mid", 96, 768, 4.0},
      {"jazz-soft/test-running-status-metaevent.mid", 96, 768, 4.0},
      {"jazz-soft/test-running-status-sysex.mid", 96, 768, 4.0},
      {"jazz-soft/test-illegal-message-all.mid", 96, 768, 4.0},
      {"jazz-soft/test-smpte-offset.mid", 96, 768, 4.0},
      {"jazz-soft/test-sysex-7e-09-01-gm1-enable.mid", 96, 96, 0.5},
      {"jazz-soft/test-all-gm-percussion.mid", 96, 26352, 137.25},
      {"jazz-soft/test-multichannel-chords-1.mid", 96, 768, 4.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const MidiSong song = MidiSong::parse(read_file(c.file));
    EXPECT_EQ(song.division(), c.division);
    if (c.ticks != any) {
      EXPECT_EQ(song.length_ticks(), c.ticks);
    }
    EXPECT_NEAR(song.duration_ms(), c.seconds * 1000, 50);
    expect_consistent(song);
  }
}

// Tonejs note times follow the 358 tempo changes independently of us; each
// of these notes starts on a sixteenth, which must be reached just then.
TEST(MidiSongRealFiles, Bach846MatchesNoteTimes) {
  const MidiSong song = MidiSong::parse(read_file("tonejs-piano-midi-de/bach_846.mid"));
  const std::pair<double, long> starts[] = {{123.458786083, 586}, {144.20622275, 674}, {166.439285042, 768},
                                            {172.192748042, 792}, {195.260907542, 888}, {219.343120458, 980},
                                            {225.558423708, 992}};  // the end of the fugue's last note
  for (const auto& [seconds, sixteenth] : starts) {
    EXPECT_EQ(song.position_sixteenths(seconds * 1000 - 1), sixteenth - 1) << seconds;
    EXPECT_EQ(song.position_sixteenths(seconds * 1000 + 1), sixteenth) << seconds;
  }
  long previous = 0;  // never backwards, never skipping more than a sixteenth every 10 ms
  for (double ms = 0; ms <= song.duration_ms() + 20; ms += 10) {
    const long position = song.position_sixteenths(ms);
    ASSERT_TRUE(position == previous || position == previous + 1) << ms;
    previous = position;
  }
  EXPECT_EQ(previous, song.length_sixteenths());
}

// --- Refusals ---------------------------------------------------------------

TEST(MidiSongRefusals, DescribeTheCause) {
  const Bytes scale = read_file("jazz-soft/test-c-major-scale.mid");
  Bytes smpte = scale;
  smpte[12] = 0xE7, smpte[13] = 0x28;  // -25 frames a second, 40 ticks a frame
  const Track note_track = Track().note(0).end(96);
  const auto raw = [](const Bytes& body) { return format_0(Track{body}); };
  Bytes short_header = smf(0, 96, {note_track});
  short_header[7] = 5;
  Bytes long_header = smf(0, 96, {note_track});
  long_header[7] = 64;
  const struct { const char* name; Bytes file; const char* message; } cases[] = {
      {"empty file", read_file("jazz-soft/test-empty-file.mid"), not_midi},
      {"text", read_file("jazz-soft/test-not-a-midi-file.mid"), not_midi},
      {"track past the file", read_file("jazz-soft/test-corrupt-file-missing-byte.mid"), truncated},
      {"format 2", read_file("jazz-soft/test-2-tracks-type-2.mid"),
       "形式2のMIDIファイルは再生できません"},
      {"SMPTE division", smpte, "SMPTE分解能のMIDIファイルは再生できません"},
      {"division 0", smf(0, 0, {note_track}), "分解能0のMIDIファイルは再生できません"},
      {"format 3", smf(3, 96, {note_track}), "未知の形式のMIDIファイルです"},
      {"no track", smf(1, 96, {}), "トラックのないMIDIファイルです"},
      {"header of 5 bytes", short_header, not_midi},
      {"shorter than a header", Bytes(scale.begin(), scale.begin() + 13), not_midi},
      {"header past the file", long_header, truncated},
      {"declared track missing", smf(1, 96, {note_track}, 2), truncated},
      {"chunk header cut", smf(1, 96, {note_track}, 2) + Bytes{'M', 'T', 'r', 'k'}, truncated},
      {"unknown chunk past the file", smf(0, 96, {}, 1) + Bytes{'J', 'u', 'n', 'k', 0, 0, 1, 0, 0},
       truncated},
      {"data before any status", raw({0, 60, 100, 0, 0xFF, 0x2F, 0}), broken_track},
      {"status inside a message", raw({0, 0x90, 60, 0x80, 0, 0xFF, 0x2F, 0}), broken_track},
      {"delta of 5 bytes", raw({0x80, 0x80, 0x80, 0x80, 0, 0xFF, 0x2F, 0}), broken_track},
      {"delta without event", raw({0, 0x90, 60, 100, 0x60}), broken_track},
      {"message cut by the chunk", raw({0, 0x90, 60}), broken_track},
      {"meta past the chunk", raw({0, 0xFF, 0x01, 9, 'a', 0, 0xFF, 0x2F, 0}), broken_track},
      {"tempo past the chunk", raw({0, 0xFF, 0x51, 3, 7}), broken_track},
      {"SysEx past the chunk", raw({0, 0xF0, 0x81, 0, 0x7E}), broken_track},
      {"RMID without data", rmid(riff_chunk("LIST", {1, 2, 3})), not_midi},
      {"RMID holding no SMF", rmid(riff_chunk("data", Bytes(14, 1))), not_midi},
      {"RMID chunk past the file", rmid(Bytes{'L', 'I', 'S', 'T', 0, 1, 0, 0}), truncated},
  };
  for (const auto& c : cases) EXPECT_EQ(failure_of(c.file), c.message) << c.name;
}

// --- Lenient reading where the file still says one thing --------------------

TEST(MidiSongLenience, ReadsWhatIsUnambiguous) {
  const Track note_track = Track().note(0).end(96);
  const Bytes plain = format_0(note_track);
  Bytes long_header = chunk("MThd", Bytes{0, 0, 0, 1, 0, 96, 0xAB, 0xCD});
  long_header = long_header + chunk("MTrk", note_track.bytes);
  Bytes huge_data = rmid(riff_chunk("data", plain));
  huge_data[19] = 0x7F;  // the data chunk claims more than the file holds
  const struct { const char* name; Bytes file; std::int64_t ticks; double ms; } cases[] = {
      {"format 0 reads its first track", smf(0, 96, {note_track, Track().tempo(0, 100000).end(960)}), 96,
       500},
      {"declared track count wins", smf(1, 96, {note_track, Track().end(960)}, 1), 96, 500},
      {"no End of Track", format_0(Track().note(0).note(96)), 96, 500},
      {"bytes after End of Track", format_0(Track(note_track).event(0, {0x12, 0x80})), 96, 500},
      {"header longer than 6", long_header, 96, 500},
      {"junk after the last track", plain + chunk("MTrk", {0x80}) + Bytes{'X', 0xFF, 0xFF, 0xFF, 0xFF}, 96,
       500},
      {"tempo of 2 bytes ignored", format_0(Track().event(0, {0xFF, 0x51, 2, 1, 2}).end(96)), 96, 500},
      {"tempo 0 ignored", format_0(Track().tempo(0, 0).end(96)), 96, 500},
      {"running status after a meta event",
       format_0(Track().note(0).event(0, {0xFF, 1, 0}).event(96, {61, 0}).end(0)), 96, 500},
      {"running status after SysEx",
       format_0(Track().note(0).event(0, {0xF0, 1, 0xF7}).event(96, {61, 0}).end(0)), 96, 500},
      {"system messages skipped",
       format_0(Track().event(0, {0xF2, 1, 2}).event(0, {0xF1, 5}).event(96, {0xF8}).end(0)), 96, 500},
      {"RMID", rmid(riff_chunk("LIST", {'I', 'N', 'F'}) + riff_chunk("data", plain)), 96, 500},
      {"RMID data past the file", huge_data, 96, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MidiSong song = MidiSong::parse(c.file);
    EXPECT_EQ(song.length_ticks(), c.ticks);
    EXPECT_DOUBLE_EQ(song.duration_ms(), c.ms);
    expect_consistent(song);
  }
}

// --- Tempo map and positions ------------------------------------------------

TEST(MidiSongTempoMap, PositionsFollowTheTempo) {
  using Positions = std::vector<std::pair<double, long>>;
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const struct {
    const char* name;
    Bytes file;
    std::int64_t ticks;
    double ms;
    Positions positions;
  } cases[] = {
      {"faster mid-song", format_0(Track().tempo(0, 500000).note(0).tempo(384, 250000).end(384)), 768, 3000,
       {{-5, 0}, {499.9, 3}, {500, 4}, {1999.9, 15}, {2000, 16}, {2062.5, 17}, {2125, 18}, {2999.9, 31},
        {3000, 32}, {1e12, 32}, {infinity, 32}, {nan, 0}}},
      {"default until the first tempo", format_0(Track().note(0).tempo(192, 1000000).end(192)), 384, 3000,
       {{999.9, 7}, {1000, 8}, {1500, 10}, {2999, 15}, {3000, 16}}},
      {"tempo on track 2",
       smf(1, 480, {Track().note(0).end(1920), Track().tempo(0, 1000000).tempo(480, 250000).end(0)}), 1920,
       1750, {{999, 3}, {1000, 4}, {1062.5, 5}, {1749, 15}}},
      {"later track wins a tick",
       smf(1, 96, {Track().tempo(0, 1000000).end(96), Track().tempo(0, 250000).end(0)}), 96, 250,
       {{62.5, 1}, {125, 2}, {249, 3}}},
      {"later event wins a tick", format_0(Track().tempo(0, 250000).tempo(0, 1000000).end(96)), 96, 1000,
       {{249, 0}, {250, 1}}},
      {"tempo at the last tick", format_0(Track().note(0).tempo(96, 1000000).end(0)), 96, 500, {{499, 3}}},
      {"division 1", format_0(Track().end(3), 1), 3, 1500, {{124, 0}, {125, 1}, {250, 2}, {1499, 11}}},
      {"division 7", format_0(Track().end(10), 7), 10, 500.0 * 10 / 7, {{124.9, 0}, {125, 1}, {700, 5}}},
      {"division 100", format_0(Track().tempo(0, 666667).end(1590), 100), 1590, 10600.0053, {{166.67, 1}}},
      {"division 32767", format_0(Track().end(32767 * 3 + 1), 32767), 32767 * 3 + 1, 1500.0 + 500.0 / 32767,
       {{1500, 12}}},
      {"awkward tempo", format_0(Track().tempo(0, 333333).end(1000003), 480), 1000003,
       1000003 * 333.333 / 480, {{333.333, 4}}},
      // 8249.99175 ms, 99 sixteenths exactly, is a hair less as a double.
      {"boundary in decimals", format_0(Track().tempo(0, 333333).end(5760)), 5760, 19999.98,
       {{8249.99, 98}, {8249.99175, 99}}},
      // Rounding over four years of wild tempos must not stop it short of its end.
      {"years long",
       format_0(Track().tempo(242347350, 11021226).tempo(150032225, 8658492).tempo(229299630, 4968237)
                    .end(212115085), 35),
       833794290, 137541135986.313, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const MidiSong song = MidiSong::parse(c.file);
    EXPECT_EQ(song.length_ticks(), c.ticks);
    EXPECT_NEAR(song.duration_ms(), c.ms, c.ms * 1e-12 + 1e-6);
    expect_consistent(song);
    for (const auto& [ms, sixteenths] : c.positions)
      EXPECT_EQ(song.position_sixteenths(ms), sixteenths) << ms;
  }
}

// --- Damaged files ----------------------------------------------------------

// Each damaged file is read or refused with a Failure; nothing else escapes.
void expect_read_or_refused(const Bytes& file, const std::string& what) {
  SCOPED_TRACE(what);
  try {
    expect_consistent(MidiSong::parse(file));
  } catch (const Failure&) {
  }
}

TEST(MidiSongDamage, EveryPrefixOfTheScaleIsRefused) {
  const Bytes scale = read_file("jazz-soft/test-c-major-scale.mid");
  for (std::size_t size = 0; size < scale.size(); ++size)
    EXPECT_NE(failure_of(Bytes(scale.begin(), scale.begin() + size)), "(read)") << size;
  EXPECT_EQ(failure_of(scale), "(read)");
}

TEST(MidiSongDamage, EveryBitFlipOfTheScale) {
  const Bytes scale = read_file("jazz-soft/test-c-major-scale.mid");
  for (std::size_t bit = 0; bit < scale.size() * 8; ++bit) {
    Bytes file = scale;
    file[bit / 8] ^= 1 << bit % 8;
    expect_read_or_refused(file, "bit " + std::to_string(bit));
  }
}

TEST(MidiSongDamage, RandomDamageOfBach) {
  const Bytes bach = read_file("tonejs-piano-midi-de/bach_846.mid");
  std::mt19937 random(1722);
  std::uniform_int_distribution<std::size_t> offset(0, bach.size() - 1);
  for (int i = 0; i < 300; ++i) {  // the file ends in its last track, so any cut loses something
    const std::size_t size = offset(random);
    EXPECT_NE(failure_of(Bytes(bach.begin(), bach.begin() + size)), "(read)") << size;
  }
  for (int i = 0; i < 600; ++i) {
    Bytes file = bach;
    const int changes = 1 + i % 4;
    for (int k = 0; k < changes; ++k) {
      if (i % 2) file[offset(random)] ^= 1 << random() % 8;
      else file[offset(random)] = static_cast<unsigned char>(random());
    }
    expect_read_or_refused(file, "damage " + std::to_string(i));
  }
}

}  // namespace
}  // namespace tw
