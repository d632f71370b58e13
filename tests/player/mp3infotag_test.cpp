#include "audiofixtures.h"
#include "player/mp3infotag.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

struct Found {
    std::optional<Mp3InfoTag> tag;
    bool reliable = false;
};

Found inspect(const QString& name)
{
    QFile file(test::audioFixture(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    Found found;
    found.tag = readMp3InfoTag(file);
    found.reliable = mp3HeaderLengthIsReliable(found.tag, file.size());
    return found;
}

// Whether the encoder's header can be trusted decides between the decoder's length and a scan.
TEST(Mp3InfoTag, TellsWhichFilesNeedAScan)
{
    const Found lame = inspect(u"lame.mp3"_s);
    ASSERT_TRUE(lame.tag);
    EXPECT_TRUE(lame.reliable);
    EXPECT_EQ(lame.tag->streamStart, 0);
    // 2 s at 1152 samples per frame, with the encoder's delay and padding.
    EXPECT_GE(*lame.tag->frames, 77u);
    EXPECT_LE(*lame.tag->frames, 79u);

    const Found id3 = inspect(u"id3.mp3"_s);
    ASSERT_TRUE(id3.tag);
    EXPECT_TRUE(id3.reliable);
    EXPECT_GT(id3.tag->streamStart, 10);

    EXPECT_FALSE(inspect(u"cbr.mp3"_s).tag);
    const Found truncated = inspect(u"truncated.mp3"_s);
    EXPECT_TRUE(truncated.tag);
    EXPECT_FALSE(truncated.reliable);
    EXPECT_FALSE(inspect(u"text.mp3"_s).tag);
    EXPECT_FALSE(inspect(u"empty.mp3"_s).tag);
}

// The parser reads only the bytes it is given: every prefix of a real header and random bytes
// with frame syncs sprinkled in either give a tag or nothing.
TEST(Mp3InfoTag, ReadsOnlyWhatItIsGiven)
{
    QFile file(test::audioFixture(u"lame.mp3"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray head = file.read(1'000);
    int found = 0;
    for (qsizetype size = 0; size <= head.size(); ++size) {
        // A copy of exactly that size, so that reading past it is caught.
        const QByteArray prefix(head.constData(), size);
        if (const std::optional<Mp3InfoTag> tag = findMp3InfoTag(prefix, 0))
            found += tag->frames.has_value();
    }
    EXPECT_GT(found, 0);

    QRandomGenerator random(7);
    for (int round = 0; round < 2'000; ++round) {
        QByteArray bytes(random.bounded(1, 600), Qt::Uninitialized);
        for (char& byte : bytes)
            byte = static_cast<char>(random.bounded(256));
        for (int i = 0; i < 4; ++i) {
            const qsizetype at = random.bounded(bytes.size());
            bytes[at] = '\xFF';
            if (at + 1 < bytes.size())
                bytes[at + 1] = static_cast<char>(0xE2 | random.bounded(0x1E));
        }
        findMp3InfoTag(bytes, 0);
    }
}

// A header frame that disagrees with the bytes after it is not trusted: two files joined (the
// header counts the first only) and headers announcing far more or fewer frames than fit.
TEST(Mp3InfoTag, AHeaderTheBytesDisagreeWithNeedsAScan)
{
    QFile file(test::audioFixture(u"lame.mp3"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray lame = file.readAll();
    const auto reliable = [](const QByteArray& bytes) {
        return mp3HeaderLengthIsReliable(findMp3InfoTag(bytes, 0), bytes.size());
    };
    ASSERT_TRUE(reliable(lame));
    EXPECT_TRUE(reliable(lame + QByteArray(128, 'T'))); // an ID3v1 tag at the end
    EXPECT_FALSE(reliable(lame + lame));

    const qsizetype info = std::max(lame.indexOf("Info"), lame.indexOf("Xing"));
    ASSERT_GT(info, 0);
    const quint32 frames = findMp3InfoTag(lame, 0)->frames.value();
    for (const quint32 announced : { 0x00C00000u, frames * 20, frames / 20 }) {
        SCOPED_TRACE(announced);
        QByteArray lying = lame;
        for (int i = 0; i < 4; ++i)
            lying[info + 8 + i] = static_cast<char>(announced >> (24 - 8 * i));
        EXPECT_FALSE(reliable(lying));
        // Without its byte count the frame count alone is checked.
        lying[info + 7] = static_cast<char>(lying[info + 7] & ~2);
        EXPECT_FALSE(reliable(lying));
    }
}

} // namespace
} // namespace ecolvar
