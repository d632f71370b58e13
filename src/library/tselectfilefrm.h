#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QFrame;
class QListWidget;
class QPushButton;
class QSplitter;

namespace ecolvar {

// The select-file dialog: a drive chooser (the mounted volumes), the directory list and the
// MP3/WAV files of the chosen directory. Each use is a fresh dialog that starts at the process's
// working directory and makes every directory it moves to the working directory, so the next
// one opens where this one was left. Its two buttons fill the caller's SelectedFiles and close
// it; closed any other way it hands back nothing.
class TSelectFileFrm : public QDialog {
    Q_OBJECT

public:
    // Empties selectedFiles, which must outlive the dialog.
    explicit TSelectFileFrm(QStringList& selectedFiles, QWidget* parent = nullptr);

    // Shows a fresh dialog modally; afterwards selectedFiles holds the chosen paths or nothing.
    static void execute(QStringList& selectedFiles, QWidget* parent);

    // The directory shown, without a final separator except for a root (/ or D:\).
    const QString& Directory() const { return m_directory; }
    // Moves the directory list to dir, makes it the working directory and rereads the file
    // list. Throws EcolvarError when dir cannot be entered; nothing changes then.
    void setDirectory(const QString& dir);

    QFrame* Panel1 = nullptr;
    QFrame* Panel3 = nullptr;
    QComboBox* DriveComboBox1 = nullptr; // volume roots; the item data is the root path
    QListWidget* DirectoryListBox1 = nullptr; // the item data is the directory's path
    QSplitter* Splitter1 = nullptr;
    QFrame* Panel2 = nullptr;
    QListWidget* FileListBox1 = nullptr; // file names only
    QFrame* Panel4 = nullptr;
    QPushButton* Button1 = nullptr; // 添加
    QPushButton* Button2 = nullptr; // 全部添加

    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void Button1Click();
    void Button2Click();

private:
    void fillDrives();
    void showDrive();
    void fillDirectoryList();
    void takeFiles(bool selectedOnly);

    QStringList& m_selectedFiles;
    QString m_directory;
};

} // namespace ecolvar
