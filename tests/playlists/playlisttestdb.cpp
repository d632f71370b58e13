#include "playlisttestdb.h"

#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar::test {

namespace {

QSqlQuery prepared(PlaylistDatabase& db, const QString& sql)
{
    QSqlQuery query(db.connection());
    EXPECT_TRUE(query.prepare(sql)) << query.lastError().text().toStdString();
    return query;
}

void run(QSqlQuery& query)
{
    EXPECT_TRUE(query.exec()) << query.lastError().text().toStdString();
}

} // namespace

PlaylistTestDb::PlaylistTestDb()
{
    EXPECT_TRUE(m_dir.isValid());
    m_db = std::make_unique<PlaylistDatabase>(file());
    EXPECT_TRUE(m_db->isOpen()) << m_db->openError().toStdString();
}

void PlaylistTestDb::exec(const QString& sql)
{
    QSqlQuery query = prepared(*m_db, sql);
    run(query);
}

void PlaylistTestDb::addList(const QString& name, int displayFlag)
{
    QSqlQuery query = prepared(*m_db, u"insert into LstFileTblM values(?, ?)"_s);
    query.addBindValue(name);
    query.addBindValue(displayFlag);
    run(query);
}

void PlaylistTestDb::addEntry(int position, const QString& list, const QString& fullPath)
{
    const qsizetype cut = fullPath.lastIndexOf(u'/') + 1;
    QSqlQuery query = prepared(*m_db, u"insert into LstFileTbl values(?, ?, ?, ?)"_s);
    query.addBindValue(position);
    query.addBindValue(list);
    query.addBindValue(fullPath.mid(cut));
    query.addBindValue(fullPath.left(cut));
    run(query);
}

QStringList PlaylistTestDb::entries(const QString& list)
{
    QSqlQuery query = prepared(*m_db,
        u"select NumberID, FilePath || FileName from LstFileTbl where LstFileName = ? "
        u"collate binary order by NumberID"_s);
    query.addBindValue(list);
    run(query);
    QStringList rows;
    while (query.next())
        rows.append(query.value(0).toString() + u' ' + query.value(1).toString());
    return rows;
}

QStringList PlaylistTestDb::lists()
{
    QSqlQuery query = prepared(*m_db, u"select LstFileName, DisplayFlag from LstFileTblM"_s);
    run(query);
    QStringList rows;
    while (query.next())
        rows.append(query.value(0).toString() + u':' + query.value(1).toString());
    return rows;
}

int PlaylistTestDb::entryCount()
{
    QSqlQuery query = prepared(*m_db, u"select count(*) from LstFileTbl"_s);
    run(query);
    return query.next() ? query.value(0).toInt() : -1;
}

} // namespace ecolvar::test
