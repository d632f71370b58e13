#pragma once

#include <QString>

namespace ecolvar::test {

// Small audio files made on first use with sox and lame in a temporary directory that lasts as
// long as the test process. Names: "tone.wav" (2 s of 440 Hz, 44.1 kHz stereo 16-bit),
// "lame.mp3" (the tone with a LAME header), "cbr.mp3" (constant bitrate, no header),
// "mono8k.wav" (8 kHz mono 8-bit), "mono24k.wav" (24 kHz mono 16-bit), "surround.wav" (six
// channels), "float48k.wav" (48 kHz stereo float), "id3.mp3" (an ID3v2
// tag before the LAME header), "lame22k.mp3" (MPEG-2 at 22.05 kHz), "truncated.mp3" and
// "truncated22k.mp3" (the first 40 % of lame.mp3 and lame22k.mp3), "empty.mp3" (0 bytes),
// "text.mp3" (plain text), "noaudio.wav" (a WAV header without samples). Fails the test when a tool
// is missing.
QString audioFixture(const QString& name);

// The number of frames the program's decoder hands out from a file, read to the end.
long long decodedFrames(const QString& path);

} // namespace ecolvar::test
