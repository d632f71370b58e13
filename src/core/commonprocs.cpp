#include "commonprocs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ecolvar {

QString MsToTimeText(qint64 ms)
{
    // Whole seconds truncated toward zero; % keeps the dividend's sign. 64-bit, so that a
    // timeline longer than 2^31 ms reads right.
    const qint64 seconds = ms / 1000;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds % 3600) / 60;
    const qint64 secs = seconds % 60;
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes).arg(secs);
}

void ReplaceFirst(QString& s, const QString& find, const QString& repl)
{
    if (find.isEmpty())
        return;
    const qsizetype p = s.indexOf(find, 0, Qt::CaseSensitive);
    if (p >= 0)
        s.replace(p, find.size(), repl);
}

double FileSizeKB(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return 0.0;
    return static_cast<double>(info.size()) / 1024.0;
}

namespace {

constexpr QFile::Permissions ownerAll = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

} // namespace

void DeleteDirContents(const QString& dir)
{
    const QFileInfoList entries = QDir(dir).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (entry.isSymLink()) {
            QFile::remove(path); // the link itself, never its target
        } else if (entry.isDir()) {
            DeleteDirTree(path);
        } else {
            QFile::setPermissions(
                path, QFile::permissions(path) | QFile::WriteOwner | QFile::WriteUser);
            QFile::remove(path);
        }
    }
}

bool DeleteDirTree(const QString& dir)
{
    if (dir.isEmpty())
        return false;
    const QFileInfo info(dir);
    if (info.isSymLink())
        return QFile::remove(info.absoluteFilePath());
    if (!info.isDir())
        return false;
    const QString path = info.absoluteFilePath();
    // A directory without write or search permission would keep its entries.
    QFile::setPermissions(path, QFile::permissions(path) | ownerAll);
    DeleteDirContents(path);
    return QDir().rmdir(path);
}

} // namespace ecolvar
