#include "audiofixtures.h"
#include "player/audiodecoder.h"
#include "player/playbackstream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ecolvar {
namespace {

// A stereo source whose left channel names its own frame (a ramp); the right channel holds a
// 440 Hz tone, or with `markers` a 20 ms burst of 3 kHz every 250 ms and silence between.
class RampReader : public FrameReader {
public:
    explicit RampReader(qint64 frames, bool markers = false) : m_frames(frames), m_markers(markers)
    {
    }
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
            const double t = double(m_at + i) / 44'100;
            const bool quiet = m_markers && (m_at + i) % 11'025 >= 882;
            data[2 * i + 1] = quiet
                ? qint16(0)
                : static_cast<qint16>(
                    std::lrint(8'000 * std::sin(2 * M_PI * (m_markers ? 3'000 : 440) * t)));
        }
        m_at += n;
        return n;
    }

private:
    qint64 m_frames;
    bool m_markers;
    qint64 m_at = 0;
};

// Where the stream says each marker burst of `out` plays against where it is in the source:
// the worst difference in milliseconds over the bursts whose centre comes out at or after
// `fromFrame`. Each burst is placed at its centre of energy, which stretching leaves in place.
double worstMarkerErrorMs(
    const PlaybackStream& stream, const std::vector<qint16>& out, qint64 fromFrame = 0)
{
    double worst = 0;
    int bursts = 0;
    const qint64 frames = qint64(out.size()) / 2;
    const auto right = [&](qint64 i) { return double(out[std::size_t(2 * i + 1)]); };
    for (qint64 i = 0; i < frames; ++i) {
        if (std::abs(right(i)) < 2'000)
            continue;
        double weight = 0;
        double moment = 0;
        qint64 end = i;
        for (qint64 quiet = 0; end < frames && quiet < 441; ++end) {
            const double energy = right(end) * right(end);
            quiet = energy < 4e6 ? quiet + 1 : 0;
            weight += energy;
            moment += energy * double(end);
        }
        const auto centre = qint64(moment / weight);
        i = end;
        if (centre < fromFrame)
            continue;
        const double reported = double(stream.sourceFrameAt(centre)) / 44.1;
        const double burst = std::round((reported - 10) / 250) * 250 + 10;
        worst = std::max(worst, std::abs(reported - burst));
        ++bursts;
    }
    EXPECT_GT(bursts, 3);
    return worst;
}

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

// Away from 1.0 the output lasts the range's length divided by the speed, and what comes out at
// any output frame is the source frame that the stream reports there, within 10 ms.
TEST(PlaybackStream, StretchedOutputMapsToSourceTime)
{
    for (const double speed : { 0.5, 2.0 }) {
        SCOPED_TRACE(speed);
        RampReader reader(100'000, true);
        auto stream = openStream(reader, 11'025, 99'225, speed);
        const std::vector<qint16> out = pull(*stream, 1'000'000);
        EXPECT_TRUE(stream->stretching());
        ASSERT_TRUE(stream->finished());
        const double expected = 88'200 / speed;
        EXPECT_NEAR(double(out.size()) / 2, expected, expected * 0.01);
        EXPECT_LE(worstMarkerErrorMs(*stream, out), 10);
        EXPECT_EQ(stream->sourceFrameAt(0), 11'025);
        EXPECT_EQ(stream->sourceEnd(), 99'225);
    }
}

// A change of speed while playing moves on from where the sound is: no jump of the reported
// position, and what comes out afterwards still matches it within 10 ms, whether the stretcher
// was running before or not.
TEST(PlaybackStream, SpeedChangeWhilePlayingKeepsThePosition)
{
    for (const auto& [first, second] : { std::pair { 1.0, 1.5 }, { 0.7, 1.5 }, { 1.5, 0.7 } }) {
        SCOPED_TRACE(testing::Message() << first << " -> " << second);
        RampReader reader(200'000, true);
        auto stream = openStream(reader, 0, 200'000, first);
        std::vector<qint16> out = pull(*stream, 30'000);
        const qint64 at = stream->framesOut();
        const qint64 before = stream->sourceFrameAt(at - 1);
        stream->setSpeed(second);
        EXPECT_TRUE(stream->stretching());
        const std::vector<qint16> rest = pull(*stream, at + 88'200);
        out.insert(out.end(), rest.begin(), rest.end());
        EXPECT_NEAR(stream->sourceFrameAt(at), before + first, 2);
        EXPECT_LE(worstMarkerErrorMs(*stream, out, at), 10);
    }
}

// With a follower, the end of the file is followed by the follower's first frame in the same
// output: nothing dropped, nothing doubled, nothing between; positions and files follow the seam.
TEST(PlaybackStream, GoesOnIntoTheFollowerAtItsFirstFrame)
{
    RampReader first(1'000);
    RampReader second(500);
    auto stream = openStream(first, 900, 1'000, 1.0);
    stream->setFollower(&second, 500, 2, 44'100);
    const std::vector<qint16> out = pull(*stream, 1'000'000);
    ASSERT_TRUE(stream->finished());
    ASSERT_EQ(out.size(), std::size_t(2 * 600));
    for (qint64 o = 0; o < 600; ++o)
        ASSERT_EQ(out[2 * o], o < 100 ? 900 + o : o - 100) << "output frame " << o;
    EXPECT_EQ(stream->fileAt(99), 0);
    EXPECT_EQ(stream->sourceFrameAt(99), 999);
    EXPECT_EQ(stream->fileAt(100), 1);
    EXPECT_EQ(stream->sourceFrameAt(100), 0);
    EXPECT_EQ(stream->sourceFrameAt(599), 499);
    EXPECT_EQ(stream->sourceEnd(), 500);

    // A loop holds playing inside the first file: the follower waits.
    RampReader looped(1'000);
    auto loopStream = openStream(looped, 0, 1'000, 1.0, FrameRange { 500, 1'000 });
    loopStream->setFollower(&second, 500, 2, 44'100);
    pull(*loopStream, 5'000);
    EXPECT_EQ(loopStream->filesEntered(), 0);
    EXPECT_EQ(loopStream->fileAt(loopStream->framesOut() - 1), 0);
}

// Stretched, the seam comes out where the first file's last frame plays, and what comes out on
// either side still matches the reported source frame within 10 ms.
TEST(PlaybackStream, StretchedOutputMapsAcrossTheSeam)
{
    RampReader first(99'225, true);
    RampReader second(44'100, true);
    const double speed = 1.5;
    auto stream = openStream(first, 11'025, 99'225, speed);
    stream->setFollower(&second, 44'100, 2, 44'100);
    const std::vector<qint16> out = pull(*stream, 1'000'000);
    ASSERT_TRUE(stream->finished());
    const double seam = 88'200 / speed;
    EXPECT_NEAR(double(out.size()) / 2, seam + 44'100 / speed, 441);
    qint64 firstInSecond = 0;
    while (stream->fileAt(firstInSecond) == 0)
        ++firstInSecond;
    EXPECT_NEAR(double(firstInSecond), seam, 441);
    EXPECT_LE(stream->sourceFrameAt(firstInSecond), 2);
    EXPECT_LE(worstMarkerErrorMs(*stream, out), 10);
}

// The longest run of output frames, in milliseconds at 44.1 kHz, in which no channel reaches
// 1/32 of full scale (the fixtures' tone is at half scale and is that quiet for a few frames only
// around a zero crossing).
double longestSilenceMs(const std::vector<qint16>& out, int channels)
{
    qint64 run = 0;
    qint64 longest = 0;
    for (std::size_t i = 0; i + std::size_t(channels) <= out.size(); i += std::size_t(channels)) {
        bool quiet = true;
        for (int c = 0; c < channels; ++c)
            quiet = quiet && std::abs(int(out[i + std::size_t(c)])) < 1'024;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return double(longest) / 44.1;
}

// A follower of another sample rate or channel count is converted to the output's format on the
// way: the 440 Hz tone goes on across the seam with no silence longer than 30 ms, at its pitch,
// mono on both channels; the output lasts what the follower lasts, and positions are the
// follower's own frames. A loop set in it afterwards is in its own frames too.
TEST(PlaybackStream, ConvertsAFollowerOfAnotherRateOrChannelCountWithoutAGap)
{
    for (const char* name : { "mono24k.wav", "lame22k.mp3", "float48k.wav" }) {
        SCOPED_TRACE(name);
        const auto first = AudioDecoder::open(test::audioFixture(QStringLiteral("tone.wav")));
        const auto second = AudioDecoder::open(test::audioFixture(QString::fromLatin1(name)));
        ASSERT_EQ(first->sampleRate(), 44'100);
        ASSERT_NE(second->sampleRate(), 44'100);
        const qint64 from = 88'200 - 13'230; // the last 300 ms
        ASSERT_TRUE(first->seekFrame(from));
        PlaybackStream stream(*first, 2, 44'100, from, 88'200, 1.0, std::nullopt);
        stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        stream.setFollower(
            second.get(), second->frames(), second->channels(), second->sampleRate());
        const std::vector<qint16> out = pull(stream, 1'000'000);
        ASSERT_TRUE(stream.finished());

        const qint64 seam = 13'230;
        EXPECT_EQ(qint64(out.size()) / 2, seam + 88'200);
        EXPECT_LE(longestSilenceMs(out, 2), 30.0);
        int crossings = 0;
        int unequal = 0;
        for (qint64 o = seam + 4'410; o < seam + 4'410 + 44'100; ++o) {
            crossings += (out[2 * (o - 1)] < 0) != (out[2 * o] < 0) ? 1 : 0;
            unequal += second->channels() == 1 && out[2 * o] != out[2 * o + 1] ? 1 : 0;
        }
        EXPECT_NEAR(crossings, 880, 6);
        EXPECT_EQ(unequal, 0);

        EXPECT_EQ(stream.fileAt(seam - 1), 0);
        EXPECT_EQ(stream.sourceFrameAt(seam - 1), 88'199);
        EXPECT_EQ(stream.fileAt(seam), 1);
        EXPECT_EQ(stream.sourceFrameAt(seam), 0);
        EXPECT_EQ(stream.sourceFrameAt(seam + 44'100), second->sampleRate());
        EXPECT_EQ(stream.end(), second->frames());
        EXPECT_EQ(stream.sourceEnd(), second->frames());
    }

    const auto first = AudioDecoder::open(test::audioFixture(QStringLiteral("tone.wav")));
    const auto second = AudioDecoder::open(test::audioFixture(QStringLiteral("mono24k.wav")));
    ASSERT_TRUE(first->seekFrame(88'000));
    PlaybackStream stream(*first, 2, 44'100, 88'000, 88'200, 1.0, std::nullopt);
    stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    stream.setFollower(second.get(), second->frames(), 1, 24'000);
    pull(stream, 2'000);
    ASSERT_EQ(stream.filesEntered(), 1);
    stream.setLoop(FrameRange { 12'000, 18'000 }); // 0.5 s to 0.75 s
    const qint64 looping = stream.framesOut() + 44'100;
    const std::vector<qint16> out = pull(stream, looping + 44'100);
    EXPECT_FALSE(stream.finished());
    EXPECT_LE(longestSilenceMs(out, 2), 30.0);
    for (qint64 o = looping; o < looping + 44'100; o += 441) {
        EXPECT_GE(stream.sourceFrameAt(o), 12'000) << "output frame " << o;
        EXPECT_LT(stream.sourceFrameAt(o), 18'000) << "output frame " << o;
    }
}

} // namespace
} // namespace ecolvar
