#pragma once

#include <QElapsedTimer>
#include <QIODevice>

#include <memory>
#include <optional>
#include <vector>

namespace RubberBand {
class RubberBandStretcher;
}

namespace ecolvar {

class FormatConverter;

// Where a playback stream reads its audio: 16-bit interleaved frames of an open file.
class FrameReader {
public:
    virtual ~FrameReader() = default;
    // Moves to `frame`; false when the source cannot go there.
    virtual bool seekFrame(qint64 frame) = 0;
    // Reads up to `frames` frames from the current frame; fewer only at the real end.
    virtual qint64 readFrames(qint16* data, qint64 frames) = 0;
};

// A range of source frames, `from` included, `to` excluded.
struct FrameRange {
    qint64 from = 0;
    qint64 to = 0;
};

// The two engines of the time stretcher: R2 ("faster") and R3 ("finer").
enum class StretchEngine { Faster, Finer };

// The engine new streams use; the default is the one measured best for speech on this machine.
StretchEngine stretchEngine();
void setStretchEngine(StretchEngine engine);

// The audio of one play, from a start frame up to an end frame, read by an output in pull mode
// as 16-bit interleaved frames.
//
// - Speed: at 1.0 the source frames pass untouched; at any other speed a real-time time
//   stretcher changes the tempo and keeps the pitch. The stretcher starts when the speed first
//   leaves 1.0 and then stays for the rest of the play, so a change while playing never breaks
//   the sound.
// - Loop: while a loop is set and the reading is before its end, reaching the end continues at
//   its start, sample-exact; the last few milliseconds before the end are crossfaded with those
//   before the start, so the seam does not click and no sample after the end is ever played.
// - Next file: with a follower set, reading that reaches the end frame (or the real end of the
//   file) goes on at the follower's first frame, in the same output and at the same speed. The
//   end frame must then be the end of the file. A follower of another sample rate or channel
//   count (FormatConverter::canConvert) is converted to the output's format on the way. The loop
//   belongs to the file it was set in and ends at that seam.
//
// The output's format is that of the first file. Every output frame maps back to the source
// frame it plays (sourceFrameAt), in that file's own frames, whatever the speed changes, loop
// passes, seams and conversions in between; fileAt tells which file it is in. Used on one thread
// (an output of Qt 6.4 reads on the thread that owns it); the output may ask atEnd() from its own
// thread, which reads a constant.
class PlaybackStream : public QIODevice {
public:
    PlaybackStream(FrameReader& reader, int channels, int sampleRate, qint64 from, qint64 end,
        double speed, std::optional<FrameRange> loop);
    ~PlaybackStream() override;

    bool isSequential() const override { return true; }
    // Never "at the end" to the output: a sink whose source is at its end asks the sound server
    // to drain, and Qt 6.4 delivers the drain's completion to the sink even after it has been
    // destroyed. The device finds the end itself (finished() and nothing buffered).
    bool atEnd() const override { return false; }
    qint64 bytesAvailable() const override;

    void setSpeed(double speed);
    // A loop in frames of the file the reading is in.
    void setLoop(std::optional<FrameRange> loop);
    // The file to go on with at the end (nullptr: none), `frames` long, of `channels` at
    // `sampleRate`. Ignored once the reading is done, or when its channels cannot be converted;
    // the stream never owns the reader.
    void setFollower(FrameReader* reader, qint64 frames, int channels, int sampleRate);
    void clearFollower() { m_follower.reset(); }
    // Files the reading has gone on into so far (0 while it reads the first).
    int filesEntered() const { return m_jumps.back().file; }

    // The output's format.
    int channels() const { return m_channels; }
    int sampleRate() const { return m_rate; }
    // The end frame of the file the reading is in, in its own frames.
    qint64 end() const { return m_fileEnd; }
    // Output frames handed out so far.
    qint64 framesOut() const { return m_framesOut; }
    // The source frame that output frame `outputFrame` plays (0 is the first handed out), in
    // the file fileAt(outputFrame) counts from the first (0).
    qint64 sourceFrameAt(qint64 outputFrame) const;
    int fileAt(qint64 outputFrame) const;
    // True once everything up to the end frame, or up to where the file really ends, is handed
    // out; sourceEnd() is then the frame where reading stopped. end() and sourceEnd() are of the
    // file the reading is in.
    bool finished() const { return m_finished; }
    qint64 sourceEnd() const;
    bool stretching() const { return m_stretcher != nullptr; }
    qint64 msToFirstData() const { return m_msToFirstData; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    struct RateMark {
        qint64 output; // from this output frame on
        double unwrapped; // the unwrapped source frame it plays
        double speed;
    };
    struct Jump {
        qint64 unwrapped; // from this unwrapped frame on
        qint64 source; // the source frame it is, in the output's rate
        int file; // in this file, counted from the first of the play
        int rate; // the file's own sample rate
    };
    struct Follower {
        FrameReader* reader;
        qint64 frames;
        int channels;
        int rate;
    };

    // Source frames in reading order, the loop applied; 0 once the source is done.
    qint64 readSource(qint16* out, qint64 frames);
    void buildSeam(qint64 fade);
    // Goes on into the follower; false when there is none or it cannot start.
    bool enterFollower();
    // The last jump at or before unwrapped frame `unwrapped`.
    const Jump& jumpAt(qint64 unwrapped) const;
    qint64 readStretched(qint16* out, qint64 frames);
    void startStretcher();
    void remember(const qint16* frames, qint64 count);
    double unwrappedAt(qint64 outputFrame) const;
    // The output frame after the one that plays the last source frame read.
    qint64 outputEnd() const;

    FrameReader* m_reader;
    std::optional<Follower> m_follower;
    // Reads the file the reading is in when its format is not the output's.
    std::unique_ptr<FormatConverter> m_converter;
    int m_channels;
    int m_rate;
    qint64 m_from;
    qint64 m_end; // in the output's rate
    qint64 m_fileEnd; // in the file's own
    double m_speed;
    std::optional<FrameRange> m_loop;
    qint64 m_fadeFrames;

    qint64 m_cursor; // the next source frame to read
    qint64 m_fed = 0; // source frames read so far, loop passes unwrapped
    bool m_sourceDone = false;
    bool m_finished = false;
    qint64 m_framesOut = 0;
    std::vector<qint16> m_seam; // the crossfaded frames at a loop's end
    std::size_t m_seamAt = 0;
    std::vector<qint16> m_history; // the last source frames read, to prime the stretcher
    std::vector<RateMark> m_rates;
    std::vector<Jump> m_jumps;

    std::unique_ptr<RubberBand::RubberBandStretcher> m_stretcher;
    qint64 m_delayToDrop = 0;
    bool m_flushed = false;
    std::vector<qint16> m_block;
    std::vector<std::vector<float>> m_planar;

    QElapsedTimer m_clock;
    qint64 m_msToFirstData = -1;
};

} // namespace ecolvar
