#include "filelist.h"

#include "audiosetfile.h"
#include "librarytree.h"

#include "core/commonprocs.h"
#include "core/prompts.h"

#include <QDir>
#include <QHash>

#include <vector>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

QList<FileListRow> rowsOf(const QStringList& lines)
{
    QList<FileListRow> rows;
    rows.reserve(lines.size());
    for (const QString& line : lines) {
        if (!IsBlankLine(line))
            rows.append(SplitListedPath(line));
    }
    return rows;
}

} // namespace

QString FileListRow::path() const
{
    if (dir.isEmpty() || dir.endsWith(u'/') || dir.endsWith(u'\\'))
        return dir + name;
    return dir + QDir::separator() + name;
}

FileListRow SplitListedPath(const QString& line)
{
    qsizetype cut = -1;
    for (qsizetype i = line.size() - 2; i >= 0; --i) {
        if (line.at(i) == u'/' || line.at(i) == u'\\') {
            cut = i;
            break;
        }
    }
    return { .name = line.mid(cut + 1),
        .sizeText = QString::number(static_cast<qint64>(FileSizeKB(line))),
        .dir = line.left(cut + 1) };
}

QList<FileListRow> RefreshFileList(const QString& setPath)
{
    return rowsOf(ReadAudioSet(setPath));
}

FileList::FileList(Prompts& prompts, const LibraryTree& tree, SelectFileDialog dialog)
    : m_prompts(prompts), m_tree(tree), m_dialog(std::move(dialog))
{
}

std::optional<QList<FileListRow>> FileList::TreeView1Click(const LibraryNode* selected) const
{
    if (!selected)
        return std::nullopt;
    const bool set = IsSetCaption(selected->caption);
    if (!selected->children.empty())
        return set ? std::nullopt : std::optional(QList<FileListRow>());
    if (!set)
        return QList<FileListRow>();
    return RefreshFileList(m_tree.SetFilePath(*selected));
}

std::optional<QList<FileListRow>> FileList::t1Click(
    const LibraryNode* selected, QStringList& selectedFiles)
{
    if (!selected) {
        m_prompts.information(u"请选择相应节点"_s);
        return std::nullopt;
    }
    const QString setPath = m_tree.SetFilePath(*selected);
    QStringList lines = ReadAudioSet(setPath);
    m_dialog(selectedFiles);
    if (!selectedFiles.isEmpty()) {
        // Blank lines count: a set holding only an empty line is asked about too.
        if (!lines.isEmpty()
            && !m_prompts.confirm(u"文件中已存在数据，是追加还是覆盖？(Yes为追加。)"_s))
            lines.clear();
        lines.append(selectedFiles);
        WriteAudioSet(setPath, lines);
    }
    return RefreshFileList(setPath);
}

std::optional<QList<FileListRow>> FileList::N11Click(
    const LibraryNode* selected, const QList<FileListRow>& selectedRows) const
{
    if (!selected)
        return std::nullopt;
    const QString setPath = m_tree.SetFilePath(*selected);
    const QStringList lines = ReadAudioSet(setPath);

    // Where each line occurs, first to last; a row takes the last occurrence still present.
    QHash<QString, QList<qsizetype>> occurrences;
    occurrences.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        occurrences[lines.at(i)].append(i);
    std::vector<bool> removed(lines.size(), false);
    for (const FileListRow& row : selectedRows) {
        const auto found = occurrences.find(row.dir + row.name);
        if (found != occurrences.end() && !found->isEmpty())
            removed[found->takeLast()] = true;
    }

    QStringList kept;
    kept.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!removed[i])
            kept.append(lines.at(i));
    }
    WriteAudioSet(setPath, kept);
    return RefreshFileList(setPath);
}

} // namespace ecolvar
