#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tw {

// The bytes of a WAV file, mended where a decoder would refuse or believe
// them: a PCM format without its derived block alignment and byte rate, and
// a sound chunk that claims more bytes than the file holds. Anything else is
// left for the decoder to judge. Throws Failure for a file that is missing,
// unreadable or larger than any sound effect of a game.
std::vector<unsigned char> read_wave_bytes(const std::filesystem::path& file);

// Throws the Failure of a WAV file that cannot be read as a sound.
[[noreturn]] void fail_wave_read(const std::filesystem::path& file, const std::string& reason);

}  // namespace tw
