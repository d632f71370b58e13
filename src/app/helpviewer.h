#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QTextBrowser;
class QWidget;

namespace ecolvar {

// Shows the help of 帮助(&P), help.chm in the help directory when it exists, otherwise help.html:
// through the desktop's handler when it can open the file, otherwise (help.html) in a window of
// the program's own. Owned by the main window (parent), which also owns that window.
class HelpViewer : public QObject {
    Q_OBJECT

public:
    // Asks the desktop to open a URL; false when it cannot.
    using UrlOpener = std::function<bool(const QUrl&)>;

    HelpViewer(const QString& helpDir, QWidget* parent);

    void setHelpDir(const QString& helpDir) { m_helpDir = helpDir; }
    const QString& helpDir() const { return m_helpDir; }
    // Replaces the desktop's handler (QDesktopServices::openUrl, where the desktop has a program
    // for the file's type).
    void setUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }

    // Opens the help file; never shows nothing.
    void show();

    // The program's own help window, nullptr until it was needed.
    QTextBrowser* window() const;

private:
    void showOwnWindow();

    QWidget* m_parent;
    QString m_helpDir;
    UrlOpener m_opener;
    QPointer<QTextBrowser> m_window;
};

} // namespace ecolvar
