#include "generatedspeech.h"

#include <QFile>

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

namespace ecolvar::test {

GeneratedSpeech writeGeneratedSpeech(const QString& path, const SpeechRecipe& recipe)
{
    std::mt19937 rng(recipe.seed);
    std::uniform_int_distribution<int> gapMs(recipe.minGapMs, recipe.maxGapMs);
    std::uniform_int_distribution<int> sentenceMs(recipe.minSentenceMs, recipe.maxSentenceMs);
    std::uniform_real_distribution<double> syllableHz(3.0, 6.0);
    std::normal_distribution<double> gauss(0.0, 1.0);
    const double rate = recipe.sampleRate;
    auto samplesOf = [&](int ms) { return size_t(double(ms) * rate / 1000.0); };

    // Envelope of the speech: 0 in gaps, a syllable rhythm with dips between words in bursts.
    std::vector<float> envelope(samplesOf(recipe.leadInMs), 0.0f);
    GeneratedSpeech result;
    for (int s = 0; s < recipe.sentences; ++s) {
        if (s > 0) {
            envelope.resize(envelope.size() + samplesOf(gapMs(rng)), 0.0f);
            result.boundariesMs.append(int(double(envelope.size()) * 1000.0 / rate));
        }
        const size_t length = samplesOf(sentenceMs(rng));
        const double hz = syllableHz(rng);
        const size_t ramp = samplesOf(20);
        // A word gap of 60-120 ms in every 700 ms or so.
        std::uniform_int_distribution<size_t> wordGap(samplesOf(60), samplesOf(120));
        size_t nextGap = samplesOf(700);
        for (size_t i = 0; i < length; ++i) {
            double e = 0.4 + 0.6 * std::abs(std::sin(std::numbers::pi * hz * double(i) / rate));
            e *= std::min({ 1.0, double(i) / double(ramp), double(length - i) / double(ramp) });
            if (i == nextGap && i + samplesOf(400) < length) {
                const size_t gap = wordGap(rng);
                for (size_t k = 0; k < gap; ++k)
                    envelope.push_back(0.02f);
                i += gap;
                nextGap += samplesOf(700);
            }
            envelope.push_back(float(e));
        }
    }
    envelope.resize(envelope.size() + samplesOf(recipe.leadInMs), 0.0f);

    // Speech: low-passed noise under the envelope, scaled to the wanted mean power over the
    // bursts; background: white noise the given dB below it.
    std::vector<float> speech(envelope.size());
    double lowPass = 0;
    double power = 0;
    size_t voiced = 0;
    for (size_t i = 0; i < speech.size(); ++i) {
        lowPass += 0.3 * (gauss(rng) - lowPass);
        speech[i] = float(lowPass * envelope[i]);
        if (envelope[i] > 0.1f) {
            power += double(speech[i]) * speech[i];
            ++voiced;
        }
    }
    const double speechGain = std::pow(10.0, recipe.speechDb / 20.0)
        / std::sqrt(power / double(std::max<size_t>(1, voiced)));
    const double noiseGain = std::pow(10.0, (recipe.speechDb - recipe.noiseBelowSpeechDb) / 20.0);
    for (float& v : speech)
        v = float(std::clamp(v * speechGain + noiseGain * gauss(rng), -1.0, 1.0));

    SF_INFO info {};
    info.samplerate = recipe.sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error(sf_strerror(nullptr));
    const auto written = sf_writef_float(file, speech.data(), sf_count_t(speech.size()));
    sf_close(file);
    if (written != sf_count_t(speech.size()))
        throw std::runtime_error("short write");
    result.lengthMs = int(double(speech.size()) * 1000.0 / rate);
    return result;
}

int boundariesFound(const QList<int>& truthMs, const QList<int>& marksMs, int toleranceMs)
{
    QList<bool> used(marksMs.size(), false);
    int found = 0;
    for (int truth : truthMs) {
        for (qsizetype i = 0; i < marksMs.size(); ++i) {
            if (!used[i] && std::abs(marksMs[i] - truth) <= toleranceMs) {
                used[i] = true;
                ++found;
                break;
            }
        }
    }
    return found;
}

} // namespace ecolvar::test
