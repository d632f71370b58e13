#pragma once

#include "player/mediadevice.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace ecolvar {

class AudioDecoder;
struct FrameRange;
class PcmOutput;
class PlaybackStream;
class SinkParking;

// The media device on libmpg123 (MP3) and libsndfile (WAV of any common sample format) and a
// QAudioSink. The decoder streams the file a few milliseconds at a time; the whole file is never
// in memory. Owned by the main window; lives and is used on the thread that created it, which
// must run an event loop while playing. A queued next file opens on a worker thread; its decoder
// is handed back to this thread when done.
//
// Without an audio output (Output::Silent, or no sound device on the machine) a silent output
// consumes the audio on a real-time clock, so position, mode and the end of a file behave the
// same. A device made with Output::Silent never touches the audio system: the measuring device
// uses it.
class SndFileMediaDevice : public QObject, public MediaDevice {
    Q_OBJECT
public:
    enum class Output { Speakers, Silent };

    explicit SndFileMediaDevice(Output output = Output::Speakers, QObject* parent = nullptr);
    ~SndFileMediaDevice() override;

    void Open() override;
    void Close() override;
    void Play() override;
    void Stop() override;
    void Seek(int ms) override;
    int Length() override;
    int Position() override;
    int Mode() override;
    void setVolume(float level) override;
    void setLengthCache(LengthCache* cache) override { m_cache = cache; }
    const QByteArray& scannedSeekIndex() const override { return m_scannedIndex; }

    // For measuring: milliseconds from the last Play to the first audio handed to the output
    // (-1 before that), and whether that play goes to the silent output.
    qint64 msToFirstAudio() const;
    bool playsSilently() const;

protected:
    void speedChanged() override;
    void loopChanged() override;
    void nextFileChanged() override;

private:
    struct Queued;

    // Opens the file at path; throws EcolvarError with the reason when it cannot be played.
    static std::unique_ptr<AudioDecoder> openDecoder(
        const QString& path, const QByteArray& knownIndex);
    // The seek index stored for path, empty without one or without a cache.
    QByteArray knownIndex(const QString& path) const;
    // Keeps the index a scan at the opening of path made, in the cache and for scannedSeekIndex.
    void rememberIndex(const QString& path, const AudioDecoder& decoder);
    // The queued file's decoder when path is the queued file and it opened, waiting for it if it
    // is still opening.
    std::unique_ptr<AudioDecoder> takeQueued(const QString& path);
    // Hands the queued file to the stream when the play can go on into it.
    void offerNext();
    // Whether the stream reads a file after the one heard; it then owns the queued one (m_ahead).
    bool readsAhead();
    void requireOpen() const;
    void stopOutput();
    void startOutput(qint64 fromFrame, qint64 endFrame, Output output);
    // Follows playback: at the end (everything handed out, nothing left in the output's buffer)
    // the mode turns to stopped with the position on the end frame.
    void update();
    qint64 audibleFrame() const;
    std::optional<FrameRange> loopFrames() const;
    qint64 msToFrame(int ms) const;
    int frameToMs(qint64 frame) const;

    Output m_output;
    std::unique_ptr<SinkParking> m_parking;
    std::unique_ptr<AudioDecoder> m_decoder;
    // The queued file, opening or open; the stream may read it ahead of what is heard.
    std::unique_ptr<Queued> m_queued;
    std::unique_ptr<Queued> m_ahead;
    // Files the play has moved on into: the stream's file that m_decoder is.
    int m_streamFile = 0;
    std::unique_ptr<PlaybackStream> m_stream;
    std::unique_ptr<PcmOutput> m_pcm;
    QTimer m_poll;
    qint64 m_positionFrame = 0;
    bool m_playing = false;
    float m_volume = 1.0F;
    LengthCache* m_cache = nullptr;
    QByteArray m_scannedIndex;
};

} // namespace ecolvar
