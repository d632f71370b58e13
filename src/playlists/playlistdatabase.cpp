#include "playlistdatabase.h"

#include "core/ecolvarerror.h"

#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

QString nextConnectionName()
{
    static std::atomic<int> counter { 0 };
    return u"ecolvar-playlists-%1"_s.arg(++counter);
}

// The tables and their indexes. Names and file names compare ignoring ASCII case; full paths
// (FilePath || FileName) compare exactly.
//  - LstFileTbl_List serves every statement that picks the entries of one list (listing in
//    order, the highest position, appending, finding, moving and deleting an entry).
//  - LstFileTbl_FullPath serves removing a missing file from every list at start-up, which
//    has no list to narrow the search.
//  - LstFileTbl_FileName serves the refusal of a file name already in a list, which would
//    otherwise read every entry of a long list once per added file.
//  - LstFileTblM_Name serves the test whether a playlist name is taken, and deleting a list.
const char16_t* const schema[] = {
    u"create table if not exists LstFileTblM("
    u"LstFileName text collate nocase, DisplayFlag integer)",
    u"create table if not exists LstFileTbl("
    u"NumberID integer, LstFileName text collate nocase, FileName text collate nocase, "
    u"FilePath text)",
    u"create index if not exists LstFileTbl_List on LstFileTbl("
    u"LstFileName collate nocase, NumberID)",
    u"create index if not exists LstFileTbl_FullPath on LstFileTbl(FilePath || FileName)",
    u"create index if not exists LstFileTbl_FileName on LstFileTbl("
    u"FileName collate nocase, LstFileName collate nocase)",
    u"create index if not exists LstFileTblM_Name on LstFileTblM(LstFileName collate nocase)",
};

} // namespace

QString PlaylistDatabase::defaultFileName()
{
    return u"vek.db"_s;
}

QString PlaylistDatabase::inMemory()
{
    return u":memory:"_s;
}

PlaylistDatabase::PlaylistDatabase(const QString& fileName)
    : m_fileName(fileName), m_connectionName(nextConnectionName())
{
    m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
    m_db.setDatabaseName(fileName);
    // Another program may hold the file for a moment: wait a little, then tell the learner.
    m_db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=500"_s);
    open();
}

void PlaylistDatabase::open()
{
    m_error.clear();
    if (!m_db.open()) {
        m_error = u"Cannot open database \"%1\". %2"_s.arg(m_fileName, errorText(m_db.lastError()));
        return;
    }
    // Opening only finds the file; a damaged or locked file shows itself at the first statement.
    try {
        createSchema();
    } catch (const EcolvarError& e) {
        m_error = u"Cannot open database \"%1\". %2"_s.arg(m_fileName, e.text());
        m_db.close();
    }
}

PlaylistDatabase::~PlaylistDatabase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void PlaylistDatabase::createSchema()
{
    ScopedTransaction transaction(*this);
    QSqlQuery query(m_db);
    for (const char16_t* statement : schema) {
        if (!query.exec(QString::fromUtf16(statement)))
            throw EcolvarError(errorText(query.lastError()));
    }
    transaction.commit();
}

void PlaylistDatabase::requireOpen()
{
    if (!isOpen())
        open();
    if (!isOpen())
        throw EcolvarError(m_error);
}

QSqlDatabase PlaylistDatabase::connection()
{
    requireOpen();
    return m_db;
}

QString PlaylistDatabase::lockedText()
{
    return u"播放列表数据库正被其他程序使用"_s;
}

QString PlaylistDatabase::errorText(const QSqlError& error)
{
    // SQLITE_BUSY and SQLITE_LOCKED.
    const QString code = error.nativeErrorCode();
    if (code == u"5"_s || code == u"6"_s)
        return lockedText();
    return error.text();
}

ScopedTransaction::ScopedTransaction(PlaylistDatabase& database) : m_db(database.connection())
{
    if (!m_db.transaction())
        throw EcolvarError(PlaylistDatabase::errorText(m_db.lastError()));
}

ScopedTransaction::~ScopedTransaction()
{
    if (!m_done)
        m_db.rollback();
}

void ScopedTransaction::commit()
{
    m_done = true;
    if (!m_db.commit()) {
        const QString text = PlaylistDatabase::errorText(m_db.lastError());
        m_db.rollback();
        throw EcolvarError(text);
    }
}

} // namespace ecolvar
