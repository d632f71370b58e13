#include "lstquery.h"

#include "core/ecolvarerror.h"
#include "playlists/playlistdatabase.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// A null QString would be bound as SQL NULL, which equals nothing: an empty name is a name too.
QVariant text(const QString& value)
{
    return value.isNull() ? QVariant(u""_s) : QVariant(value);
}

} // namespace

LstQuery::LstQuery(PlaylistDatabase& database, QString name)
    : m_database(database), m_name(std::move(name))
{
}

QList<QSqlRecord> LstQuery::run(LstStatement statement, Bindings values)
{
    QSqlQuery query(m_database.connection());
    query.setForwardOnly(true);
    if (!query.prepare(statementText(statement)))
        throw EcolvarError(PlaylistDatabase::errorText(query.lastError()));
    for (const auto& [name, value] : values)
        query.bindValue(QString::fromUtf16(name), value);
    if (!query.exec())
        throw EcolvarError(PlaylistDatabase::errorText(query.lastError()));
    QList<QSqlRecord> rows;
    while (query.next())
        rows.append(query.record());
    if (query.lastError().isValid())
        throw EcolvarError(PlaylistDatabase::errorText(query.lastError()));
    return rows;
}

int LstQuery::count(LstStatement statement, Bindings values)
{
    const QList<QSqlRecord> rows = run(statement, values);
    return rows.isEmpty() ? 0 : rows.first().value(0).toInt();
}

QList<LstRow> LstQuery::allLists()
{
    QList<LstRow> lists;
    for (const QSqlRecord& row : run(LstStatement::S1, {}))
        lists.append(
            { row.value(u"LstFileName"_s).toString(), row.value(u"DisplayFlag"_s).toInt() });
    return lists;
}

bool LstQuery::listNameTaken(const QString& list)
{
    return count(LstStatement::S2, { { u":list", text(list) } }) > 0;
}

void LstQuery::createList(const QString& list)
{
    run(LstStatement::S3, { { u":list", text(list) } });
}

void LstQuery::deleteList(const QString& list)
{
    run(LstStatement::S4, { { u":list", text(list) } });
}

QString LstQuery::playingListName()
{
    const QList<QSqlRecord> rows = run(LstStatement::S5, {});
    return rows.isEmpty() ? QString() : rows.first().value(u"LstFileName"_s).toString();
}

QList<LstEntry> LstQuery::entries(const QString& list)
{
    QList<LstEntry> result;
    for (const QSqlRecord& row : run(LstStatement::S6, { { u":list", text(list) } }))
        result.append({ row.value(u"FileName"_s).toString(), row.value(u"FilePath"_s).toString() });
    return result;
}

QStringList LstQuery::orderedPaths(const QString& list)
{
    QStringList paths;
    for (const QSqlRecord& row : run(LstStatement::S7, { { u":list", text(list) } }))
        paths.append(row.value(u"FilePath"_s).toString() + row.value(u"FileName"_s).toString());
    return paths;
}

void LstQuery::deleteFromAllLists(const QString& fullPath)
{
    run(LstStatement::S8, { { u":path", text(fullPath) } });
}

bool LstQuery::fileNameInList(const QString& fileName, const QString& list)
{
    return count(LstStatement::S9, { { u":file", text(fileName) }, { u":list", text(list) } }) > 0;
}

int LstQuery::highestPosition(const QString& list)
{
    return count(LstStatement::S10, { { u":list", text(list) } });
}

void LstQuery::insertEntry(
    int position, const QString& list, const QString& fileName, const QString& directory)
{
    run(LstStatement::S11,
        { { u":n", position }, { u":list", text(list) }, { u":file", text(fileName) },
            { u":dir", text(directory) } });
}

std::optional<int> LstQuery::position(const QString& fullPath, const QString& list)
{
    const QList<QSqlRecord> rows
        = run(LstStatement::S12, { { u":path", text(fullPath) }, { u":list", text(list) } });
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().value(u"NumberID"_s).toInt();
}

void LstQuery::setPosition(const QString& fullPath, const QString& list, int position)
{
    run(LstStatement::S13,
        { { u":n", position }, { u":path", text(fullPath) }, { u":list", text(list) } });
}

void LstQuery::deleteEntry(const QString& fullPath, const QString& list)
{
    run(LstStatement::S14, { { u":path", text(fullPath) }, { u":list", text(list) } });
}

void LstQuery::deleteAllEntries(const QString& list)
{
    run(LstStatement::S15, { { u":list", text(list) } });
}

int LstQuery::appendEntry(const QString& list, const QString& fileName, const QString& directory)
{
    const int position = highestPosition(list) + 1;
    insertEntry(position, list, fileName, directory);
    return position;
}

bool LstQuery::swapPositions(
    const QString& list, const QString& fullPathA, const QString& fullPathB)
{
    ScopedTransaction transaction(m_database);
    const std::optional<int> a = position(fullPathA, list);
    const std::optional<int> b = position(fullPathB, list);
    if (!a || !b)
        return false;
    setPosition(fullPathA, list, *b);
    setPosition(fullPathB, list, *a);
    transaction.commit();
    return true;
}

} // namespace ecolvar
