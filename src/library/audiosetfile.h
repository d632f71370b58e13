#pragma once

#include <QString>
#include <QStringList>

namespace ecolvar {

// Audio-set files (".mpl"): one full path of an audio file per line, no header, no count.
//
// Reading: a file that starts with a UTF-8 byte-order mark is UTF-8, any other GBK; lines end
// at CR, LF or a CR LF pair; a last line without a break counts; a NUL byte ends the text.
// Blank lines are kept: they are not listed, but they count and survive a rewrite.
//
// Writing: every line, the last one included, ends in CR LF. The file is GBK when GBK holds every
// line, otherwise UTF-8 with a byte-order mark, so no character is ever lost. A new set is an
// empty file of 0 bytes.

// The largest set file read (about half a million entries); a larger one is refused.
constexpr qint64 MaxAudioSetBytes = 64 << 20;

// The lines of the set file at path. Throws EcolvarError ("Cannot open file ...") when the file
// cannot be read: missing, no regular file, larger than MaxAudioSetBytes, or text that cannot be
// decoded. Bytes that are not text in the file's encoding are read as replacement characters.
QStringList ReadAudioSet(const QString& path);

// Replaces the set file at path by lines, atomically: on failure the old file stays as it was.
// Throws EcolvarError ("Cannot create file ...") when the file cannot be written or a line
// holds a line break or a NUL, which the format cannot store. An existing file that cannot be
// read is never replaced. Lines of the old file that held bytes that are not text keep those
// bytes while the line is unchanged; when that is impossible the write is refused.
void WriteAudioSet(const QString& path, const QStringList& lines);

// A line that is empty or holds only blanks and control characters.
bool IsBlankLine(const QString& line);

} // namespace ecolvar
