#include "practicestore.h"

#include "core/ecolvarerror.h"
#include "playlists/playlistdatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const char16_t* const schema[] = {
    u"create table if not exists PracticeResume("
    u"DocName text primary key collate nocase, PositionMs integer, Speed real)",
    u"create table if not exists PracticeMarkCache("
    u"FilePath text primary key, FileSize integer, ModifiedMs integer, LengthMs integer, "
    u"Starts text)",
    u"create table if not exists PracticeDrill(Id integer primary key, Passes integer, "
    u"PausePercent integer)",
};

// Prepares text on the database's connection, binds values in order and runs it.
QSqlQuery run(PlaylistDatabase& database, const QString& text, const QVariantList& values = {})
{
    QSqlQuery query(database.connection());
    bool ok = query.prepare(text);
    if (ok) {
        for (const QVariant& v : values)
            query.addBindValue(v);
        ok = query.exec();
    }
    if (!ok)
        throw EcolvarError(query.lastError().text());
    return query;
}

} // namespace

PracticeStore::PracticeStore(PlaylistDatabase& database) : m_database(database)
{
    if (m_database.isOpen())
        createTables();
}

void PracticeStore::createTables()
{
    for (const char16_t* statement : schema)
        run(m_database, QString::fromUtf16(statement));
}

std::optional<ResumePoint> PracticeStore::resumePoint(const QString& docName) const
{
    QSqlQuery query = run(m_database,
        u"select PositionMs, Speed from PracticeResume where DocName = ?"_s, { docName });
    if (!query.next())
        return std::nullopt;
    return ResumePoint { query.value(0).toLongLong(), query.value(1).toDouble() };
}

void PracticeStore::setResumePoint(const QString& docName, const ResumePoint& point)
{
    run(m_database,
        u"insert or replace into PracticeResume(DocName, PositionMs, Speed) values (?, ?, ?)"_s,
        { docName, point.positionMs, point.speed });
}

std::optional<std::pair<int, int>> PracticeStore::drillSettings() const
{
    QSqlQuery query
        = run(m_database, u"select Passes, PausePercent from PracticeDrill where Id = 1"_s);
    if (!query.next())
        return std::nullopt;
    return std::pair { query.value(0).toInt(), query.value(1).toInt() };
}

void PracticeStore::setDrillSettings(int passes, int pausePercent)
{
    run(m_database,
        u"insert or replace into PracticeDrill(Id, Passes, PausePercent) values (1, ?, ?)"_s,
        { passes, pausePercent });
}

std::optional<CachedPauseMarks> PracticeStore::cachedMarks(
    const QString& path, qint64 size, qint64 modifiedMs) const
{
    QSqlQuery query = run(m_database,
        u"select LengthMs, Starts from PracticeMarkCache "
        u"where FilePath = ? and FileSize = ? and ModifiedMs = ?"_s,
        { path, size, modifiedMs });
    if (!query.next())
        return std::nullopt;
    CachedPauseMarks marks;
    marks.lengthMs = query.value(0).toInt();
    const QString starts = query.value(1).toString();
    for (QStringView number : QStringView(starts).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int ms = number.toInt(&ok);
        if (!ok)
            return std::nullopt; // a damaged row is analysed again
        marks.starts.append(ms);
    }
    return marks;
}

void PracticeStore::storeMarks(
    const QString& path, qint64 size, qint64 modifiedMs, const CachedPauseMarks& marks)
{
    QStringList starts;
    for (int ms : marks.starts)
        starts.append(QString::number(ms));
    run(m_database,
        u"insert or replace into PracticeMarkCache("
        u"FilePath, FileSize, ModifiedMs, LengthMs, Starts) values (?, ?, ?, ?, ?)"_s,
        { path, size, modifiedMs, marks.lengthMs, starts.join(u',') });
}

} // namespace ecolvar
