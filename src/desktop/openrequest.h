#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QUrl;

namespace ecolvar {

// Files the learner hands the program from the desktop: the command line ("open with" passes
// the chosen files there) or a drop on the window. The request sorts them into audio files the
// player can open, in the order given and each once, and files it refuses, with one message
// for all of the refused. The window opens the files and shows the message.
class OpenRequest {
public:
    // How the player opens the files: nothing to open, one file on its own, or several as one
    // list under listName().
    enum class Mode { Nothing, SingleFile, List };

    // Why a file is refused.
    enum class Reason { NotLocal, Missing, NotAFile, Unreadable, NotAudio };
    struct Refused {
        // The path (or the address of a file that is not local) as the learner knows it.
        QString shown;
        Reason reason;
    };

    // Positional command-line arguments: paths, relative ones taken from workingDir, or
    // file: URLs.
    static OpenRequest fromArguments(const QStringList& arguments, const QString& workingDir);
    // The addresses of dropped files.
    static OpenRequest fromUrls(const QList<QUrl>& urls);

    Mode mode() const;
    // The absolute, clean paths of the files to open, in order.
    const QStringList& files() const { return m_files; }
    const QList<Refused>& refused() const { return m_refused; }

    // The document name of a list: the name of the folder that holds every file, or, for files
    // of several folders, the first file's name and the count. It never holds a path separator.
    QString listName() const;

    // The message about the refused files; empty when none was refused.
    QString message() const;

    // Whether a drag carrying these addresses may be dropped: at least one is a local file.
    static bool mayDrop(const QList<QUrl>& urls);

private:
    void add(const QString& path);
    void refuse(const QString& shown, Reason reason);

    QStringList m_files;
    QList<Refused> m_refused;
};

} // namespace ecolvar
