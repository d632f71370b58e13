#include "desktop/openrequest.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Reason = OpenRequest::Reason;

class OpenRequestTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // A file under the temporary directory with these first bytes; its full path.
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        test::writeFile(path, bytes);
        return path;
    }
    static QStringList reasons(const OpenRequest& request)
    {
        QStringList result;
        for (const OpenRequest::Refused& refused : request.refused())
            result.append(
                QFileInfo(refused.shown).fileName() + u':' + QString::number(int(refused.reason)));
        return result;
    }

    static inline const QByteArray wav = QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16);
    static inline const QByteArray id3 = QByteArray("ID3\x04\0\0\0\0\0\0", 10);
    // An MPEG-1 layer III frame header after some padding, in a file without a tag.
    static inline const QByteArray padded
        = QByteArray(100, '\0') + QByteArray("\xFF\xFB\x90\x64", 4);

    QTemporaryDir m_dir;
};

TEST_F(OpenRequestTest, SortsArgumentsIntoAudioFilesAndRefusedOnes)
{
    const QString one = file(u"a/one.wav"_s, wav);
    const QString two = file(u"a/two.MP3"_s, id3);
    const QString three = file(u"a/three.mp3"_s, padded);
    file(u"a/notes.mp3"_s, "These are my notes, not a recording.");
    file(u"a/empty.wav"_s, {});
    file(u"a/padded.dat"_s, padded);
    QDir(m_dir.path()).mkpath(u"a/folder.mp3"_s);

    // Relative paths come from the working directory; file: URLs are local files; a file
    // named twice opens once.
    const OpenRequest request = OpenRequest::fromArguments(
        { u"a/one.wav"_s, QUrl::fromLocalFile(two).toString(), three, u"a/../a/one.wav"_s,
            u"a/notes.mp3"_s, u"a/empty.wav"_s, u"a/padded.dat"_s, u"a/folder.mp3"_s,
            u"a/gone.mp3"_s, u"https://example.org/talk.mp3"_s },
        m_dir.path());

    EXPECT_EQ(request.files(), QStringList({ one, two, three }));
    EXPECT_EQ(request.mode(), OpenRequest::Mode::List);
    EXPECT_EQ(request.listName(), u"a"_s);
    EXPECT_EQ(reasons(request),
        QStringList({ u"notes.mp3:%1"_s.arg(int(Reason::NotAudio)),
            u"empty.wav:%1"_s.arg(int(Reason::NotAudio)),
            u"padded.dat:%1"_s.arg(int(Reason::NotAudio)),
            u"folder.mp3:%1"_s.arg(int(Reason::NotAFile)),
            u"gone.mp3:%1"_s.arg(int(Reason::Missing)),
            u"talk.mp3:%1"_s.arg(int(Reason::NotLocal)) }));
    EXPECT_EQ(request.refused().last().shown, u"https://example.org/talk.mp3"_s);
}

TEST_F(OpenRequestTest, OneFileOpensOnItsOwnAndNoneOpensNothing)
{
    const QString one = file(u"one.wav"_s, wav);
    const OpenRequest single = OpenRequest::fromUrls({ QUrl::fromLocalFile(one) });
    EXPECT_EQ(single.mode(), OpenRequest::Mode::SingleFile);
    EXPECT_EQ(single.files(), QStringList { one });
    EXPECT_TRUE(single.message().isEmpty());

    const OpenRequest none = OpenRequest::fromArguments({}, m_dir.path());
    EXPECT_EQ(none.mode(), OpenRequest::Mode::Nothing);
    EXPECT_TRUE(none.message().isEmpty());
    EXPECT_TRUE(none.listName().isEmpty());
}

TEST_F(OpenRequestTest, AListOfSeveralFoldersIsNamedAfterItsFirstFile)
{
    const QString first = file(u"unit1/dialogue.part1.wav"_s, wav);
    const QString second = file(u"unit2/dialogue.wav"_s, wav);
    const OpenRequest request = OpenRequest::fromArguments({ first, second }, m_dir.path());
    EXPECT_EQ(request.listName(), u"dialogue 等 2 个文件"_s);
    EXPECT_FALSE(request.listName().contains(u'/'));
}

TEST_F(OpenRequestTest, OneMessageNamesEveryRefusedFileUpToTen)
{
    const QString gone = m_dir.filePath(u"gone.mp3"_s);
    EXPECT_EQ(OpenRequest::fromArguments({ gone }, m_dir.path()).message(),
        u"无法打开“%1”：文件不存在。"_s.arg(QDir::toNativeSeparators(gone)));

    QStringList many;
    for (int i = 1; i <= 12; ++i)
        many.append(u"gone%1.mp3"_s.arg(i));
    const QStringList lines = OpenRequest::fromArguments(many, m_dir.path()).message().split(u'\n');
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines.first(), u"下列 12 个文件无法打开："_s);
    EXPECT_EQ(lines[1],
        u"%1（文件不存在）"_s.arg(QDir::toNativeSeparators(m_dir.filePath(u"gone1.mp3"_s))));
    EXPECT_EQ(lines.last(), u"……另有 2 个文件。"_s);
}

TEST_F(OpenRequestTest, ADragMayDropWhenItCarriesALocalFile)
{
    EXPECT_FALSE(OpenRequest::mayDrop({}));
    EXPECT_FALSE(OpenRequest::mayDrop({ QUrl(u"https://example.org/a.mp3"_s) }));
    EXPECT_TRUE(OpenRequest::mayDrop(
        { QUrl(u"https://example.org/a.mp3"_s), QUrl::fromLocalFile(u"/tmp/a.mp3"_s) }));
}

} // namespace
} // namespace ecolvar
