#pragma once

#include "player/playbackstream.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace ecolvar {

// An open audio file as 16-bit interleaved frames: MP3 through libmpg123, WAV and the other
// formats libsndfile reads through libsndfile. The file is opened once and stays open.
//
// An MP3 whose encoder header does not give a length its bytes agree with (no header, two files
// joined, a truncated file, a header that lies) is scanned frame by frame at open, which finds
// the exact length and a seek index. That index, stored and handed to a later open of the same
// file, spares both the scan and the read from the start that a seek would otherwise need.
class AudioDecoder : public FrameReader {
public:
    // Opens path; a stored seek index of the file (seekIndex() of an earlier open) spares the
    // scan when it fits the file. Throws EcolvarError with the reason and the decoder's text.
    static std::unique_ptr<AudioDecoder> open(
        const QString& path, const QByteArray& knownIndex = {});

    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    // The exact length in frames.
    qint64 frames() const { return m_frames; }
    // Decoding ended before the length: the file really ends at `frames`.
    void truncate(qint64 frames) { m_frames = frames; }
    // The seek index made by a scan at open, to be stored with the length; empty when the open
    // did not scan (a WAV, an MP3 with a usable header, or one opened with its stored index).
    const QByteArray& scannedIndex() const { return m_scannedIndex; }

protected:
    AudioDecoder() = default;

    int m_channels = 0;
    int m_sampleRate = 0;
    qint64 m_frames = 0;
    QByteArray m_scannedIndex;
};

// The length of the audio file at path in milliseconds, as the player decodes it; 0 when it
// cannot be opened or holds nothing.
int audioFileLengthMs(const QString& path);

} // namespace ecolvar
