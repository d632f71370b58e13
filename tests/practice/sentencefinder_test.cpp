#include "practice/sentencefinder.h"

#include "generatedspeech.h"
#include "playlists/playlistdatabase.h"
#include "practice/practicestore.h"
#include "testutil.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

class SentenceFinderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    PlaylistDatabase database { PlaylistDatabase::inMemory() };
    PracticeStore store { database };
    SentenceFinder finder { &store };
    QSignalSpy found { &finder, &SentenceFinder::marksFound };
    QSignalSpy progress { &finder, &SentenceFinder::progressChanged };
    QSignalSpy failed { &finder, &SentenceFinder::failed };

    SentenceMarks foundMarks(int i) const { return found.at(i).at(1).value<SentenceMarks>(); }
};

} // namespace

TEST_F(SentenceFinderTest, AnalysesInTheBackgroundOnceThenUsesTheCache)
{
    const QString audio = dir.filePath(u"talk.wav"_s);
    test::SpeechRecipe recipe;
    recipe.sentences = 40;
    const auto truth = test::writeGeneratedSpeech(audio, recipe);

    finder.find(audio, truth.lengthMs);
    EXPECT_TRUE(finder.isBusy());
    EXPECT_TRUE(found.isEmpty()); // the result arrives through the event loop
    ASSERT_TRUE(found.wait(60000));
    EXPECT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last().at(0).toInt(), 100);
    const SentenceMarks first = foundMarks(0);
    EXPECT_EQ(first.source, SentenceSource::Pauses);
    EXPECT_EQ(first.sentences.size(), recipe.sentences);
    EXPECT_EQ(found.at(0).at(2).toString(), QString());

    // Found again at once, from the cache.
    finder.find(audio, truth.lengthMs);
    EXPECT_FALSE(finder.isBusy());
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(foundMarks(1).sentences, first.sentences);
}

TEST_F(SentenceFinderTest, AnUnusableLyricsFileFallsBackToPausesAndSaysSoUnchanged)
{
    const QString audio = dir.filePath(u"talk.wav"_s);
    test::writeGeneratedSpeech(audio, {});
    const QString lrc = dir.filePath(u"talk.lrc"_s);
    test::writeFile(lrc, "[ti:no stamps]\n");

    finder.find(audio, 0);
    ASSERT_TRUE(found.wait(60000));
    EXPECT_EQ(foundMarks(0).source, SentenceSource::Pauses);
    EXPECT_EQ(found.at(0).at(2).toString(), unusableLyricsText(lrc));
    EXPECT_EQ(test::readFile(lrc), "[ti:no stamps]\n");

    // A usable lyrics file needs no analysis.
    test::writeFile(lrc, "[00:00.50]one\n[00:02.00]two\n");
    finder.find(audio, 5000);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(foundMarks(1).sentences,
        (QList<Sentence> { { 500, 2000, u"one"_s }, { 2000, 5000, u"two"_s } }));
}

TEST_F(SentenceFinderTest, AnUnreadableFileFailsAndANewRequestReplacesTheRunningOne)
{
    const QString broken = dir.filePath(u"broken.mp3"_s);
    test::writeFile(broken, "not audio at all");
    finder.find(broken, 0);
    ASSERT_TRUE(failed.wait(60000));
    EXPECT_EQ(failed.at(0).at(0).toString(), broken);
    EXPECT_FALSE(failed.at(0).at(1).toString().isEmpty());

    const QString a = dir.filePath(u"a.wav"_s);
    const QString b = dir.filePath(u"b.wav"_s);
    test::SpeechRecipe recipe;
    recipe.sentences = 60;
    test::writeGeneratedSpeech(a, recipe);
    recipe.sentences = 5;
    test::writeGeneratedSpeech(b, recipe);
    finder.find(a, 0);
    finder.find(b, 0);
    ASSERT_TRUE(found.wait(60000));
    QTest::qWait(200);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.at(0).at(0).toString(), b);
    EXPECT_EQ(foundMarks(0).sentences.size(), 5);
}
