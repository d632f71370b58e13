#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace ecolvar {

// The playlist database: one SQLite file with the playlists table LstFileTblM and the entries
// table LstFileTbl, created when missing. One object per open file; it owns its own named Qt SQL
// connection and removes it when destroyed, so several can live side by side (tests, benchmarks).
//
// Opening never throws. When the file cannot be opened or is not a database, the object stays
// closed and remembers why; every statement run on it tries to open it again first and, when
// that fails too, throws why. A file locked by another program is waited for half a second at
// most and then reported as such (lockedText).
class PlaylistDatabase {
public:
    // The file name of the program's database, looked up in the working directory.
    static QString defaultFileName();
    // A database that lives in memory only and is gone when the object is destroyed.
    static QString inMemory();

    explicit PlaylistDatabase(const QString& fileName);
    ~PlaylistDatabase();
    PlaylistDatabase(const PlaylistDatabase&) = delete;
    PlaylistDatabase& operator=(const PlaylistDatabase&) = delete;

    bool isOpen() const { return m_error.isEmpty(); }
    // Why the database could not be opened; empty when it is open.
    const QString& openError() const { return m_error; }
    const QString& fileName() const { return m_fileName; }

    // Opens the database again when it is not open; throws EcolvarError with the open error
    // when it still cannot be opened.
    void requireOpen();
    // The connection for running statements; throws like requireOpen().
    QSqlDatabase connection();

    // What the learner is told when another program holds the file locked.
    static QString lockedText();
    // The text of a failed statement: lockedText() when the file was locked, else the driver's.
    static QString errorText(const QSqlError& error);

private:
    void open();
    void createSchema();

    QString m_fileName;
    QString m_connectionName;
    QSqlDatabase m_db;
    QString m_error;
};

// A transaction on a connection that rolls back when it goes out of scope without commit().
class ScopedTransaction {
public:
    // Begins the transaction; throws EcolvarError when it cannot.
    explicit ScopedTransaction(PlaylistDatabase& database);
    ~ScopedTransaction();
    ScopedTransaction(const ScopedTransaction&) = delete;
    ScopedTransaction& operator=(const ScopedTransaction&) = delete;

    // Throws EcolvarError when the commit fails (the transaction is then rolled back).
    void commit();

private:
    QSqlDatabase m_db;
    bool m_done = false;
};

} // namespace ecolvar
