#pragma once

#include "playlists/lstquery.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace ecolvar {

class PlaylistDatabase;
class Prompts;

// Where the maintenance dialog gets the files to add: the platform's file-open dialog, a fake
// in tests.
class FilePicker {
public:
    virtual ~FilePicker() = default;
    // Full paths of the chosen files, in the dialog's order; empty when cancelled.
    virtual QStringList getOpenFileNames(QWidget* parent) = 0;
};

// The file-open dialog: several files, no filter, no start directory, no title of its own.
class QtFilePicker : public FilePicker {
public:
    QStringList getOpenFileNames(QWidget* parent) override;
};

// The playlist maintenance dialog: shows the entries of the playlist named in ComboBox1 and
// adds, deletes, clears and reorders them, each change written at once. A fresh dialog is made
// for every opening and reads the database anew; it runs its statements on its own query object
// qry1. The database, prompts and picker must outlive it.
class TMaintainLstFrm : public QDialog {
    Q_OBJECT

public:
    TMaintainLstFrm(PlaylistDatabase& database, Prompts& prompts, FilePicker& picker,
        QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr; // 添加
    QPushButton* Button2 = nullptr; // 删除
    QPushButton* Button5 = nullptr; // 全部删除
    QPushButton* Button3 = nullptr; // 上移
    QPushButton* Button4 = nullptr; // 下移

    void LoadLstNames();
    // Shows the entries of the named list, in playlist order, none selected.
    void LoadLstFiles(const QString& listName);
    // Appends one file, by full path, to the list named in ComboBox1.
    void AddLstFile(const QString& fullPath);

private:
    void FormCreate();
    void ComboBox1Change();
    void ListBox1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    // Swaps the selected entry with its neighbour at offset (-1 up, +1 down).
    void moveSelected(int offset);
    QString listName() const;

    LstQuery qry1;
    Prompts& m_prompts;
    FilePicker& m_picker;
};

} // namespace ecolvar
