#include "pausedetector.h"

#include "player/audiodecoder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

float percentile(std::vector<float> values, double fraction)
{
    const auto k = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    std::nth_element(values.begin(), values.begin() + qsizetype(k), values.end());
    return values[k];
}

} // namespace

QList<int> findPauseStarts(
    const std::vector<float>& levelsDb, int lengthMs, const PauseSettings& settings)
{
    if (levelsDb.empty())
        return {};
    const float floorDb = percentile(levelsDb, 0.10);
    const float speechDb = percentile(levelsDb, 0.90);
    if (speechDb - floorDb < settings.minDynamicRangeDb)
        return { 0 };
    const double threshold = floorDb + settings.thresholdFraction * (speechDb - floorDb);
    const int frameMs = settings.frameMs;
    const auto minFrames = size_t((settings.minPauseMs + frameMs - 1) / frameMs);

    // Every pause followed by speech gives a mark just before the speech.
    QList<int> marks { 0 };
    size_t i = 0;
    while (i < levelsDb.size()) {
        if (levelsDb[i] >= threshold) {
            ++i;
            continue;
        }
        const size_t begin = i;
        while (i < levelsDb.size() && levelsDb[i] < threshold)
            ++i;
        if (i - begin < minFrames || i == levelsDb.size())
            continue;
        const int mark = std::max(int(begin) * frameMs, int(i) * frameMs - settings.leadMs);
        if (begin == 0)
            marks[0] = mark;
        else
            marks.append(mark);
    }

    // Very short sentences merge with the next one; a short last one with the one before.
    QList<int> kept { marks.first() };
    for (qsizetype k = 1; k < marks.size(); ++k) {
        if (marks[k] - kept.last() >= settings.minSentenceMs)
            kept.append(marks[k]);
    }
    if (kept.size() > 1 && lengthMs - kept.last() < settings.minSentenceMs)
        kept.removeLast();
    return kept;
}

std::optional<AudioLevels> measureAudioLevels(
    const QString& path, int frameMs, const ProgressCallback& progress)
{
    // The decoder the player plays with: the marks fall on the samples that are heard.
    const std::unique_ptr<AudioDecoder> decoder = AudioDecoder::open(path);
    const auto channels = size_t(decoder->channels());
    const qint64 rate = decoder->sampleRate();
    const qint64 frames = decoder->frames();
    // Frame k ends at sample (k + 1) * rate * frameMs / 1000, so that frames stay frameMs long
    // on average at any rate (22050 Hz has no whole number of samples in 10 ms).
    const auto frameEnd = [&](qint64 k) { return (k + 1) * rate * frameMs / 1000; };
    constexpr qint64 chunkFrames = 16384;
    std::vector<qint16> buffer(size_t(chunkFrames) * channels);

    AudioLevels result;
    result.levelsDb.reserve(size_t(frames * 1000 / rate / frameMs + 1));
    double sum = 0;
    qint64 inFrame = 0;
    qint64 decoded = 0;
    qint64 nextFrameEnd = frameEnd(0);
    int lastPercent = -1;
    const double scale = 1.0 / (double(channels * channels) * 32768.0 * 32768.0);
    auto closeFrame = [&] {
        const double power = sum * scale / double(inFrame);
        result.levelsDb.push_back(float(10.0 * std::log10(power + 1e-12)));
        sum = 0;
        inFrame = 0;
    };
    for (;;) {
        const qint64 got = decoder->readFrames(buffer.data(), chunkFrames);
        if (got <= 0)
            break;
        const qint16* p = buffer.data();
        for (qint64 f = 0; f < got; ++f, p += channels) {
            double mono = 0; // the channels' sum; scale divides by their number
            for (size_t c = 0; c < channels; ++c)
                mono += p[c];
            sum += mono * mono;
            ++inFrame;
            if (decoded + f + 1 == nextFrameEnd) {
                closeFrame();
                nextFrameEnd = frameEnd(qint64(result.levelsDb.size()));
            }
        }
        decoded += got;
        if (progress) {
            const int percent = int(std::min<qint64>(99, decoded * 100 / frames));
            if (percent != lastPercent) {
                lastPercent = percent;
                if (!progress(percent))
                    return std::nullopt;
            }
        }
    }
    if (inFrame > 0)
        closeFrame();
    result.lengthMs = int(std::min<qint64>(std::numeric_limits<int>::max(), decoded * 1000 / rate));
    if (progress && !progress(100))
        return std::nullopt;
    return result;
}

} // namespace ecolvar
