#include "player/playbackstream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ecolvar {
namespace {

// A stereo source whose left channel names its own frame (a ramp); the right channel holds a
// 440 Hz tone, so the stretcher has something real to work on.
class RampReader : public FrameReader {
public:
    explicit RampReader(qint64 frames) : m_frames(frames) { }
    bool seekFrame(qint64 frame) override
    {
        if (frame < 0 || frame > m_frames)
            return false;
        m_at = frame;
        return true;
    }
    qint64 readFrames(qint16* data, qint64 frames) override
    {
        const qint64 n = std::min(frames, m_frames - m_at);
        for (qint64 i = 0; i < n; ++i) {
            data[2 * i] = static_cast<qint16>(m_at + i);
            data[2 * i + 1] = static_cast<qint16>(
                std::lrint(8'000 * std::sin(2 * M_PI * 440 * double(m_at + i) / 44'100)));
        }
        m_at += n;
        return n;
    }

private:
    qint64 m_frames;
    qint64 m_at = 0;
};

// Reads the stream the way an output does, in 20 ms pulls, until it has `limit` frames or ends.
std::vector<qint16> pull(PlaybackStream& stream, qint64 limit)
{
    std::vector<qint16> out;
    std::vector<qint16> chunk(882 * 2);
    while (qint64(out.size()) / 2 < limit && !stream.finished()) {
        const qint64 bytes
            = stream.read(reinterpret_cast<char*>(chunk.data()), qint64(chunk.size()) * 2);
        out.insert(out.end(), chunk.begin(), chunk.begin() + bytes / 2);
    }
    return out;
}

std::unique_ptr<PlaybackStream> openStream(RampReader& reader, qint64 from, qint64 end,
    double speed, std::optional<FrameRange> loop = std::nullopt)
{
    EXPECT_TRUE(reader.seekFrame(from));
    auto stream = std::make_unique<PlaybackStream>(reader, 2, 44'100, from, end, speed, loop);
    stream->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return stream;
}

// At 1.0 the stretcher is bypassed: the frames out are the file's own, bit for bit, and every
// output frame maps to the source frame it carries.
TEST(PlaybackStream, AtNormalSpeedPassesTheSourceUntouched)
{
    RampReader reader(20'000);
    auto stream = openStream(reader, 1'234, 17'000, 1.0);
    const std::vector<qint16> out = pull(*stream, 1'000'000);
    EXPECT_FALSE(stream->stretching());
    ASSERT_TRUE(stream->finished());
    ASSERT_EQ(qint64(out.size()) / 2, 17'000 - 1'234);
    std::vector<qint16> expected(out.size());
    RampReader source(20'000);
    source.seekFrame(1'234);
    source.readFrames(expected.data(), 17'000 - 1'234);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(stream->sourceFrameAt(500), 1'734);
    EXPECT_EQ(stream->sourceEnd(), 17'000);
}

// A loop repeats exactly: the output's period is the loop's length to the sample, nothing after
// the loop's end is ever played, and every pass starts on the loop's first frame.
TEST(PlaybackStream, LoopsAtTheExactSample)
{
    RampReader reader(20'000);
    const FrameRange loop { 5'000, 7'000 };
    auto stream = openStream(reader, 4'000, 20'000, 1.0, loop);
    const std::vector<qint16> out = pull(*stream, 4'000 + 10 * 2'000);
    ASSERT_GE(out.size(), std::size_t(2 * 22'000));
    const qint64 fade = 44'100 * 5 / 1'000; // the crossfade before each seam
    for (qint64 o = 0; o < 22'000; ++o) {
        const qint16 left = out[2 * o];
        ASSERT_LT(left, loop.to) << "output frame " << o;
        if (o >= 3'000) { // after the first pass the audio repeats with the loop's period
            ASSERT_EQ(left, out[2 * (o - 2'000)]) << "output frame " << o;
        }
    }
    for (int pass = 1; pass < 10; ++pass) {
        const qint64 seam = 1'000 + 2'000 * pass; // where the output is back on the start
        EXPECT_EQ(out[2 * seam], loop.from) << "pass " << pass;
        EXPECT_EQ(stream->sourceFrameAt(seam), loop.from) << "pass " << pass;
        EXPECT_EQ(stream->sourceFrameAt(seam - 1), loop.to - 1) << "pass " << pass;
        // Inside the crossfade the ramp runs between the end's and the start's values.
        const qint16 mid = out[2 * (seam - fade / 2)];
        EXPECT_GT(mid, loop.from - fade);
        EXPECT_LT(mid, loop.to - fade / 2);
    }
    EXPECT_FALSE(stream->finished());

    // Cleared while playing: playback runs on past the old end to the end of the range.
    stream->setLoop(std::nullopt);
    pull(*stream, 1'000'000);
    EXPECT_TRUE(stream->finished());
    EXPECT_EQ(stream->sourceEnd(), 20'000);
}

// Away from 1.0 the output lasts the range's length divided by the speed, and every output
// frame maps back to source time: at the start, part-way and at the end.
TEST(PlaybackStream, StretchedOutputMapsToSourceTime)
{
    for (const double speed : { 0.5, 2.0 }) {
        SCOPED_TRACE(speed);
        RampReader reader(100'000);
        auto stream = openStream(reader, 10'000, 98'200, speed);
        const std::vector<qint16> out = pull(*stream, 1'000'000);
        EXPECT_TRUE(stream->stretching());
        ASSERT_TRUE(stream->finished());
        const double expected = 88'200 / speed;
        EXPECT_NEAR(double(out.size()) / 2, expected, expected * 0.01);
        EXPECT_EQ(stream->sourceFrameAt(0), 10'000);
        EXPECT_NEAR(stream->sourceFrameAt(22'050), 10'000 + 22'050 * speed, 2);
        EXPECT_GE(stream->sourceFrameAt(stream->framesOut()), 98'200 - 441);
        EXPECT_EQ(stream->sourceEnd(), 98'200);
    }
}

// A change of speed while playing moves on from where the sound is: no jump of the mapped
// position, and the new rate from there on, whether the stretcher was running or not.
TEST(PlaybackStream, SpeedChangeWhilePlayingKeepsThePosition)
{
    for (const auto& [first, second] : { std::pair { 1.0, 1.5 }, { 0.7, 2.0 }, { 1.5, 1.0 } }) {
        SCOPED_TRACE(testing::Message() << first << " -> " << second);
        RampReader reader(200'000);
        auto stream = openStream(reader, 0, 200'000, first);
        pull(*stream, 20'000);
        const qint64 at = stream->framesOut();
        const qint64 before = stream->sourceFrameAt(at - 1);
        stream->setSpeed(second);
        EXPECT_TRUE(stream->stretching() || second == 1.0);
        pull(*stream, at + 44'100);
        EXPECT_NEAR(stream->sourceFrameAt(at), before + first, 2);
        EXPECT_NEAR(
            stream->sourceFrameAt(at + 44'100) - stream->sourceFrameAt(at), 44'100 * second, 2);
    }
}

} // namespace
} // namespace ecolvar
