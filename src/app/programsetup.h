#pragma once

#include <QString>

class QCoreApplication;

namespace ecolvar {

// Where the program finds the learner's data and its help page.
struct ProgramPaths {
    // Holds mpl/ and txt/ (and, in an installed program, vek.db).
    QString dataDir;
    // The playlist database: vek.db in the working directory of a portable layout, in dataDir
    // of an installed program.
    QString databaseFile;
    // Holds help.html (and help.chm when someone puts it there).
    QString helpDir;
    // The learner's settings: ecolvar.conf beside the data of a portable layout; empty for the
    // user's configuration folder.
    QString settingsFile;
};

// The file whose presence beside the executable marks a portable layout: the data then lives
// beside the executable too.
inline constexpr char16_t portableMarkerName[] = u"ecolvar.portable";

// The paths for an executable in executableDir. With the marker, everything the program keeps
// (the settings included) stays beside the executable. Without the marker the data goes to the
// user's data folder (QStandardPaths::AppDataLocation, created here when missing) and the help page
// is looked up in ../share/ecolvar relative to executableDir.
ProgramPaths ResolveProgramPaths(const QString& executableDir);

// Installs Qt's own Chinese translations (qtbase_zh_CN, ...) on app, whatever the system
// locale. False when none could be loaded; Qt's texts then stay in English.
bool InstallQtTranslations(QCoreApplication& app);

} // namespace ecolvar
