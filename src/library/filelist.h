#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace ecolvar {

class LibraryTree;
class Prompts;
struct LibraryNode;

// One row of the file list: the entry's file name, its size in whole kilobytes as text and its
// directory, which ends in a separator. dir + name gives back the line the row came from.
struct FileListRow {
    QString name;
    QString sizeText;
    QString dir;
    bool operator==(const FileListRow&) const = default;

    // The full path: the directory, a separator when it does not end in one, and the name.
    QString path() const;
};

// Splits a line of a set file at its last separator ('/' or '\', so sets written on Windows
// split too), ignoring the line's final character. A line without one gives its whole text as
// the name and an empty directory. The size is that of the file the line names (0 when missing).
FileListRow SplitListedPath(const QString& line);

// The rows of the set file at setPath: one per non-blank line, in order. Throws EcolvarError
// when the file cannot be read.
QList<FileListRow> RefreshFileList(const QString& setPath);

// The file list's commands on the set selected in the library tree. The list is only a view of
// that set's file: each command hands back the rows the list shows next, or nothing when the
// list keeps its rows.
class FileList {
public:
    // Shows a fresh select-file dialog; when it closes, selectedFiles holds the chosen full
    // paths in order, or nothing.
    using SelectFileDialog = std::function<void(QStringList& selectedFiles)>;

    FileList(Prompts& prompts, const LibraryTree& tree, SelectFileDialog dialog);

    void setSelectFileDialog(SelectFileDialog dialog) { m_dialog = std::move(dialog); }

    // A click in the tree: an audio set shows its files, the root or a folder empties the list.
    std::optional<QList<FileListRow>> TreeView1Click(const LibraryNode* selected) const;

    // 添加音频文件: adds the files chosen in the select-file dialog to the selected set,
    // appended or, when the learner says so, replacing what the set held.
    std::optional<QList<FileListRow>> t1Click(
        const LibraryNode* selected, QStringList& selectedFiles);

    // 移除文件: each selected row (top to bottom) removes the last line of the set equal to its
    // directory + name, if any.
    std::optional<QList<FileListRow>> N11Click(
        const LibraryNode* selected, const QList<FileListRow>& selectedRows) const;

private:
    Prompts& m_prompts;
    const LibraryTree& m_tree;
    SelectFileDialog m_dialog;
};

} // namespace ecolvar
