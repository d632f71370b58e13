#include "generatedspeech.h"
#include "practice/lyricsfile.h"
#include "testutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

struct ToolRun {
    int status = -1;
    QJsonObject json;
    QByteArray err;
};

ToolRun runTool(const QStringList& args)
{
    QProcess process;
    process.start(QString::fromUtf8(ECOLVAR_SENTENCES_TOOL), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return { process.exitCode(), QJsonDocument::fromJson(process.readAllStandardOutput()).object(),
        process.readAllStandardError() };
}

} // namespace

TEST(SentencesTool, PrintsTheMarksWritesSubtitlesAndTellsAFallbackByItsStatus)
{
    QTemporaryDir dir;
    const QString audio = dir.filePath(u"talk.wav"_s);
    test::SpeechRecipe recipe;
    recipe.sentences = 6;
    const auto truth = test::writeGeneratedSpeech(audio, recipe);

    const QString lrc = dir.filePath(u"talk.lrc"_s);
    test::writeFile(lrc, "[ar:nobody]\n");
    const QString out = dir.filePath(u"talk-out.srt"_s);
    ToolRun run = runTool({ audio, u"--srt"_s, out });
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(lrc.toUtf8()));
    EXPECT_EQ(run.json.value(u"source"_s).toString(), u"pauses"_s);
    EXPECT_NEAR(run.json.value(u"lengthMs"_s).toInt(), truth.lengthMs, 1);
    const QJsonArray sentences = run.json.value(u"sentences"_s).toArray();
    ASSERT_EQ(sentences.size(), recipe.sentences);
    EXPECT_EQ(sentences.last().toObject().value(u"endMs"_s).toInt(), truth.lengthMs);
    EXPECT_EQ(sentences[1].toObject().value(u"text"_s).toString(), QString());
    const auto written = readSrt(test::readFile(out), truth.lengthMs);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->size(), recipe.sentences);
    EXPECT_EQ(written->at(1).startMs, sentences[1].toObject().value(u"startMs"_s).toInt());

    test::writeFile(lrc, "[00:01.00]第一句\n");
    run = runTool({ audio });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.json.value(u"source"_s).toString(), u"lrc"_s);
    EXPECT_EQ(
        run.json.value(u"sentences"_s).toArray().first().toObject().value(u"text"_s), u"第一句"_s);
}

TEST(SentencesTool, UsageErrorsAndUnreadableAudioExitWithTwoAndWriteNothing)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out.srt"_s);
    EXPECT_EQ(runTool({}).status, 2);
    EXPECT_EQ(runTool({ u"a.wav"_s, u"b.wav"_s }).status, 2);
    EXPECT_EQ(runTool({ u"a.wav"_s, u"--srt"_s }).status, 2);
    test::writeFile(dir.filePath(u"bad.wav"_s), "RIFF....garbage");
    const ToolRun run = runTool({ dir.filePath(u"bad.wav"_s), u"--srt"_s, out });
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.err.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
}
