#pragma once

#include <QString>

namespace ecolvar {

// Time text "hours:minutes:seconds" of a time in milliseconds: seconds truncated toward zero,
// no field padded, hours unbounded. 65000 gives "0:1:5", -1500 gives "0:0:-1".
QString MsToTimeText(qint64 ms);

// Replaces the first occurrence of find in s (case-sensitive) by repl. An empty find, or one
// that does not occur, leaves s unchanged.
void ReplaceFirst(QString& s, const QString& find, const QString& repl);

// Size of the file at path in kilobytes (bytes / 1024). A path that does not name an existing
// regular file gives 0.
double FileSizeKB(const QString& path);

// Removes the directory dir with everything below it, read-only and hidden entries included.
// Symbolic links are removed themselves; what they point to is never touched. Entries that
// cannot be removed stay, and so do the directories above them. Returns true when dir itself
// was removed; false for an empty path or a directory that does not exist.
bool DeleteDirTree(const QString& dir);

// Removes everything inside the directory dir as DeleteDirTree does, but keeps dir itself.
void DeleteDirContents(const QString& dir);

} // namespace ecolvar
