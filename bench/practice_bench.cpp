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
#include <QProcess>
#include <QTimer>
#include <random>

#include <sndfile.h>

#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

// Spoken sentences, with commas and short words, for espeak-ng.
const char* const spoken[] = {
    "The train to the city leaves at half past seven every morning.",
    "If you want to learn a language, listen to it every day.",
    "She opened the window, looked outside, and smiled.",
    "We will meet again next week to talk about the project.",
    "My brother lives in a small house near the river.",
    "Could you tell me where the nearest post office is?",
    "After dinner, the children played in the garden until dark.",
    "It has been raining since Monday, and the roads are wet.",
    "Reading the news in English helps me a lot.",
    "The teacher asked us to repeat each sentence three times.",
    "When the music stopped, everybody started to clap.",
    "I forgot my umbrella at the office yesterday.",
    "He usually drinks a cup of tea before going to bed.",
    "The museum is closed on Tuesdays, but open on Sundays.",
    "Please write your name at the top of the page.",
    "They travelled across the country by bus and by train.",
    "Learning to cook takes time, patience, and practice.",
    "The shop on the corner sells fresh bread and cheese.",
    "Our flight was delayed for two hours because of the fog.",
    "Take the second street on the left, then go straight on.",
};

// What a recording holds: the sentence boundaries, and where speech resumes after a pause of
// 180 ms or more inside a sentence (the synthesiser's pauses at commas).
struct Truth {
    test::GeneratedSpeech sentences;
    QList<int> innerPausesMs;
};

// A recording of the spoken sentences in random order with gaps of 200-800 ms, its mean speech
// power at speechDb over white noise noiseBelowSpeechDb below it, written to path.
Truth writeSpokenRecording(const QString& dir, const QString& path, unsigned seed, double speechDb,
    double noiseBelowSpeechDb)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> gapMs(200, 800);
    std::uniform_int_distribution<int> pick(0, int(std::size(spoken)) - 1);
    std::uniform_int_distribution<int> wordsPerMinute(140, 190);
    std::normal_distribution<double> gauss(0.0, 1.0);
    int rate = 22050;
    std::vector<float> audio(size_t(rate) * 4 / 10, 0.0f); // lead-in
    Truth truth;
    double power = 0;
    size_t voiced = 0;
    for (int n = 0; n < 40; ++n) {
        const QString clip = QDir(dir).filePath(u"clip.wav"_s);
        QProcess espeak;
        espeak.start(u"espeak-ng"_s,
            { u"-s"_s, QString::number(wordsPerMinute(rng)), u"-w"_s, clip,
                QString::fromUtf8(spoken[pick(rng)]) });
        if (!espeak.waitForFinished(30000) || espeak.exitCode() != 0)
            throw std::runtime_error("espeak-ng failed");
        SF_INFO info {};
        SNDFILE* file = sf_open(QFile::encodeName(clip).constData(), SFM_READ, &info);
        if (!file || info.channels != 1)
            throw std::runtime_error("cannot read the espeak-ng clip");
        std::vector<float> samples(size_t(info.frames));
        sf_readf_float(file, samples.data(), info.frames);
        sf_close(file);
        rate = info.samplerate;
        // The synthesiser's own silence around the speech is cut, so the gap is exact.
        auto loud = [](float v) { return std::abs(v) > 1e-3f; };
        const auto first = std::find_if(samples.begin(), samples.end(), loud);
        const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
        if (n > 0) {
            audio.resize(audio.size() + size_t(gapMs(rng)) * size_t(rate) / 1000, 0.0f);
            truth.sentences.boundariesMs.append(int(double(audio.size()) * 1000.0 / rate));
        }
        size_t quiet = 0;
        for (auto it = first; it < last; ++it) {
            power += double(*it) * *it;
            ++voiced;
            if (!loud(*it)) {
                ++quiet;
            } else {
                if (quiet * 1000 >= size_t(rate) * 180) {
                    const auto at = audio.size() + size_t(it - first);
                    truth.innerPausesMs.append(int(double(at) * 1000.0 / rate));
                }
                quiet = 0;
            }
        }
        audio.insert(audio.end(), first, last);
    }
    audio.resize(audio.size() + size_t(rate) * 4 / 10, 0.0f);
    const double gain = std::pow(10.0, speechDb / 20.0) / std::sqrt(power / double(voiced));
    const double noise = std::pow(10.0, (speechDb - noiseBelowSpeechDb) / 20.0);
    for (float& v : audio)
        v = float(std::clamp(v * gain + noise * gauss(rng), -1.0, 1.0));

    SF_INFO info {};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* out = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!out)
        throw std::runtime_error("cannot write the recording");
    sf_writef_float(out, audio.data(), sf_count_t(audio.size()));
    sf_close(out);
    truth.sentences.lengthMs = int(double(audio.size()) * 1000.0 / rate);
    return truth;
}

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
    std::printf("%-9s %-32s %6s %6s %6s %6s %6s %7s %7s\n", "speech", "case", "truth", "marks",
        "hits", "inner", "false", "recall", "false%");
    bool allMet = true;
    for (const bool espeak : { false, true }) {
        for (const Case& c : cases) {
            int truthTotal = 0;
            int marksTotal = 0;
            int hitsTotal = 0;
            int innerTotal = 0;
            for (unsigned seed = 1; seed <= 5; ++seed) {
                const QString path = QDir(dir).filePath(u"accuracy.wav"_s);
                Truth truth;
                if (espeak) {
                    truth = writeSpokenRecording(dir, path, seed, c.speechDb, c.noiseBelowSpeechDb);
                } else {
                    test::SpeechRecipe recipe;
                    recipe.seed = seed;
                    recipe.sentences = 100;
                    recipe.sampleRate = 44100;
                    recipe.speechDb = c.speechDb;
                    recipe.noiseBelowSpeechDb = c.noiseBelowSpeechDb;
                    truth.sentences = test::writeGeneratedSpeech(path, recipe);
                }
                const auto levels = measureAudioLevels(path);
                const QList<int> marks = marksFromLevels(*levels).starts().mid(1);
                const QList<int>& boundaries = truth.sentences.boundariesMs;
                const int hits = test::boundariesFound(boundaries, marks, 100);
                truthTotal += int(boundaries.size());
                marksTotal += int(marks.size());
                hitsTotal += hits;
                innerTotal
                    += test::boundariesFound(boundaries + truth.innerPausesMs, marks, 100) - hits;
                QFile::remove(path);
            }
            // A mark at a pause inside a sentence is a true pause, but no sentence boundary.
            const int falseMarks = marksTotal - hitsTotal - innerTotal;
            const double recall = double(hitsTotal) / truthTotal;
            const double falseShare = marksTotal ? double(falseMarks) / marksTotal : 0.0;
            allMet = allMet && recall >= 0.95 && falseShare <= 0.05;
            std::printf("%-9s %-32s %6d %6d %6d %6d %6d %6.1f%% %6.1f%%\n",
                espeak ? "espeak-ng" : "bursts", c.name, truthTotal, marksTotal, hitsTotal,
                innerTotal, falseMarks, recall * 100, falseShare * 100);
        }
    }
    std::printf("inner: marks at a pause of 180 ms or more inside a sentence (commas)\n");
    std::printf("goal (recall >= 95 %%, false marks (not at a pause) <= 5 %%): %s\n",
        allMet ? "met" : "NOT met");
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
