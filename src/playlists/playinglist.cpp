#include "playinglist.h"

#include "core/ecolvarerror.h"
#include "core/prompts.h"
#include "playlists/playlistdatabase.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// A file that is gone from a directory that is still there; a directory that cannot be seen
// (an unmounted drive, a share that is offline) tells nothing about its files.
bool fileIsGone(const LstEntry& entry)
{
    return !QFileInfo::exists(entry.fullPath()) && QFileInfo(entry.FilePath).isDir();
}

} // namespace

PlayingList::PlayingList(PlaylistDatabase& database, Prompts& prompts)
    : m_database(database), m_prompts(prompts), m_temqry(database, u"temqry"_s),
      m_qryLst(database, u"qryLst"_s)
{
}

QString PlayingList::GetPlayingLstName()
{
    return m_temqry.playingListName();
}

std::optional<QString> PlayingList::CheckLstFiles(const QString& listName)
{
    // The walk goes over the rows as they were read; the deletions do not disturb it.
    const QList<LstEntry> entries = m_qryLst.entries(listName);
    if (entries.isEmpty())
        return std::nullopt;
    for (const LstEntry& entry : entries) {
        if (fileIsGone(entry))
            m_temqry.deleteFromAllLists(entry.fullPath());
    }
    return listName;
}

void PlayingList::OpenLst(const QString& listName, ListPlayer& player)
{
    player.enterListMode();
    LoadLstToPlayer(listName, player);
}

void PlayingList::LoadLstToPlayer(const QString& listName, ListPlayer& player)
{
    const QStringList files = m_temqry.orderedPaths(listName);
    player.loadList(listName, files, !files.isEmpty());
}

void PlayingList::AddFilesToLst(const QString& listName, const QList<FileListRow>& rows)
{
    // One transaction for the whole selection keeps a long one quick; when a statement fails,
    // what was added before it is kept, as if each file had been written on its own.
    ScopedTransaction transaction(m_database);
    try {
        for (const FileListRow& row : rows)
            AddFileToLst(listName, row.name, row.dir);
    } catch (...) {
        try {
            transaction.commit();
        } catch (const EcolvarError&) {
            // The first error is the one the learner needs to see.
        }
        throw;
    }
    transaction.commit();
    m_prompts.information(u"添加完毕"_s);
}

bool PlayingList::AddFileToLst(
    const QString& listName, const QString& fileName, const QString& directory)
{
    if (m_temqry.fileNameInList(fileName, listName)) {
        m_prompts.information(u"列表中已存在 \""_s + fileName + u"\" 文件"_s);
        return false;
    }
    m_temqry.appendEntry(listName, fileName, directory);
    return true;
}

} // namespace ecolvar
