#include "core/errorreport.h"
#include "core/settingsfile.h"
#include "helpviewer.h"
#include "player/sndfilemediadevice.h"
#include "programsetup.h"
#include "qtprompts.h"
#include "tform1.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Errors escaping an event handler are shown by the error report instead of ending the program.
class EcolvarApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        bool result = false;
        ecolvar::guarded([&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

// The devices of the program: the player plays through the sound server (or silently on a
// real-time clock where there is none); the probes never touch the audio system.
ecolvar::MediaDevices realDevices()
{
    using Device = ecolvar::SndFileMediaDevice;
    return { std::make_unique<Device>(Device::Output::Speakers),
        std::make_unique<Device>(Device::Output::Silent),
        [] { return std::make_unique<Device>(Device::Output::Silent); } };
}

QStringList arguments(int argc, char* argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(u"Ecolvar"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(ECOLVAR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Ecolvar: a listening-practice player."_s);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption quitAfter(u"quit-after"_s,
        u"Quit <ms> milliseconds after the window is shown (for scripted checks)."_s, u"ms"_s);
    parser.addOption(quitAfter);
    parser.addPositionalArgument(u"files"_s,
        u"Audio files to open: one plays on its own, several as one list."_s, u"[files...]"_s);
    // --version and --help work without a display: they are answered before the window system
    // is touched. Qt's own options (-platform, ...) are taken by the application object below.
    parser.parse(arguments(argc, argv));
    if (parser.isSet(version))
        parser.showVersion();
    if (parser.isSet(help)) {
        // Without the application object Qt cannot name the executable itself.
        QString text = parser.helpText();
        text.replace(u"<executable_name>"_s, u"ecolvar"_s);
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }

    EcolvarApplication app(argc, argv);
    parser.process(app);
    int quitAfterMs = -1;
    if (parser.isSet(quitAfter)) {
        bool ok = false;
        quitAfterMs = parser.value(quitAfter).toInt(&ok);
        if (!ok || quitAfterMs < 0) {
            std::fputs("ecolvar: --quit-after needs a number of milliseconds\n", stderr);
            return 2;
        }
    }
    ecolvar::InstallQtTranslations(app);

    ecolvar::QtPrompts prompts;
    ecolvar::ErrorReport::setSink([&prompts](const QString& text) { prompts.error(text); });

    const ecolvar::ProgramPaths paths
        = ecolvar::ResolveProgramPaths(QCoreApplication::applicationDirPath());
    if (!paths.settingsFile.isEmpty())
        ecolvar::setSettingsFile(paths.settingsFile);
    ecolvar::TForm1 form(prompts, paths.dataDir, paths.databaseFile, realDevices);
    form.Help->setHelpDir(paths.helpDir);
    prompts.setParent(&form);
    // Fill the screen even where no window manager honours the maximized state.
    if (const QScreen* screen = form.screen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    // The files of the command line ("open with" passes them there) open once the window shows.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        QTimer::singleShot(0, &form, [&form, files] { form.openPaths(files); });
    if (quitAfterMs >= 0)
        QTimer::singleShot(quitAfterMs, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
