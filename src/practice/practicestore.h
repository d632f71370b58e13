#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace ecolvar {

class PlaylistDatabase;

// Where the learner left a document: the position in milliseconds of its timeline and the speed
// (1.0 = normal).
struct ResumePoint {
    qint64 positionMs = 0;
    double speed = 1.0;

    friend bool operator==(const ResumePoint&, const ResumePoint&) = default;
};

// The sentence starts found from the pauses of one audio file, as analysed.
struct CachedPauseMarks {
    int lengthMs = 0;
    QList<int> starts;
};

// The practice tables of the program's database, beside the playlists (which it never touches):
// resume points per document name (names compare ignoring ASCII case, like playlist names) and
// the cache of sentence marks found from pauses, keyed by the audio file's full path, size and
// modification time. The tables are created when missing. Every operation throws EcolvarError
// when the database is not open or a statement fails.
class PracticeStore {
public:
    explicit PracticeStore(PlaylistDatabase& database);

    std::optional<ResumePoint> resumePoint(const QString& docName) const;
    void setResumePoint(const QString& docName, const ResumePoint& point);

    // The number of passes and the pause (per cent) of the drill as last set, if ever.
    std::optional<std::pair<int, int>> drillSettings() const;
    void setDrillSettings(int passes, int pausePercent);

    // The marks stored for path, when its size and modification time are still those stored.
    std::optional<CachedPauseMarks> cachedMarks(
        const QString& path, qint64 size, qint64 modifiedMs) const;
    // Stores the marks of path, replacing those stored before.
    void storeMarks(
        const QString& path, qint64 size, qint64 modifiedMs, const CachedPauseMarks& marks);

private:
    void createTables();

    PlaylistDatabase& m_database;
};

} // namespace ecolvar
