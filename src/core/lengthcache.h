#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QList>
#include <QString>

#include <optional>

namespace ecolvar {

// What tells one version of a file from another: its size and modification time.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedMs = 0;

    static FileStamp of(const QString& path)
    {
        const QFileInfo info(path);
        return { info.size(), info.lastModified().toMSecsSinceEpoch() };
    }
};

// One measured file, as a cache stores it.
struct LengthRecord {
    QString path;
    FileStamp stamp;
    int lengthMs = 0;
    QByteArray seekIndex;
};

// Lengths of audio files measured before, keyed by the file's path, size and modification time,
// so that a file is measured once; with the length, the seek index that measuring an MP3 without
// a usable header made. A cache: when it cannot be read or written, files are measured again.
class LengthCache {
public:
    virtual ~LengthCache() = default;
    virtual std::optional<int> find(const QString& path, qint64 size, qint64 modifiedMs) = 0;
    // The seek index stored with the length; empty when there is none.
    virtual QByteArray findSeekIndex(const QString& path, qint64 size, qint64 modifiedMs) = 0;
    virtual void store(const QString& path, qint64 size, qint64 modifiedMs, int lengthMs,
        const QByteArray& seekIndex = {})
        = 0;
    // Stores many at once (a store that writes to disk does it in one go).
    virtual void storeAll(const QList<LengthRecord>& records)
    {
        for (const LengthRecord& record : records)
            store(record.path, record.stamp.size, record.stamp.modifiedMs, record.lengthMs,
                record.seekIndex);
    }
};

} // namespace ecolvar
