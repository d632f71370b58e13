#pragma once

#include "playlists/playlistdatabase.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace ecolvar::test {

// A playlist database in a fresh temporary directory, with direct access to its tables so
// that tests can set up and check rows without the code under test.
class PlaylistTestDb {
public:
    PlaylistTestDb();

    PlaylistDatabase& db() { return *m_db; }
    QString dir() const { return m_dir.path(); }
    QString file() const { return m_dir.filePath(QStringLiteral("vek.db")); }

    // Runs SQL directly on the database; fails the test when it fails.
    void exec(const QString& sql);
    void addList(const QString& name, int displayFlag = 0);
    void addEntry(int position, const QString& list, const QString& fullPath);
    // The entries of a list as "position fullpath", in position order.
    QStringList entries(const QString& list);
    // The playlists as "name:flag", in stored order.
    QStringList lists();
    int entryCount();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PlaylistDatabase> m_db;
};

} // namespace ecolvar::test
