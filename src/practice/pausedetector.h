#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace ecolvar {

// How pauses split a recording into sentences. Durations in milliseconds.
struct PauseSettings {
    // Loudness is measured over frames of this length.
    int frameMs = 10;
    // A pause is a stretch this long or longer whose loudness stays below the threshold.
    int minPauseMs = 180;
    // A mark sits this long before the speech resumes (never before the pause begins).
    int leadMs = 50;
    // A sentence shorter than this merges with the one after it (the last with the one before).
    int minSentenceMs = 500;
    // The threshold lies this fraction of the way from the noise floor to the speech level (dB).
    double thresholdFraction = 0.4;
    // Below this distance (dB) between noise floor and speech level the recording has no pauses.
    double minDynamicRangeDb = 8.0;
};

// Sentence starts (milliseconds) found from the loudness of a recording: levelsDb holds the
// mean power of each frame of settings.frameMs in dB, lengthMs the recording's length. The
// noise floor and the speech level are the 10th and 90th percentiles of the frame levels, so
// quiet and loud recordings split alike. The first start is 0, or the end of a pause at the very
// beginning; empty when levelsDb is.
QList<int> findPauseStarts(
    const std::vector<float>& levelsDb, int lengthMs, const PauseSettings& settings = {});

// The frame levels of an audio file as the player decodes it, and its length.
struct AudioLevels {
    std::vector<float> levelsDb;
    int lengthMs = 0;
};

// Called during decoding with the share done (0 to 100); returning false stops the work.
using ProgressCallback = std::function<bool(int percent)>;

// Decodes the audio file at path (MP3 or WAV) and measures the level of each frame. Throws
// EcolvarError with the reason and the decoder's text when the file cannot be opened;
// nothing when progress asked to stop.
std::optional<AudioLevels> measureAudioLevels(
    const QString& path, int frameMs = 10, const ProgressCallback& progress = {});

} // namespace ecolvar
