#pragma once

#include "playlists/lststatements.h"

#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <optional>
#include <utility>

namespace ecolvar {

class PlaylistDatabase;

// A playlist as the playlists table holds it.
struct LstRow {
    QString LstFileName;
    int DisplayFlag = 0;
};

// An entry of a playlist: its file name and its directory (ending in a separator).
struct LstEntry {
    QString FileName;
    QString FilePath;
    QString fullPath() const { return FilePath + FileName; }
};

// A query object on the playlist database (temqry, qryLst, qry1): runs the statements of the
// catalogue (lststatements.cpp), one at a time, with their values bound. Every result is read
// whole when its statement runs. A statement that fails throws EcolvarError with the database's
// error text; on a database that could not be opened every statement throws the open error.
// The database must outlive the query object.
class LstQuery {
public:
    LstQuery(PlaylistDatabase& database, QString name);

    const QString& name() const { return m_name; }
    PlaylistDatabase& database() const { return m_database; }

    QList<LstRow> allLists(); // S1
    bool listNameTaken(const QString& list); // S2
    void createList(const QString& list); // S3
    void deleteList(const QString& list); // S4
    // The playing list's name, empty when no list is marked playing. S5
    QString playingListName();
    QList<LstEntry> entries(const QString& list); // S6
    // Full paths of a list's entries in playlist order. S7
    QStringList orderedPaths(const QString& list);
    // Removes the full path from every playlist. S8
    void deleteFromAllLists(const QString& fullPath);
    bool fileNameInList(const QString& fileName, const QString& list); // S9
    // Highest position in the list; 0 for a list without entries. S10
    int highestPosition(const QString& list);
    void insertEntry(int position, const QString& list, const QString& fileName,
        const QString& directory); // S11
    // Position of the entry with this full path; nothing when the list has no such entry. S12
    std::optional<int> position(const QString& fullPath, const QString& list);
    void setPosition(const QString& fullPath, const QString& list, int position); // S13
    void deleteEntry(const QString& fullPath, const QString& list); // S14
    void deleteAllEntries(const QString& list); // S15

    // Appends an entry after the highest position of the list (S10, then S11) and returns its
    // position: 1 in a list without entries; gaps left by deletions are never filled.
    int appendEntry(const QString& list, const QString& fileName, const QString& directory);
    // Swaps the positions of two entries of a list (S12, S12, S13, S13) in one transaction, so
    // a failure leaves both as they were. False, with nothing changed, when either entry is
    // not in the list.
    bool swapPositions(const QString& list, const QString& fullPathA, const QString& fullPathB);

private:
    using Bindings = std::initializer_list<std::pair<const char16_t*, QVariant>>;
    // Runs a statement and returns the rows it read (none for a statement without a result).
    QList<QSqlRecord> run(LstStatement statement, Bindings values);
    int count(LstStatement statement, Bindings values);

    PlaylistDatabase& m_database;
    QString m_name;
};

} // namespace ecolvar
