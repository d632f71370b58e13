#include "audiosetfile.h"

#include "core/commonprocs.h"
#include "core/ecolvarerror.h"

#include <QFile>
#include <QFileInfo>
#include <QMultiHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <optional>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

constexpr char utf8Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype utf8BomSize = 3;
const char* const gbk = "GBK";

QString cannotOpen(const QString& path, const QString& reason)
{
    return u"Cannot open file \"%1\". %2"_s.arg(path, reason);
}

QString cannotCreate(const QString& path, const QString& reason)
{
    return u"Cannot create file \"%1\". %2"_s.arg(path, reason);
}

enum class SetEncoding { Gbk, Utf8, Utf8WithMark };

// A set file as read: its lines, the encoding they were read in, and the bytes of every line
// that held bytes that encoding cannot read (empty for the others).
struct SetFile {
    QStringList lines;
    QList<QByteArray> foreignBytes;
    SetEncoding encoding = SetEncoding::Gbk;
    bool hasForeignBytes = false;
};

// The lines of bytes: a line ends at CR, LF or a CR LF pair; a last line without a break counts.
// CR and LF are never part of a GBK or UTF-8 character, so splitting bytes splits the text.
QList<QByteArrayView> splitLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.sliced(start));
    return lines;
}

bool decodes(QByteArrayView bytes, QStringDecoder&& decoder)
{
    const QString text = decoder.decode(bytes);
    return decoder.isValid() && !decoder.hasError();
}

// Throws the open error when the bytes cannot be read as a set.
SetFile parse(const QString& path, QByteArrayView bytes)
{
    SetFile set;
    if (bytes.startsWith(utf8Bom)) {
        set.encoding = SetEncoding::Utf8WithMark;
        bytes = bytes.sliced(utf8BomSize);
    } else if (!decodes(bytes, QStringDecoder(gbk, QStringConverter::Flag::Stateless))
        && decodes(
            bytes, QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless))) {
        // Bytes that are no GBK at all cannot be meant as GBK: a set saved as UTF-8 by another
        // program without the mark is read as UTF-8 rather than turned into replacement characters.
        set.encoding = SetEncoding::Utf8;
    }
    // Each line is decoded on its own: a byte-order mark starting a line is a character of it.
    const auto flags
        = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    QStringDecoder decoder = set.encoding == SetEncoding::Gbk
        ? QStringDecoder(gbk, flags)
        : QStringDecoder(QStringConverter::Utf8, flags);
    if (!decoder.isValid())
        throw EcolvarError(cannotOpen(path, u"The text cannot be decoded."_s));
    for (const QByteArrayView line : splitLines(bytes)) {
        // Decoded with its line break, so that a character cut off at the end of the line shows
        // as a replacement character instead of vanishing.
        QString text = decoder.decode(line.toByteArray() + '\n');
        if (!text.endsWith(u'\n'))
            throw EcolvarError(cannotOpen(path, u"The text cannot be decoded."_s));
        text.chop(1);
        const bool foreign = decoder.hasError();
        decoder.resetState();
        set.lines.append(std::move(text));
        set.foreignBytes.append(foreign ? line.toByteArray() : QByteArray());
        set.hasForeignBytes = set.hasForeignBytes || foreign;
    }
    return set;
}

// Reads the set file at path; throws the open error when it is no regular file, larger than
// MaxAudioSetBytes or unreadable.
SetFile load(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw EcolvarError(cannotOpen(path, qt_error_string(EISDIR)));
    // Checked before opening: a pipe or a device would block or never end.
    if (info.exists() && !info.isFile())
        throw EcolvarError(cannotOpen(path, u"It is not a regular file."_s));
    if (info.size() > MaxAudioSetBytes)
        throw EcolvarError(cannotOpen(path,
            u"The file is larger than %1 MiB, the largest set file this program reads."_s.arg(
                MaxAudioSetBytes >> 20)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EcolvarError(cannotOpen(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EcolvarError(cannotOpen(path, file.errorString()));
    if (bytes.size() > MaxAudioSetBytes)
        throw EcolvarError(cannotOpen(path, u"The file grew while it was read."_s));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return parse(path, bytes);
}

bool holdsBreak(const QString& line)
{
    return std::any_of(line.cbegin(), line.cend(),
        [](QChar c) { return c == u'\r' || c == u'\n' || c == QChar(u'\0'); });
}

// The bytes of lines in encoding, or nothing when a line cannot be held in it. A line equal to
// a line of old that held foreign bytes is written as those bytes, each old line used once.
std::optional<QByteArray> encode(const QStringList& lines, SetEncoding encoding, const SetFile& old)
{
    QMultiHash<QString, QByteArray> kept;
    for (qsizetype i = old.lines.size() - 1; i >= 0; --i) {
        if (!old.foreignBytes.at(i).isEmpty())
            kept.insert(old.lines.at(i), old.foreignBytes.at(i));
    }
    QByteArray bytes = encoding == SetEncoding::Utf8WithMark ? QByteArray(utf8Bom) : QByteArray();
    QStringEncoder encoder = encoding == SetEncoding::Gbk
        ? QStringEncoder(gbk, QStringConverter::Flag::Stateless)
        : QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    for (const QString& line : lines) {
        if (const auto found = kept.find(line); found != kept.end()) {
            bytes += *found;
            kept.erase(found);
        } else {
            bytes += encoder.encode(line);
        }
        bytes += "\r\n";
    }
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

} // namespace

QStringList ReadAudioSet(const QString& path)
{
    return load(path).lines;
}

void WriteAudioSet(const QString& path, const QStringList& lines)
{
    for (const QString& line : lines) {
        if (holdsBreak(line))
            throw EcolvarError(
                cannotCreate(path, u"The line \"%1\" holds a line break."_s.arg(line)));
    }
    // Lines of the old file that hold bytes its encoding cannot read are written back as those
    // bytes, which only the old file's encoding can hold.
    SetFile old;
    if (QFileInfo(path).isFile()) {
        try {
            old = load(path);
        } catch (const EcolvarError& e) {
            throw EcolvarError(cannotCreate(path, e.text()));
        }
    }
    std::optional<QByteArray> bytes;
    if (old.hasForeignBytes) {
        bytes = encode(lines, old.encoding, old);
        if (!bytes)
            throw EcolvarError(cannotCreate(path,
                u"It holds bytes that are not text and a new line needs another code page;"
                u" the file is left as it was."_s));
    } else {
        // GBK when GBK holds every line, else UTF-8 with the mark.
        bytes = encode(lines, SetEncoding::Gbk, old);
        if (!bytes)
            bytes = encode(lines, SetEncoding::Utf8WithMark, old);
    }
    if (const std::optional<QString> failure = SaveFileAtomically(path, *bytes))
        throw EcolvarError(cannotCreate(path, *failure));
}

bool IsBlankLine(const QString& line)
{
    return std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() <= 0x20; });
}

} // namespace ecolvar
