#include "core/errorreport.h"
#include "player/sndfilemediadevice.h"
#include "playlists/playlistdatabase.h"
#include "qtprompts.h"
#include "tform1.h"

#include <QApplication>
#include <QScreen>

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

} // namespace

int main(int argc, char* argv[])
{
    EcolvarApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ecolvar"));

    ecolvar::QtPrompts prompts;
    ecolvar::ErrorReport::setSink([&prompts](const QString& text) { prompts.error(text); });

    // The playlist database is looked up in the working directory.
    ecolvar::TForm1 form(prompts, QCoreApplication::applicationDirPath(),
        ecolvar::PlaylistDatabase::defaultFileName(), realDevices);
    prompts.setParent(&form);
    // Fill the screen even where no window manager honours the maximized state.
    if (const QScreen* screen = form.screen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    return QApplication::exec();
}
