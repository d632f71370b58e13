#pragma once

#include "pausedetector.h"
#include "sentences.h"

#include <QFutureWatcher>
#include <QObject>

#include <optional>

namespace ecolvar {

class PracticeStore;

// The marks read from the lyrics (.lrc) or subtitle (.srt) file beside an audio file.
struct LyricsMarks {
    // The marks of the first usable file, lyrics before subtitles.
    std::optional<SentenceMarks> marks;
    // The file that was there but could not be read or held no stamp (when none was usable).
    QString unusableFile;
};

// Looks for <base name>.lrc, then <base name>.srt, in the audio file's folder (suffix in lower
// or upper case) and reads the first usable one for an audio file of lengthMs (0: unknown).
LyricsMarks marksFromLyricsFiles(const QString& audioPath, int lengthMs);

// Sentences from the pauses of measured levels (text empty).
SentenceMarks marksFromLevels(const AudioLevels& levels, const PauseSettings& settings = {});
SentenceMarks marksFromStarts(const QList<int>& starts, int lengthMs);

// The text shown once on the status line when a lyrics or subtitle file was unusable.
QString unusableLyricsText(const QString& file);

// Finds the marks of the file being played without blocking the window: the lyrics or subtitle
// file when there is a usable one, else the marks cached for the file's path, size and
// modification time, else an analysis of its pauses on the thread pool, whose result is cached.
// Only the last request counts: a new one abandons the one before. Lives in the window's thread;
// the store (optional) is used only from that thread.
class SentenceFinder : public QObject {
    Q_OBJECT
public:
    explicit SentenceFinder(PracticeStore* store, QObject* parent = nullptr);
    ~SentenceFinder() override;

    // Starts finding the marks of audioPath, lengthMs long (0: unknown, then read from the file's
    // header). Emits marksFound,
    // at once when they need no analysis.
    void find(const QString& audioPath, int lengthMs);
    // Abandons the current request.
    void cancel();
    bool isBusy() const { return m_watcher.isRunning(); }

Q_SIGNALS:
    // The marks of path; note is empty or the text to show once on the status line.
    void marksFound(const QString& path, const ecolvar::SentenceMarks& marks, const QString& note);
    // The share of the analysis done, 0 to 100.
    void progressChanged(int percent);
    // The file could not be decoded; error is the decoder's text.
    void failed(const QString& path, const QString& error);

private:
    // The outcome of one analysis: the levels, or the decoder's error.
    struct Analysis {
        AudioLevels levels;
        QString error;
    };

    void analysisFinished();

    PracticeStore* m_store;
    QFutureWatcher<Analysis> m_watcher;
    QString m_path;
    QString m_note;
    qint64 m_size = 0;
    qint64 m_modifiedMs = 0;
};

} // namespace ecolvar
