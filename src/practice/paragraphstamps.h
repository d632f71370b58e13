#pragma once

#include "sentences.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace ecolvar {

// Time stamps at the start of transcript paragraphs, as in a lyrics file: "[mm:ss.xx]" (one to
// three digits after the point, or none), kept as plain text in the transcript.

// The stamp at the very start of paragraph, in milliseconds, and how many characters it takes.
struct ParagraphStamp {
    qint64 ms = 0;
    qsizetype length = 0;
};
std::optional<ParagraphStamp> paragraphStamp(QStringView paragraph);

// "[mm:ss.xx]", minutes of any count.
QString stampText(qint64 ms);

// Sentences as stamped paragraphs "[mm:ss.xx] text", each start moved by offsetMs.
QStringList stampedParagraphs(const QList<Sentence>& sentences, qint64 offsetMs);

// Reads a lyrics (.lrc) or subtitle (.srt, by its suffix) file for an audio of lengthMs (0:
// unknown) into its sentences; an error text for the learner when it cannot.
struct ImportedLyrics {
    QList<Sentence> sentences;
    QString error;
};
ImportedLyrics readLyricsFile(const QString& path, int lengthMs);

// The stamped paragraphs of a transcript, to find the one being heard.
class ParagraphStamps {
public:
    // The stamp of each paragraph in order; nothing for a paragraph without one.
    void setStamps(const QList<std::optional<qint64>>& stamps);
    // The paragraph heard at ms: the one with the latest stamp at or before it (the first of
    // several alike); -1 before every stamp or without stamps.
    int paragraphAt(qint64 ms) const;
    bool isEmpty() const { return m_sorted.isEmpty(); }

private:
    // (stamp, paragraph) by stamp, paragraphs in order among equal stamps.
    QList<std::pair<qint64, int>> m_sorted;
};

} // namespace ecolvar
