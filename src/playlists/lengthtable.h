#pragma once

#include "core/lengthcache.h"

namespace ecolvar {

class PlaylistDatabase;

// The lengths of audio files measured before, in a table of their own in the playlist database
// (MediaLengths, created when missing), keyed by full path with the file's size and modification
// time: a file that changed is measured again. A table without the seek index column (made by an
// earlier version) gets it. Errors of the database only make files measured
// again; they are never shown.
class LengthTable : public LengthCache {
public:
    explicit LengthTable(PlaylistDatabase& database);

    std::optional<int> find(const QString& path, qint64 size, qint64 modifiedMs) override;
    QByteArray findSeekIndex(const QString& path, qint64 size, qint64 modifiedMs) override;
    void store(const QString& path, qint64 size, qint64 modifiedMs, int lengthMs,
        const QByteArray& seekIndex = {}) override;
    // In one transaction: one write to the disk for a whole course.
    void storeAll(const QList<LengthRecord>& records) override;

private:
    bool ready();

    PlaylistDatabase& m_database;
    bool m_created = false;
};

} // namespace ecolvar
