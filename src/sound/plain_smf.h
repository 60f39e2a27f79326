#pragma once

#include <span>
#include <vector>

namespace tw {

// The song of a MIDI file rewritten for FluidSynth's stricter reader, read
// as the engine's MidiSong reads it: an RMID wrapper is taken off, chunks
// other than MTrk are dropped, a format 0 file keeps its first track, running
// status carries across meta and SysEx events, stray system messages are
// left out and every track ends with End of Track. Every event is written
// with its status byte. A file this cannot read comes back unchanged, for
// FluidSynth to judge.
std::vector<unsigned char> plain_smf(std::span<const unsigned char> file);

}  // namespace tw
