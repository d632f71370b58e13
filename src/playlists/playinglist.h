#pragma once

#include "library/filelist.h"
#include "playlists/lstquery.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ecolvar {

class PlaylistDatabase;
class Prompts;

// What opening a playlist needs of the timeline player and the side panel; the main window
// implements it over the player, its track bar and ListBox1, tests with a fake.
class ListPlayer {
public:
    virtual ~ListPlayer() = default;

    // Before a playlist is opened: closes the playing device, stops the playback tick, puts the
    // track bar's thumb at 0 and switches the player to list mode with the segments shown.
    virtual void enterListMode() = 0;
    // Replaces the timeline by these full paths under the document name listName, shows
    // listName in LblFileLst and loads the timeline (filling ListBox1). When resetSelection,
    // the repeat selection is set to 0..0 first.
    virtual void loadList(const QString& listName, const QStringList& files, bool resetSelection)
        = 0;
};

// The main window's share of the playlists: the start-up check of the playing list, opening a
// playlist into the player and adding files of the file list to a playlist. Runs its statements
// on the main window's query objects temqry and qryLst; the chooser uses temqry too. Shows its
// messages through the prompts; statement errors are thrown (EcolvarError).
class PlayingList {
public:
    PlayingList(PlaylistDatabase& database, Prompts& prompts);

    LstQuery& temqry() { return m_temqry; }

    // The name of the playlist marked playing; empty when none is.
    QString GetPlayingLstName();
    // The start-up clean-up of a list: every entry whose file is missing from a directory that
    // still exists is removed from every playlist (an entry on an unmounted drive or share is
    // kept). Returns the name to show in LblFileLst, or nothing when the list has no entries
    // (the label then keeps its text).
    std::optional<QString> CheckLstFiles(const QString& listName);

    // Opens a playlist into the player: list mode, then LoadLstToPlayer.
    void OpenLst(const QString& listName, ListPlayer& player);
    // Loads the entries of a list, in order, into the player. The repeat selection is reset
    // only when the list has entries.
    void LoadLstToPlayer(const QString& listName, ListPlayer& player);

    // Adds the rows, in order, to the list (AddFileToLst for each), then shows "添加完毕".
    // When a statement fails, the rows before it stay added and the error is thrown.
    void AddFilesToLst(const QString& listName, const QList<FileListRow>& rows);
    // Appends one file to the list, unless a file of the same name (from any directory) is
    // already in it: then shows the refusal and returns false.
    bool AddFileToLst(const QString& listName, const QString& fileName, const QString& directory);

private:
    PlaylistDatabase& m_database;
    Prompts& m_prompts;
    LstQuery m_temqry;
    LstQuery m_qryLst;
};

} // namespace ecolvar
