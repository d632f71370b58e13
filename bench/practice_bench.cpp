// Sentence marks from pauses: accuracy on generated recordings with known boundaries, and the
// time of finding the marks of a long MP3 against a bare decode of the same file.
//
//   bench_practice accuracy DIR           precision and recall per case (WAV files made in DIR)
//   bench_practice make WAV SECONDS       a generated recording of about SECONDS at 44.1 kHz
//   bench_practice speed MP3              analysis vs bare decode, and the longest stall of an
//                                         event loop while the analysis runs in the background

#include "generatedspeech.h"
#include "practice/pausedetector.h"
#include "practice/sentencefinder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <sndfile.h>

#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

int accuracy(const QString& dir)
{
    struct Case {
        const char* name;
        double speechDb;
        double noiseBelowSpeechDb;
    };
    const Case cases[] = {
        { "loud  (-12 dBFS), noise -45 dB", -12, 45 },
        { "loud  (-12 dBFS), noise -30 dB", -12, 30 },
        { "quiet (-38 dBFS), noise -45 dB", -38, 45 },
        { "quiet (-38 dBFS), noise -30 dB", -38, 30 },
    };
    std::printf(
        "%-32s %6s %6s %6s %9s %7s\n", "case", "truth", "marks", "hits", "precision", "recall");
    bool allMet = true;
    for (const Case& c : cases) {
        int truthTotal = 0;
        int marksTotal = 0;
        int hitsTotal = 0;
        for (unsigned seed = 1; seed <= 5; ++seed) {
            test::SpeechRecipe recipe;
            recipe.seed = seed;
            recipe.sentences = 100;
            recipe.sampleRate = 44100;
            recipe.speechDb = c.speechDb;
            recipe.noiseBelowSpeechDb = c.noiseBelowSpeechDb;
            const QString path = QDir(dir).filePath(u"accuracy.wav"_s);
            const auto truth = test::writeGeneratedSpeech(path, recipe);
            const auto levels = measureAudioLevels(path);
            const QList<int> marks = marksFromLevels(*levels).starts().mid(1);
            truthTotal += int(truth.boundariesMs.size());
            marksTotal += int(marks.size());
            hitsTotal += test::boundariesFound(truth.boundariesMs, marks, 100);
            QFile::remove(path);
        }
        const double precision = marksTotal ? double(hitsTotal) / marksTotal : 1.0;
        const double recall = double(hitsTotal) / truthTotal;
        allMet = allMet && precision >= 0.95 && recall >= 0.95;
        std::printf("%-32s %6d %6d %6d %8.1f%% %6.1f%%\n", c.name, truthTotal, marksTotal,
            hitsTotal, precision * 100, recall * 100);
    }
    std::printf("goal (recall >= 95 %%, false marks <= 5 %%): %s\n", allMet ? "met" : "NOT met");
    return allMet ? 0 : 1;
}

double bareDecodeSeconds(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return -1;
    std::vector<float> buffer(size_t(16384) * size_t(info.channels));
    while (sf_readf_float(file, buffer.data(), 16384) > 0) { }
    sf_close(file);
    return double(timer.nsecsElapsed()) / 1e9;
}

double analysisSeconds(const QString& path, qsizetype* sentences)
{
    QElapsedTimer timer;
    timer.start();
    const auto levels = measureAudioLevels(path);
    *sentences = marksFromLevels(*levels).sentences.size();
    return double(timer.nsecsElapsed()) / 1e9;
}

// The longest gap between the ticks of a 10 ms timer while the finder analyses path.
qint64 longestStallMs(const QString& path)
{
    SentenceFinder finder(nullptr);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(
        &ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart() - 10); });
    QObject::connect(&finder, &SentenceFinder::marksFound, qApp, &QCoreApplication::quit);
    QObject::connect(&finder, &SentenceFinder::failed, qApp, &QCoreApplication::quit);
    sinceTick.start();
    ticker.start();
    finder.find(path, 0);
    QCoreApplication::exec();
    return longest;
}

int speed(const QString& path)
{
    // Alternate the two, best of three each, so that both see the same cache and clock.
    double decode = 1e9;
    double analysis = 1e9;
    qsizetype sentences = 0;
    for (int round = 0; round < 3; ++round) {
        decode = std::min(decode, bareDecodeSeconds(path));
        analysis = std::min(analysis, analysisSeconds(path, &sentences));
    }
    const qint64 stall = longestStallMs(path);
    std::printf("bare decode      %7.2f s\n", decode);
    std::printf("finding marks    %7.2f s  (%.2f x decode, goal <= 1.5; %lld sentences)\n",
        analysis, analysis / decode, static_cast<long long>(sentences));
    std::printf("longest stall of the event loop during the background analysis: %lld ms "
                "(goal <= 50)\n",
        static_cast<long long>(stall));
    return analysis <= 1.5 * decode && stall <= 50 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == u"accuracy")
        return accuracy(args[2]);
    if (args.size() == 4 && args[1] == u"make") {
        test::SpeechRecipe recipe;
        recipe.sampleRate = 44100;
        // A sentence and its gap last 2.65 s on average.
        recipe.sentences = std::max(1, int(args[3].toDouble() / 2.65));
        test::writeGeneratedSpeech(args[2], recipe);
        return 0;
    }
    if (args.size() == 3 && args[1] == u"speed")
        return speed(args[2]);
    std::fputs("usage: bench_practice accuracy DIR | make WAV SECONDS | speed MP3\n", stderr);
    return 2;
}
