#include "practice/pausedetector.h"
#include "practice/sentencefinder.h"

#include "core/ecolvarerror.h"
#include "generatedspeech.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

struct Case {
    const char* name;
    double speechDb;
    double noiseBelowSpeechDb;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class PauseDetection : public ::testing::TestWithParam<Case> { };

} // namespace

// The same sentences loud and quiet, over faint and over audible background noise: the
// thresholds come from the recording, so every gap of 200 ms or more is found and no dip
// between words splits a sentence.
TEST_P(PauseDetection, FindsTheGapsBetweenSentencesAtAnyLoudness)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"speech.wav"_s);
    test::SpeechRecipe recipe;
    recipe.seed = 7;
    // No whole number of samples in a 10 ms frame, and long enough for a drift to show.
    recipe.sampleRate = 11025;
    recipe.sentences = 40;
    recipe.speechDb = GetParam().speechDb;
    recipe.noiseBelowSpeechDb = GetParam().noiseBelowSpeechDb;
    const test::GeneratedSpeech truth = test::writeGeneratedSpeech(path, recipe);

    const auto levels = measureAudioLevels(path);
    ASSERT_TRUE(levels);
    EXPECT_NEAR(levels->lengthMs, truth.lengthMs, 1);
    const SentenceMarks marks = marksFromLevels(*levels);
    ASSERT_FALSE(marks.sentences.isEmpty());
    // The lead-in silence is skipped: the first sentence starts just before the speech.
    EXPECT_NEAR(marks.sentences.first().startMs, recipe.leadInMs, 100);
    EXPECT_EQ(marks.sentences.last().endMs, levels->lengthMs);

    const QList<int> found = marks.starts().mid(1);
    EXPECT_EQ(test::boundariesFound(truth.boundariesMs, found, 100), truth.boundariesMs.size());
    EXPECT_EQ(found.size(), truth.boundariesMs.size());
}

INSTANTIATE_TEST_SUITE_P(Levels, PauseDetection,
    ::testing::Values(Case { "LoudFaintNoise", -12, 45 }, Case { "LoudAudibleNoise", -12, 30 },
        Case { "QuietFaintNoise", -38, 45 }, Case { "QuietAudibleNoise", -38, 30 }),
    [](const auto& p) { return std::string(p.param.name); });

TEST(FindPauseStarts, ShortSentencesMergeAndSteadySoundHasNoPauses)
{
    // 10 ms frames: speech at -10 dB, silence at -60 dB.
    auto levels = [](std::initializer_list<std::pair<int, float>> runs) {
        std::vector<float> out;
        for (auto [ms, db] : runs)
            out.insert(out.end(), size_t(ms / 10), db);
        return out;
    };
    // 2 s of speech, a pause, a 100 ms word, a pause, 2 s: the word joins the sentence after it;
    // each mark lies 50 ms before the speech resumes.
    EXPECT_EQ(findPauseStarts(levels({ { 2000, -10 }, { 300, -60 }, { 100, -10 }, { 300, -60 },
                                  { 2000, -10 } }),
                  4700),
        (QList<int> { 0, 2250 }));
    // A short last sentence joins the one before; a pause at the very end gives no mark.
    EXPECT_EQ(
        findPauseStarts(levels({ { 2000, -10 }, { 300, -60 }, { 100, -10 }, { 100, -60 } }), 2500),
        (QList<int> { 0 }));
    EXPECT_EQ(findPauseStarts(levels({ { 2000, -10 }, { 500, -60 } }), 2500), (QList<int> { 0 }));
    // A dip shorter than a pause splits nothing.
    EXPECT_EQ(findPauseStarts(levels({ { 2000, -10 }, { 150, -60 }, { 2000, -10 } }), 4150),
        (QList<int> { 0 }));
    EXPECT_EQ(findPauseStarts(levels({ { 5000, -20 } }), 5000), (QList<int> { 0 }));
    EXPECT_TRUE(findPauseStarts({}, 0).isEmpty());
}

TEST(MeasureAudioLevels, AnUnreadableFileThrowsAndProgressCanStopTheWork)
{
    QTemporaryDir dir;
    EXPECT_THROW(measureAudioLevels(dir.filePath(u"missing.wav"_s)), EcolvarError);

    const QString path = dir.filePath(u"speech.wav"_s);
    test::writeGeneratedSpeech(path, {});
    QList<int> seen;
    const auto levels = measureAudioLevels(path, 10, [&](int percent) {
        seen.append(percent);
        return percent < 50;
    });
    EXPECT_FALSE(levels);
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_GE(seen.last(), 50);
    EXPECT_LT(seen.last(), 100);
}
