#pragma once

#include "sentencedrill.h"
#include "sentencefinder.h"

#include <QObject>

#include <optional>

namespace ecolvar {

class PracticeStore;
struct ResumePoint;

// What the practice commands show in the window; the track bar and the status line implement it.
class PracticeView {
public:
    virtual ~PracticeView() = default;
    // Sentence starts in milliseconds of the timeline, shown as ticks on the track bar; empty:
    // none.
    virtual void showSentenceTicks(const QList<int>& startsMs) = 0;
    // The drill's status, empty when no drill runs.
    virtual void showDrillStatus(const QString& text) = 0;
    // A message on the status line: the progress of an analysis, a lyrics file that was unusable,
    // why a sentence command cannot work; empty clears it.
    virtual void showPracticeMessage(const QString& text) = 0;
    // The sentence being heard: its line of the lyrics, or "第 n/m 句"; empty when there is none.
    virtual void showCurrentSentence(const QString& text) = 0;
};

// One file of a document's timeline, in milliseconds.
struct TimelineFile {
    QString path;
    qint64 startMs = 0;
    qint64 lengthMs = 0;
};

// The practice commands of the window: the sentence marks of the document's files on its one
// timeline, previous/next/repeat sentence, the drill, the sentence being heard, and the resume
// points of documents. Positions are milliseconds of the timeline. The marks of the files are
// found one file after the other, without blocking the window. The window owns it and calls
// tick() with its timer; it does not own the pass player, the store or the view.
class PracticeController : public QObject {
    Q_OBJECT
public:
    // store may be null (no database): then nothing is cached or resumed.
    PracticeController(
        PassPlayer& passes, PracticeStore* store, PracticeView& view, QObject* parent = nullptr);

    // A document was opened with these files (one for a single file). Stops a drill, starts
    // finding the marks of the files, and returns where the learner left the document, if known.
    std::optional<ResumePoint> documentOpened(
        const QString& docName, const QList<TimelineFile>& files);
    // A document is being loaded: the marks of the one before are gone, and no drill runs.
    void documentClosed();
    // Remembers where the learner leaves the document. Throws EcolvarError when it cannot.
    void documentLeft(const QString& docName, qint64 positionMs, double speed);

    // The marks found so far, on the timeline.
    const SentenceMarks& marks() const { return m_marks; }
    // The index in marks() of the sentence holding positionMs: the last one of its file starting
    // at or before it, the file's first before that; -1 when its file has no marks (yet).
    int sentenceIndexAt(qint64 positionMs) const;
    // Why no sentence holds positionMs, for the status line; empty when one does.
    QString noSentenceReason(qint64 positionMs) const;
    // The start of the sentence before / after the one holding positionMs, if there is one
    // (before the first sentence of a file, the next one is that first).
    std::optional<qint64> previousSentenceStart(qint64 positionMs) const;
    std::optional<qint64> nextSentenceStart(qint64 positionMs) const;
    // The sentence holding positionMs (for a repeat segment).
    std::optional<Sentence> sentenceAt(qint64 positionMs) const;
    // The position is at ms: the view shows the sentence being heard.
    void showSentenceAt(qint64 ms);
    // A message on the status line.
    void showMessage(const QString& text) { m_view.showPracticeMessage(text); }

    // Starts the drill at the sentence holding positionMs, or stops the running drill.
    void toggleDrill(qint64 positionMs);
    // Moves a running drill to the previous or next sentence; false when no drill runs.
    bool stepDrill(int delta);
    SentenceDrill& drill() { return m_drill; }
    // Lets the drill see the time (milliseconds of a steady clock).
    void tick(qint64 nowMs);

private:
    enum class FileState { Waiting, Found, Failed };
    struct FileMarks {
        TimelineFile file;
        FileState state = FileState::Waiting;
        // The file's sentences in marks(): the first's index and how many.
        int firstIndex = 0;
        int count = 0;
    };

    // Asks the finder for the marks of the next file waiting, and on while it answers at once.
    void findNext();
    void marksFound(const QString& path, const SentenceMarks& marks, const QString& note);
    void findingFailed(const QString& path, const QString& error);
    const FileMarks* fileAt(qint64 positionMs) const;
    void showDrillStatus();

    PracticeStore* m_store;
    PracticeView& m_view;
    SentenceFinder m_finder;
    SentenceDrill m_drill;
    QList<FileMarks> m_files;
    // The file whose marks the finder is asked for, or the next one to ask for.
    qsizetype m_next = 0;
    bool m_asking = false;
    bool m_inFindNext = false;
    SentenceMarks m_marks;
    QString m_currentSentence;
};

} // namespace ecolvar
