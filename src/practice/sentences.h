#pragma once

#include <QList>
#include <QString>

namespace ecolvar {

// One sentence of an audio file: from startMs up to (not including) endMs, in milliseconds of
// the file. text is the line of a lyrics or subtitle file, empty for a sentence found from pauses.
struct Sentence {
    int startMs = 0;
    int endMs = 0;
    QString text;

    friend bool operator==(const Sentence&, const Sentence&) = default;
};

enum class SentenceSource { Lrc, Srt, Pauses };

// The sentence marks of one audio file, in order of time, each sentence ending where the next
// begins and the last at lengthMs.
struct SentenceMarks {
    SentenceSource source = SentenceSource::Pauses;
    int lengthMs = 0;
    QList<Sentence> sentences;

    // The index of the sentence that holds ms: the last one starting at or before it, 0 before
    // the first; -1 when there is none.
    int indexAt(int ms) const;
    // The start of every sentence.
    QList<int> starts() const;
};

// "lrc", "srt" or "pauses".
QString sourceName(SentenceSource source);

// Turns (start, text) pairs into sentences of a file of lengthMs milliseconds (0: unknown): sorts
// them by start (stable, so lines stamped alike keep their order), drops starts below 0 or at or
// past the end, keeps the first of starts that are equal, and ends each sentence at the next
// start (the last at lengthMs, or at its own start when the length is unknown).
QList<Sentence> sentencesFromStarts(QList<Sentence> starts, int lengthMs);

// The marks as the JSON object {"source", "lengthMs", "sentences": [{"startMs", "endMs", "text"}]}.
QByteArray marksToJson(const SentenceMarks& marks);
// The marks as a subtitle file in UTF-8: numbered cues "hh:mm:ss,mmm --> hh:mm:ss,mmm" with the
// sentence's text (an empty text stays an empty cue line), lines ended by CR LF.
QByteArray marksToSrt(const SentenceMarks& marks);

} // namespace ecolvar
