#include "programsetup.h"

#include "playlists/playlistdatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

#include <memory>

using namespace Qt::StringLiterals;

namespace ecolvar {

ProgramPaths ResolveProgramPaths(const QString& executableDir)
{
    const QDir exe(executableDir);
    if (QFileInfo::exists(exe.filePath(QString::fromUtf16(portableMarkerName))))
        return { exe.absolutePath(), PlaylistDatabase::defaultFileName(), exe.absolutePath(),
            exe.filePath(u"ecolvar.conf"_s) };

    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return { data, QDir(data).filePath(PlaylistDatabase::defaultFileName()),
        QDir::cleanPath(exe.filePath(u"../share/ecolvar"_s)), QString() };
}

bool InstallQtTranslations(QCoreApplication& app)
{
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool any = false;
    for (const QString& catalogue : { u"qtbase"_s, u"qtmultimedia"_s }) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(catalogue + u"_zh_CN"_s, dir)) {
            translator->setParent(&app);
            QCoreApplication::installTranslator(translator.release());
            any = true;
        }
    }
    return any;
}

} // namespace ecolvar
