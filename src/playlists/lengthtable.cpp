#include "lengthtable.h"

#include "playlists/playlistdatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace ecolvar {

LengthTable::LengthTable(PlaylistDatabase& database) : m_database(database) { }

bool LengthTable::ready()
{
    if (!m_database.isOpen())
        return false;
    if (!m_created) {
        QSqlQuery query(m_database.connection());
        m_created
            = query.exec(u"CREATE TABLE IF NOT EXISTS MediaLengths (FilePath TEXT PRIMARY KEY, "
                         "FileSize INTEGER, ModTime INTEGER, LengthMs INTEGER, SeekIndex BLOB)"_s);
        // A table made by an earlier version has no seek index yet.
        bool hasIndex = false;
        if (m_created && query.exec(u"PRAGMA table_info(MediaLengths)"_s)) {
            while (query.next())
                hasIndex = hasIndex || query.value(1).toString() == u"SeekIndex"_s;
        }
        if (m_created && !hasIndex)
            m_created = query.exec(u"ALTER TABLE MediaLengths ADD COLUMN SeekIndex BLOB"_s);
    }
    return m_created;
}

std::optional<int> LengthTable::find(const QString& path, qint64 size, qint64 modifiedMs)
{
    if (!ready())
        return std::nullopt;
    QSqlQuery query(m_database.connection());
    query.prepare(u"SELECT LengthMs FROM MediaLengths WHERE FilePath = ? AND FileSize = ? "
                  "AND ModTime = ?"_s);
    query.addBindValue(path);
    query.addBindValue(size);
    query.addBindValue(modifiedMs);
    if (!query.exec() || !query.next())
        return std::nullopt;
    bool ok = false;
    const int length = query.value(0).toInt(&ok);
    if (!ok || length <= 0)
        return std::nullopt;
    return length;
}

QByteArray LengthTable::findSeekIndex(const QString& path, qint64 size, qint64 modifiedMs)
{
    if (!ready())
        return {};
    QSqlQuery query(m_database.connection());
    query.prepare(u"SELECT SeekIndex FROM MediaLengths WHERE FilePath = ? AND FileSize = ? "
                  "AND ModTime = ?"_s);
    query.addBindValue(path);
    query.addBindValue(size);
    query.addBindValue(modifiedMs);
    if (!query.exec() || !query.next())
        return {};
    return query.value(0).toByteArray();
}

void LengthTable::store(
    const QString& path, qint64 size, qint64 modifiedMs, int lengthMs, const QByteArray& seekIndex)
{
    storeAll({ LengthRecord { path, { size, modifiedMs }, lengthMs, seekIndex } });
}

void LengthTable::storeAll(const QList<LengthRecord>& records)
{
    if (records.isEmpty() || !ready())
        return;
    QSqlDatabase db = m_database.connection();
    const bool batch = db.transaction();
    QSqlQuery query(db);
    query.prepare(u"INSERT OR REPLACE INTO MediaLengths (FilePath, FileSize, ModTime, LengthMs, "
                  "SeekIndex) VALUES (?, ?, ?, ?, ?)"_s);
    for (const LengthRecord& record : records) {
        query.addBindValue(record.path);
        query.addBindValue(record.stamp.size);
        query.addBindValue(record.stamp.modifiedMs);
        query.addBindValue(record.lengthMs);
        // A null value, not an empty blob, when there is no index.
        query.addBindValue(record.seekIndex.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>())
                                                      : QVariant(record.seekIndex));
        query.exec();
    }
    if (batch && !db.commit())
        db.rollback();
}

} // namespace ecolvar
