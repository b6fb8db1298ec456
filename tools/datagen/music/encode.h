// Ogg Vorbis in and out: the song is encoded once by the generator and decoded by tests.
#pragma once

#include "tools/datagen/music/mixer.h"

#include <cstdint>
#include <string>
#include <vector>

// A fixed stream serial number: the same song always gives the same bytes.
constexpr int oggSerial = 0x4f52564c;

// Encodes 44.1 kHz at the given vorbisenc quality (-0.1 .. 1) into bytes: stereo, or mono when
// the song's right channel is empty. Streams chained into one file need distinct serials.
bool encodeVorbis(const Song& song, float quality, std::vector<uint8_t>& bytes, std::string& error,
                  const Progress& progress = {}, int serial = oggSerial);

// Decodes Ogg Vorbis bytes (stereo expected) into a song; reports the stream's rate and channels.
bool decodeVorbis(const std::vector<uint8_t>& bytes, Song& song, int& rate, int& channels, std::string& error);

// Writes through a temporary file next to the target, renamed into place on success.
bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
