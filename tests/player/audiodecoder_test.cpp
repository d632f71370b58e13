#include "player/audiodecoder.h"
#include "player/sndfilemediadevice.h"

#include "audiofixtures.h"
#include "memorycache.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using test::audioFixture;

std::vector<qint16> samplesAt(AudioDecoder& decoder, qint64 frame)
{
    std::vector<qint16> samples(1024 * static_cast<std::size_t>(decoder.channels()));
    EXPECT_TRUE(decoder.seekFrame(frame));
    samples.resize(static_cast<std::size_t>(decoder.readFrames(samples.data(), 1024))
        * static_cast<std::size_t>(decoder.channels()));
    return samples;
}

// Every sample format comes out at its level: the fixtures' tone is at half of full scale,
// whether stored as 8-bit, 16-bit or floating-point samples.
TEST(AudioDecoder, EverySampleFormatDecodesAtItsLevel)
{
    for (const char* name : { "tone.wav", "mono8k.wav", "float48k.wav", "lame.mp3" }) {
        SCOPED_TRACE(name);
        const auto decoder = AudioDecoder::open(test::audioFixture(QString::fromLatin1(name)));
        std::vector<qint16> samples(std::size_t(4'096 * decoder->channels()));
        ASSERT_EQ(decoder->readFrames(samples.data(), 4'096), 4'096);
        int peak = 0;
        for (const qint16 sample : samples)
            peak = std::max(peak, std::abs(int(sample)));
        EXPECT_NEAR(peak, 16'384, 1'000);
    }
}

// An MP3 without a usable header is scanned once: its stored index spares the next open the scan
// and reads the same samples as the scan's own, anywhere in the file, in any order. An index that
// does not fit the file (damaged, cut short, another file's) is not used: the file is scanned.
TEST(AudioDecoder, AStoredSeekIndexSparesTheScanAndReadsWhatTheScanRead)
{
    QTemporaryDir dir;
    const QString joined = dir.filePath(u"joined.mp3"_s);
    {
        QFile first(audioFixture(u"lame.mp3"_s));
        QFile second(audioFixture(u"cbr.mp3"_s));
        QFile out(joined);
        ASSERT_TRUE(first.open(QIODevice::ReadOnly) && second.open(QIODevice::ReadOnly)
            && out.open(QIODevice::WriteOnly));
        out.write(first.readAll() + second.readAll());
    }
    const QByteArray otherIndex
        = AudioDecoder::open(audioFixture(u"truncated.mp3"_s))->scannedIndex();

    for (const QString& path : { audioFixture(u"sweep.mp3"_s), joined }) {
        SCOPED_TRACE(path.toStdString());
        const auto scanned = AudioDecoder::open(path);
        const QByteArray index = scanned->scannedIndex();
        ASSERT_FALSE(index.isEmpty());
        const qint64 frames = scanned->frames();

        const auto indexed = AudioDecoder::open(path, index);
        EXPECT_TRUE(indexed->scannedIndex().isEmpty());
        EXPECT_EQ(indexed->frames(), frames);
        for (const qint64 frame :
            { frames * 97 / 100, frames / 3, qint64(0), frames - 300, frames / 2 + 1 }) {
            SCOPED_TRACE(frame);
            const std::vector<qint16> expected = samplesAt(*scanned, frame);
            EXPECT_FALSE(expected.empty());
            EXPECT_EQ(samplesAt(*indexed, frame), expected);
        }

        for (const QByteArray& unfit :
            { QByteArray("not an index"), index.chopped(8), otherIndex }) {
            const auto rescanned = AudioDecoder::open(path, unfit);
            EXPECT_EQ(rescanned->scannedIndex(), index);
            EXPECT_EQ(rescanned->frames(), frames);
        }
    }
}

// The index of a file whose bytes have since moved by one, its size the same: every stored offset
// falls inside a frame. The index is not taken, and seeks read what a fresh scan reads.
TEST(AudioDecoder, AStoredIndexThatMissesTheFramesStillReadsWhatAScanReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"shifted.mp3"_s);
    QFile::copy(audioFixture(u"sweep.mp3"_s), path);
    const QByteArray index = AudioDecoder::open(path)->scannedIndex();
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll();
        file.seek(0);
        file.write(bytes.mid(1) + QByteArray(1, '\0'));
    }
    const auto shifted = AudioDecoder::open(path, index);
    EXPECT_FALSE(shifted->scannedIndex().isEmpty()); // not taken: scanned again
    const auto scanned = AudioDecoder::open(path);
    const qint64 frames = std::min(shifted->frames(), scanned->frames());
    for (const qint64 frame : { frames / 2, frames / 5 }) {
        const std::vector<qint16> expected = samplesAt(*scanned, frame);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(samplesAt(*shifted, frame), expected) << frame;
    }
}

// The device keeps the index its scan made in its cache and finds it at the next open; a file
// with a usable header, or a WAV, needs none.
TEST(AudioDecoder, TheDeviceKeepsTheIndexOfAScannedFileInItsCache)
{
    test::MemoryCache cache;
    const QString path = audioFixture(u"sweep.mp3"_s);
    SndFileMediaDevice first(SndFileMediaDevice::Output::Silent);
    first.setLengthCache(&cache);
    first.setFileName(path);
    first.Open();
    EXPECT_FALSE(first.scannedSeekIndex().isEmpty());
    const FileStamp stamp = FileStamp::of(path);
    EXPECT_EQ(cache.findSeekIndex(path, stamp.size, stamp.modifiedMs), first.scannedSeekIndex());
    EXPECT_EQ(cache.find(path, stamp.size, stamp.modifiedMs), first.Length());

    SndFileMediaDevice second(SndFileMediaDevice::Output::Silent);
    second.setLengthCache(&cache);
    second.setFileName(path);
    second.Open();
    EXPECT_TRUE(second.scannedSeekIndex().isEmpty());
    EXPECT_EQ(second.Length(), first.Length());

    for (const QString& name : { u"lame.mp3"_s, u"tone.wav"_s }) {
        second.setFileName(audioFixture(name));
        second.Open();
        EXPECT_TRUE(second.scannedSeekIndex().isEmpty()) << name.toStdString();
    }
    EXPECT_EQ(cache.size(), 1);
}

} // namespace
} // namespace ecolvar
