#include "helpviewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// The help file: help.chm in helpDir when it exists, otherwise help.html.
QString helpFilePath(const QString& helpDir)
{
    const QDir dir(helpDir);
    const QString chm = QDir::toNativeSeparators(dir.filePath(u"help.chm"_s));
    return QFileInfo::exists(chm) ? chm : QDir::toNativeSeparators(dir.filePath(u"help.html"_s));
}

// Opens a local file with the desktop's handler. On freedesktop systems xdg-open starts even when
// no program handles the file's type, and then shows nothing: ask xdg-mime first.
bool openWithDesktop(const QUrl& url)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!QStandardPaths::findExecutable(u"xdg-mime"_s).isEmpty()) {
        const QString type = QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
        QProcess query;
        query.start(u"xdg-mime"_s, { u"query"_s, u"default"_s, type });
        if (!query.waitForFinished(3000)) {
            query.kill();
            query.waitForFinished();
            return false;
        }
        if (query.exitCode() != 0 || query.readAllStandardOutput().trimmed().isEmpty())
            return false;
    }
#endif
    return QDesktopServices::openUrl(url);
}

} // namespace

HelpViewer::HelpViewer(const QString& helpDir, QWidget* parent)
    : QObject(parent), m_parent(parent), m_helpDir(helpDir), m_opener(openWithDesktop)
{
}

QTextBrowser* HelpViewer::window() const
{
    return m_window;
}

void HelpViewer::show()
{
    const QString file = helpFilePath(m_helpDir);
    if (QFileInfo::exists(file) && m_opener(QUrl::fromLocalFile(file)))
        return;
    showOwnWindow();
}

void HelpViewer::showOwnWindow()
{
    if (!m_window) {
        m_window = new QTextBrowser(m_parent);
        m_window->setWindowFlag(Qt::Window);
        m_window->setObjectName(u"HelpWindow"_s);
        m_window->setWindowTitle(u"Ecolvar 帮助"_s);
        m_window->setOpenExternalLinks(true);
        m_window->resize(720, 560);
    }
    // The browser shows only the HTML page; a help.chm needs the desktop.
    const QString page = QDir(m_helpDir).filePath(u"help.html"_s);
    if (QFileInfo::exists(page))
        m_window->setSource(QUrl::fromLocalFile(page));
    else
        m_window->setPlainText(u"找不到帮助文件：%1"_s.arg(QDir::toNativeSeparators(page)));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace ecolvar
