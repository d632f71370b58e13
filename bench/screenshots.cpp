// Makes the pictures of the README from the real window: a lesson open with its lyrics
// imported into the English transcript, playing, and the practice menu open.
//
//   screenshots AUDIO_DIR OUT_DIR
//
// AUDIO_DIR holds lesson.wav and lesson.lrc; the pictures go to OUT_DIR. Run under a display
// (bench/screenshots.sh starts a virtual one).

#include "app/programsetup.h"
#include "app/qtprompts.h"
#include "app/tform1.h"
#include "core/settingsfile.h"
#include "player/sndfilemediadevice.h"
#include "player/tmp3player.h"
#include "practice/practicewidgets.h"
#include "richtext/trichtextedit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

ecolvar::MediaDevices devices()
{
    using Device = ecolvar::SndFileMediaDevice;
    return { std::make_unique<Device>(Device::Output::Speakers),
        std::make_unique<Device>(Device::Output::Silent),
        [] { return std::make_unique<Device>(Device::Output::Silent); } };
}

bool save(const QPixmap& picture, const QString& path)
{
    if (!picture.save(path)) {
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: screenshots AUDIO_DIR OUT_DIR\n", stderr);
        return 2;
    }
    const QDir audio(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    ecolvar::InstallQtTranslations(app);
    QTemporaryDir data;
    ecolvar::setSettingsFile(data.filePath(u"ecolvar.conf"_s));
    ecolvar::QtPrompts prompts;
    ecolvar::TForm1 form(prompts, data.path() + u'/', data.filePath(u"vek.db"_s), devices);
    prompts.setParent(&form);
    form.move(0, 0);
    form.resize(1100, 700);
    form.show();
    QTest::qWait(500);

    form.openPaths({ audio.filePath(u"lesson.wav"_s) });
    QTest::qWait(1000);
    form.importLyricsFile(audio.filePath(u"lesson.lrc"_s));
    // A heading above the stamped paragraphs.
    ecolvar::TRichTextEdit* pane = form.RichTextEdit3;
    QTextCursor cursor(pane->document());
    cursor.insertText(u"Spring weather\n"_s);
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    pane->ApplyStyleToSelection(1);
    pane->setTextCursor(QTextCursor(pane->document()));
    form.N15->trigger();

    // Playing into the third sentence: the line under the player and the paragraph heard.
    form.actPlayPause->trigger();
    QTest::qWait(8500);
    bool ok = save(form.grab(), out.filePath(u"practice.png"_s));
    form.actPlayPause->trigger();

    // The practice menu, open over the window.
    form.menuBar()->setActiveAction(form.menuPractice->menuAction());
    QTest::qWait(500);
    ok = save(form.screen()->grabWindow(0, 0, 0, 1100, 700), out.filePath(u"practice-menu.png"_s))
        && ok;
    form.menuPractice->close();
    form.RichTextEdit3->document()->setModified(false);
    form.RichTextEdit4->document()->setModified(false);
    return ok ? 0 : 1;
}
