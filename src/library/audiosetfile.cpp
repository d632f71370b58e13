#include "audiosetfile.h"

#include "core/ecolvarerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>

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

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith(utf8Bom)) {
        QStringDecoder utf8(QStringConverter::Utf8,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return utf8.decode(QByteArrayView(bytes).sliced(utf8BomSize));
    }
    QStringDecoder fromGbk(gbk, QStringConverter::Flag::Stateless);
    QString text = fromGbk.decode(bytes);
    if (fromGbk.hasError()) {
        // Bytes that are no GBK at all cannot be meant as GBK: a set saved as UTF-8 by another
        // program without the mark is read as UTF-8 rather than turned into replacement characters.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString asUtf8 = utf8.decode(bytes);
        if (!utf8.hasError())
            return asUtf8;
    }
    return text;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool holdsBreak(const QString& line)
{
    return std::any_of(line.cbegin(), line.cend(),
        [](QChar c) { return c == u'\r' || c == u'\n' || c == QChar(u'\0'); });
}

QByteArray encode(const QStringList& lines)
{
    QByteArray bytes;
    QStringEncoder toGbk(gbk, QStringConverter::Flag::Stateless);
    if (toGbk.isValid()) {
        for (const QString& line : lines) {
            bytes += toGbk.encode(line);
            bytes += "\r\n";
        }
        if (!toGbk.hasError())
            return bytes;
    }
    bytes = utf8Bom;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

QStringList ReadAudioSet(const QString& path)
{
    if (QFileInfo(path).isDir())
        throw EcolvarError(cannotOpen(path, qt_error_string(EISDIR)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EcolvarError(cannotOpen(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EcolvarError(cannotOpen(path, file.errorString()));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return splitLines(decode(bytes));
}

void WriteAudioSet(const QString& path, const QStringList& lines)
{
    for (const QString& line : lines) {
        if (holdsBreak(line))
            throw EcolvarError(
                cannotCreate(path, u"The line \"%1\" holds a line break."_s.arg(line)));
    }
    const QByteArray bytes = encode(lines);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EcolvarError(cannotCreate(path, file.errorString()));
}

bool IsBlankLine(const QString& line)
{
    return std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() <= 0x20; });
}

} // namespace ecolvar
