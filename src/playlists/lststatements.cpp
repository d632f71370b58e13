#include "lststatements.h"

#include <iterator>

namespace ecolvar {

namespace {

struct CatalogueEntry {
    LstStatement statement;
    const char16_t* text;
};

// The statement catalogue.
//
// Tables: LstFileTblM(LstFileName, DisplayFlag): one row per playlist, DisplayFlag 1 marks the
// playing list. LstFileTbl(NumberID, LstFileName, FileName, FilePath): one row per entry of a
// playlist, NumberID its position (a list's order is ascending NumberID; gaps are kept),
// FilePath its directory ending in a separator; the full path is FilePath || FileName.
//
// Comparisons: list names and file names ignore ASCII letter case (collate nocase); full paths
// compare exactly, letter case included.
//
// Values: every value is bound as it is given, never trimmed: a list is always named exactly as
// it is stored, so looking up, numbering and storing its entries all address the same rows.
//
// Query objects (LstQuery): temqry (main window and the playlist chooser), qryLst (the start-up
// check of the playing list), qry1 (one per maintenance dialog). Each reads a statement's whole
// result when it runs it, so a walk over rows read earlier is not disturbed by later changes.
const CatalogueEntry catalogue[] = {
    // S1, all playlists, in the order the database keeps them: LstFileName, DisplayFlag.
    // temqry (chooser list), qry1 (maintenance dialog's list names).
    { LstStatement::S1, u"select LstFileName, DisplayFlag from LstFileTblM" },

    // S2, is a playlist name taken: the number of playlists of that name. temqry (chooser).
    { LstStatement::S2,
        u"select count(*) from LstFileTblM where LstFileName = :list collate nocase" },

    // S3, create a playlist; a new list is never the playing list. temqry (chooser).
    { LstStatement::S3, u"insert into LstFileTblM(LstFileName, DisplayFlag) values(:list, 0)" },

    // S4, delete a playlist. Its entries stay, out of sight, and belong to the list again when
    // a list of the same name is created. temqry (chooser).
    { LstStatement::S4, u"delete from LstFileTblM where LstFileName = :list collate nocase" },

    // S5, name of the playing list: the first list marked 1, if any. temqry (main window).
    { LstStatement::S5, u"select LstFileName from LstFileTblM where DisplayFlag = 1 limit 1" },

    // S6, entries of a playlist, unordered: FileName, FilePath. qryLst (start-up check).
    { LstStatement::S6,
        u"select FileName, FilePath from LstFileTbl where LstFileName = :list collate nocase" },

    // S7, entries of a playlist in order: FileName, FilePath. temqry (opening a list into the
    // player), qry1 (maintenance dialog's entries).
    { LstStatement::S7,
        u"select FileName, FilePath from LstFileTbl where LstFileName = :list collate nocase "
        u"order by NumberID" },

    // S8, remove a missing file from every playlist, whatever the list. temqry (start-up check).
    { LstStatement::S8, u"delete from LstFileTbl where FilePath || FileName = :path" },

    // S9, is a file name already in a playlist, whatever its directory: the number of such
    // entries. temqry (adding files from the file list).
    { LstStatement::S9,
        u"select count(*) from LstFileTbl where FileName = :file collate nocase "
        u"and LstFileName = :list collate nocase" },

    // S10, highest position in a playlist; a list without entries reads 0. temqry (adding
    // files from the file list), qry1 (adding files in the maintenance dialog).
    { LstStatement::S10,
        u"select coalesce(max(NumberID), 0) as NumberID from LstFileTbl "
        u"where LstFileName = :list collate nocase" },

    // S11, append an entry at position :n (S10 plus 1). temqry, qry1 (as S10).
    { LstStatement::S11,
        u"insert into LstFileTbl(NumberID, LstFileName, FileName, FilePath) "
        u"values(:n, :list, :file, :dir)" },

    // S12, position of one entry of a playlist, by full path. qry1 (moving an entry).
    { LstStatement::S12,
        u"select NumberID from LstFileTbl where FilePath || FileName = :path "
        u"and LstFileName = :list collate nocase" },

    // S13, set the position of one entry of a playlist. qry1 (moving an entry).
    { LstStatement::S13,
        u"update LstFileTbl set NumberID = :n where FilePath || FileName = :path "
        u"and LstFileName = :list collate nocase" },

    // S14, delete one entry of a playlist. qry1 (maintenance dialog's 删除).
    { LstStatement::S14,
        u"delete from LstFileTbl where FilePath || FileName = :path "
        u"and LstFileName = :list collate nocase" },

    // S15, delete all entries of a playlist; the playlist itself stays. qry1 (全部删除).
    { LstStatement::S15, u"delete from LstFileTbl where LstFileName = :list collate nocase" },
};

static_assert(std::size(catalogue) == 15);

} // namespace

QString statementText(LstStatement statement)
{
    const CatalogueEntry& entry = catalogue[static_cast<int>(statement)];
    Q_ASSERT(entry.statement == statement);
    return QString::fromUtf16(entry.text);
}

} // namespace ecolvar
