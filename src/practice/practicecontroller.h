#pragma once

#include "sentencedrill.h"
#include "sentencefinder.h"

#include <QObject>

#include <optional>

namespace ecolvar {

class MediaDevice;
class PracticeStore;
struct ResumePoint;

// What the practice commands show in the window; the track bar and the status line implement it.
class PracticeView {
public:
    virtual ~PracticeView() = default;
    // Sentence starts in milliseconds of the file, shown as ticks on the track bar; empty: none.
    virtual void showSentenceTicks(const QList<int>& startsMs) = 0;
    // The drill's status, empty when no drill runs.
    virtual void showDrillStatus(const QString& text) = 0;
    // A message on the status line: the progress of an analysis, a lyrics file that was unusable;
    // empty clears it.
    virtual void showPracticeMessage(const QString& text) = 0;
};

// The practice commands of the window: the sentence marks of the file being played (single-file
// mode only), previous/next/repeat sentence, the drill, and the resume points of documents.
// Positions are milliseconds of the file. The window owns it and calls tick() with its timer; it
// does not own the device, the store or the view.
class PracticeController : public QObject {
    Q_OBJECT
public:
    // store may be null (no database): then nothing is cached or resumed.
    PracticeController(
        MediaDevice& player, PracticeStore* store, PracticeView& view, QObject* parent = nullptr);

    // A document was opened: audioPath is the file of a single-file document, empty for a
    // playlist. Stops a drill, starts finding the file's marks, and returns where the learner
    // left the document, if known.
    std::optional<ResumePoint> documentOpened(
        const QString& docName, const QString& audioPath, int lengthMs);
    // Remembers where the learner leaves the document. Throws EcolvarError when it cannot.
    void documentLeft(const QString& docName, qint64 positionMs, double speed);

    // The marks of the current file; empty until they are found.
    const SentenceMarks& marks() const { return m_marks; }
    // The start of the sentence before / after the one holding positionMs, if there is one
    // (before the first sentence, the next one is the first).
    std::optional<int> previousSentenceStart(int positionMs) const;
    std::optional<int> nextSentenceStart(int positionMs) const;
    // The sentence holding positionMs (for a repeat segment).
    std::optional<Sentence> sentenceAt(int positionMs) const;

    // Starts the drill at the sentence holding positionMs, or stops the running drill.
    void toggleDrill(int positionMs);
    // Moves a running drill to the previous or next sentence; false when no drill runs.
    bool stepDrill(int delta);
    SentenceDrill& drill() { return m_drill; }
    // Lets the drill see the time (milliseconds of a steady clock).
    void tick(qint64 nowMs);

private:
    void marksFound(const QString& path, const SentenceMarks& marks, const QString& note);
    void showDrillStatus();

    PracticeStore* m_store;
    PracticeView& m_view;
    SentenceFinder m_finder;
    SentenceDrill m_drill;
    QString m_audioPath;
    SentenceMarks m_marks;
};

} // namespace ecolvar
