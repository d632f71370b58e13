#include "settingsfile.h"

#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

QString& chosenFile()
{
    static QString file;
    return file;
}

} // namespace

QString settingsFile()
{
    if (!chosenFile().isEmpty())
        return chosenFile();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + u"/ecolvar.conf"_s;
}

void setSettingsFile(const QString& path)
{
    chosenFile() = path;
}

} // namespace ecolvar
