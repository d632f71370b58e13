#pragma once

#include <QByteArray>

class QIODevice;

#include <cstdint>
#include <optional>

namespace ecolvar {

// What the encoder's header frame (Xing, Info or VBRI) at the start of an MP3 says about the
// stream. MP3 files without such a frame only have a length estimated from their size.
struct Mp3InfoTag {
    std::optional<std::uint32_t> frames; // MPEG frames in the stream, header frame excluded
    std::optional<std::uint32_t> bytes; // bytes of the stream, header frame included
    std::int64_t streamStart = 0; // offset of the header frame in the file
    // The shortest and longest frame, in bytes, of a stream of the header frame's MPEG version
    // and sample rate (any bitrate, with padding).
    std::int64_t minFrameBytes = 0;
    std::int64_t maxFrameBytes = 0;
};

// Looks for the header frame in `bytes`, the part of an MP3 file that follows its ID3v2 tag
// (64 KiB are enough); `offset` is where `bytes` start in the file. Returns nothing when the first
// MPEG audio frame carries no such header. Reads only inside `bytes`, whatever they hold.
std::optional<Mp3InfoTag> findMp3InfoTag(const QByteArray& bytes, std::int64_t offset);

// Skips the ID3v2 tag of an open MP3 file, then looks for the header frame.
std::optional<Mp3InfoTag> readMp3InfoTag(QIODevice& file);

// True when the header frame gives the frame count and the file's bytes agree with it: the
// stream (the file after streamStart) is as long as the header's byte count within two frames
// and a trailing ID3v1 tag, and the frame count fits the stream at some bitrate. The decoder's
// length is then exact. A truncated file, two files joined, a header that lies about the length
// or a file without the header needs a scan of its frames.
bool mp3HeaderLengthIsReliable(const std::optional<Mp3InfoTag>& tag, std::int64_t fileSize);

} // namespace ecolvar
