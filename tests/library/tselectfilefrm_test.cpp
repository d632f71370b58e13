#include "library/tselectfilefrm.h"

#include "qtprinters.h"
#include "testutil.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar::test {
namespace {

QStringList itemTexts(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text().trimmed());
    return texts;
}

QListWidgetItem* itemWithText(const QListWidget* list, const QString& text)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text().trimmed() == text)
            return list->item(row);
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

// Runs in a temporary working directory holding audio files and folders; the working directory
// is restored afterwards, since the dialog moves it.
class SelectFileDialogTest : public ::testing::Test {
protected:
    SelectFileDialogTest()
    {
        for (const QString& name :
            { u"b.mp3"_s, u"A.WAV"_s, u"SONG.MP3"_s, u"song.mp3.txt"_s, u"song.wma"_s,
                u".hidden.mp3"_s, u"c.Mp3"_s, u"Alpha/in.wav"_s, u".secret/x.mp3"_s })
            writeFile(m_dir.filePath(name), "x");
        QDir().mkpath(m_dir.filePath(u"beta"_s));
        QDir().mkpath(m_dir.filePath(u"sub.mp3"_s));
        QFile::link(m_dir.filePath(u"missing.mp3"_s), m_dir.filePath(u"broken.mp3"_s));
        QDir::setCurrent(m_dir.path());
    }
    ~SelectFileDialogTest() override { QDir::setCurrent(m_saved); }

    // The temporary directory as the dialog names it.
    QString here() const
    {
        return QDir::toNativeSeparators(QFileInfo(m_dir.path()).canonicalFilePath());
    }
    QString inHere(const QString& name) const { return here() + QDir::separator() + name; }

    const QString m_saved = QDir::currentPath();
    QTemporaryDir m_dir;
    QStringList selectedFiles { u"stale.mp3"_s };
};

TEST_F(SelectFileDialogTest, ListsTheAudioFilesOfTheWorkingDirectorySortedByName)
{
    TSelectFileFrm dialog(selectedFiles);
    EXPECT_TRUE(selectedFiles.isEmpty());
    EXPECT_EQ(dialog.Directory(), here());
    EXPECT_EQ(itemTexts(dialog.FileListBox1),
        QStringList({ u"A.WAV"_s, u"b.mp3"_s, u"c.Mp3"_s, u"SONG.MP3"_s }));
    EXPECT_EQ(dialog.FileListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(SelectFileDialogTest, AddTakesTheSelectedFilesInListOrder)
{
    TSelectFileFrm dialog(selectedFiles);
    for (const int row : { 3, 0, 2 })
        dialog.FileListBox1->item(row)->setSelected(true);
    QTest::mouseClick(dialog.Button1, Qt::LeftButton);
    EXPECT_EQ(selectedFiles,
        QStringList({ inHere(u"A.WAV"_s), inHere(u"c.Mp3"_s), inHere(u"SONG.MP3"_s) }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SelectFileDialogTest, AddAllTakesEveryListedFileAndAddWithoutASelectionNothing)
{
    TSelectFileFrm all(selectedFiles);
    all.FileListBox1->item(1)->setSelected(true);
    QTest::mouseClick(all.Button2, Qt::LeftButton);
    EXPECT_EQ(selectedFiles,
        QStringList(
            { inHere(u"A.WAV"_s), inHere(u"b.mp3"_s), inHere(u"c.Mp3"_s), inHere(u"SONG.MP3"_s) }));

    TSelectFileFrm none(selectedFiles);
    QTest::mouseClick(none.Button1, Qt::LeftButton);
    EXPECT_TRUE(selectedFiles.isEmpty());
}

TEST_F(SelectFileDialogTest, DirectoryListShowsTheChainDownToTheDirectoryThenItsVisibleFolders)
{
    TSelectFileFrm dialog(selectedFiles);
    const QListWidget* list = dialog.DirectoryListBox1;
    QStringList paths;
    for (int row = 0; row < list->count(); ++row)
        paths.append(list->item(row)->data(Qt::UserRole).toString());

    QStringList chain = { here() };
    for (QDir up(here()); up.cdUp();)
        chain.prepend(QDir::toNativeSeparators(up.absolutePath()));
    const qsizetype fromRoot
        = chain.indexOf(QDir::toNativeSeparators(QStorageInfo(here()).rootPath()));
    ASSERT_GE(fromRoot, 0);
    EXPECT_EQ(paths,
        chain.mid(fromRoot)
            + QStringList({ inHere(u"Alpha"_s), inHere(u"beta"_s), inHere(u"sub.mp3"_s) }));
    EXPECT_EQ(list->currentItem()->data(Qt::UserRole).toString(), here());
}

TEST_F(SelectFileDialogTest, EnteringAFolderMovesTheWorkingDirectoryAndTheNextDialogOpensThere)
{
    {
        TSelectFileFrm dialog(selectedFiles);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QListWidget* list = dialog.DirectoryListBox1;
        QListWidgetItem* alpha = itemWithText(list, u"Alpha"_s);
        ASSERT_NE(alpha, nullptr);
        const QPoint at = list->visualItemRect(alpha).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        EXPECT_EQ(dialog.Directory(), inHere(u"Alpha"_s));
        EXPECT_EQ(itemTexts(dialog.FileListBox1), QStringList({ u"in.wav"_s }));
        EXPECT_EQ(QDir::toNativeSeparators(QDir::currentPath()), inHere(u"Alpha"_s));
    }
    TSelectFileFrm next(selectedFiles);
    EXPECT_EQ(next.Directory(), inHere(u"Alpha"_s));
    // Back up the chain to the parent, with the keyboard.
    next.DirectoryListBox1->setCurrentItem(
        itemWithText(next.DirectoryListBox1, QFileInfo(here()).fileName()));
    QTest::keyClick(next.DirectoryListBox1, Qt::Key_Return);
    EXPECT_EQ(next.Directory(), here());
}

TEST_F(SelectFileDialogTest, AFolderThatCannotBeEnteredIsReportedAndTheDialogStays)
{
    ErrorRecorder errors;
    TSelectFileFrm dialog(selectedFiles);
    QListWidgetItem* beta = itemWithText(dialog.DirectoryListBox1, u"beta"_s);
    ASSERT_TRUE(QDir(m_dir.filePath(u"beta"_s)).removeRecursively());
    Q_EMIT dialog.DirectoryListBox1->itemActivated(beta);
    EXPECT_EQ(errors.errors(),
        QStringList({ u"Cannot change to directory \"%1\"."_s.arg(inHere(u"beta"_s)) }));
    EXPECT_EQ(dialog.Directory(), here());
    EXPECT_EQ(dialog.FileListBox1->count(), 4);
}

TEST_F(SelectFileDialogTest, TheDriveChooserShowsTheVolumeOfTheDirectory)
{
    TSelectFileFrm dialog(selectedFiles);
    const QString root = QDir::toNativeSeparators(QStorageInfo(here()).rootPath());
    EXPECT_EQ(dialog.DriveComboBox1->currentData().toString(), root);
    EXPECT_GE(dialog.DriveComboBox1->findData(QDir::toNativeSeparators(QDir::rootPath())), 0);
    // Choosing the drive shown keeps its directory.
    Q_EMIT dialog.DriveComboBox1->activated(dialog.DriveComboBox1->currentIndex());
    EXPECT_EQ(dialog.Directory(), here());
}

TEST_F(SelectFileDialogTest, ShownModallyItHandsBackTheChoiceOrNothingWhenClosed)
{
    const auto whenShown = [](const std::function<void(TSelectFileFrm*)>& act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<TSelectFileFrm*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(dialog);
        });
    };
    whenShown([](TSelectFileFrm* dialog) { dialog->Button2->click(); });
    TSelectFileFrm::execute(selectedFiles, nullptr);
    EXPECT_EQ(selectedFiles.size(), 4);

    whenShown([](TSelectFileFrm* dialog) { dialog->close(); });
    TSelectFileFrm::execute(selectedFiles, nullptr);
    EXPECT_TRUE(selectedFiles.isEmpty());
}

} // namespace
} // namespace ecolvar::test
