#pragma once

#include <QList>
#include <QString>

namespace ecolvar::test {

// A recording made of bursts of shaped noise standing for sentences (a syllable rhythm, short
// dips between words), separated by silent gaps, over steady background noise.
struct SpeechRecipe {
    unsigned seed = 1;
    int sentences = 20;
    // Mean power of the bursts in dB below full scale, and of the background below the bursts.
    double speechDb = -15;
    double noiseBelowSpeechDb = 45;
    int sampleRate = 16000;
    int minGapMs = 200;
    int maxGapMs = 800;
    int minSentenceMs = 800;
    int maxSentenceMs = 3500;
    // Silence before the first sentence and after the last.
    int leadInMs = 400;
};

struct GeneratedSpeech {
    // Where each sentence after the first begins, in milliseconds.
    QList<int> boundariesMs;
    int lengthMs = 0;
};

// Writes the recording as a 16-bit mono WAV file; returns its boundaries. Throws
// std::runtime_error when the file cannot be written.
GeneratedSpeech writeGeneratedSpeech(const QString& path, const SpeechRecipe& recipe);

// How many of the true boundaries have a mark within toleranceMs (each mark counted once).
int boundariesFound(const QList<int>& truthMs, const QList<int>& marksMs, int toleranceMs);

} // namespace ecolvar::test
