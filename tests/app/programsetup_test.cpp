#include "app/helpviewer.h"
#include "app/programsetup.h"
#include "app/qtprompts.h"
#include "app/tform1.h"

#include "fakedevices.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

TEST(ProgramPaths, APortableLayoutKeepsTheDataBesideTheExecutable)
{
    QTemporaryDir exe;
    test::writeFile(exe.filePath(QString::fromUtf16(portableMarkerName)), {});
    const ProgramPaths paths = ResolveProgramPaths(exe.path());
    EXPECT_EQ(paths.dataDir, exe.path());
    EXPECT_EQ(paths.helpDir, exe.path());
    // The playlists stay in the working directory, where run.sh starts the program; the
    // settings stay beside the data.
    EXPECT_EQ(paths.databaseFile, u"vek.db"_s);
    EXPECT_EQ(paths.settingsFile, exe.filePath(u"ecolvar.conf"_s));
}

TEST(ProgramPaths, AnInstalledProgramUsesTheUsersDataFolderAndTheSharedHelp)
{
    QTemporaryDir prefix;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(data).removeRecursively();
    const ProgramPaths paths = ResolveProgramPaths(prefix.filePath(u"bin"_s));
    EXPECT_EQ(paths.dataDir, data);
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_EQ(paths.databaseFile, data + u"/vek.db"_s);
    EXPECT_EQ(paths.helpDir, prefix.filePath(u"share/ecolvar"_s));
    EXPECT_TRUE(paths.settingsFile.isEmpty()); // the user's configuration folder
}

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_form = std::make_unique<TForm1>(m_prompts, m_programDir.path(), m_devices.factory());
        m_form->Help->setUrlOpener([this](const QUrl& url) {
            m_opened.append(url.toLocalFile());
            return m_desktopCanOpen;
        });
    }

    QTemporaryDir m_programDir;
    test::ScriptedPrompts m_prompts;
    test::FakeDevices m_devices;
    std::unique_ptr<TForm1> m_form;
    QStringList m_opened;
    bool m_desktopCanOpen = true;
};

TEST_F(HelpTest, TheDesktopOpensTheChmWhenPresentElseThePage)
{
    const QString dir = m_programDir.path() + QDir::separator();
    test::writeFile(dir + u"help.html"_s, "<html><title>h</title></html>");
    m_form->N13->trigger();
    test::writeFile(dir + u"help.chm"_s, "ITSF");
    m_form->N13->trigger();
    EXPECT_EQ(m_opened, QStringList({ dir + u"help.html"_s, dir + u"help.chm"_s }));
    EXPECT_EQ(m_form->Help->window(), nullptr);
}

TEST_F(HelpTest, WhereTheDesktopCannotTheProgramShowsThePageItself)
{
    m_desktopCanOpen = false;
    const QString dir = m_programDir.path() + QDir::separator();
    test::writeFile(dir + u"help.chm"_s, "ITSF");
    test::writeFile(
        dir + u"help.html"_s, u"<html><body><h1>听力练习</h1></body></html>"_s.toUtf8());
    m_form->N13->trigger();
    ASSERT_NE(m_form->Help->window(), nullptr);
    EXPECT_TRUE(m_form->Help->window()->isVisible());
    EXPECT_EQ(m_form->Help->window()->toPlainText(), u"听力练习"_s);

    // No help file at all still shows something.
    QFile::remove(dir + u"help.chm"_s);
    QFile::remove(dir + u"help.html"_s);
    m_form->Help->window()->close();
    m_form->N13->trigger();
    EXPECT_TRUE(m_form->Help->window()->isVisible());
    EXPECT_TRUE(m_form->Help->window()->toPlainText().startsWith(u"找不到帮助文件"_s));
}

// Qt's own texts in Chinese, the program's buttons as it names them, and a question whose
// closing is an answer of its own.
class QtPromptsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InstallQtTranslations(*qApp)); }
    void TearDown() override
    {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    // Runs the prompt, handing the box shown to act, which closes it.
    template <typename F> auto withBox(F prompt, std::function<void(QMessageBox&)> act)
    {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            act(*box);
        });
        return prompt();
    }
    static QStringList visibleButtonTexts(const QMessageBox& box)
    {
        QStringList texts;
        for (const QAbstractButton* button : box.buttons()) {
            if (!button->isHidden())
                texts.append(button->text());
        }
        texts.sort();
        return texts;
    }

    QtPrompts m_prompts;
};

TEST_F(QtPromptsTest, QtSpeaksChineseButTheButtonsKeepTheirNames)
{
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), u"查找范围："_s);
    QStringList buttons;
    const auto record = [&](QMessageBox& box) {
        buttons = visibleButtonTexts(box);
        box.button(QMessageBox::Yes)->click();
    };
    EXPECT_EQ(withBox([&] { return m_prompts.ask(u"q"_s); }, record), Prompts::Answer::Yes);
    EXPECT_EQ(buttons, QStringList({ u"&No"_s, u"&Yes"_s }));
    withBox(
        [&] {
            m_prompts.information(u"i"_s);
            return 0;
        },
        [&](QMessageBox& box) {
            buttons = visibleButtonTexts(box);
            box.button(QMessageBox::Ok)->click();
        });
    EXPECT_EQ(buttons, QStringList({ u"OK"_s }));
}

TEST_F(QtPromptsTest, ClosingAQuestionIsNeitherYesNorNo)
{
    const auto ask
        = [&] { return m_prompts.ask(u"文件中已存在数据，是追加还是覆盖？(Yes为追加。)"_s); };
    EXPECT_EQ(withBox(ask, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
        Prompts::Answer::Closed);
    EXPECT_EQ(withBox(ask, [](QMessageBox& box) { box.close(); }), Prompts::Answer::Closed);
    EXPECT_EQ(withBox(ask, [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }),
        Prompts::Answer::No);
    // A plain confirmation counts closing as No.
    EXPECT_FALSE(withBox([&] { return m_prompts.confirm(u"确实要删除吗？"_s); },
        [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }));
}

} // namespace
} // namespace ecolvar
