#include "librarytree.h"

#include "core/commonprocs.h"
#include "core/ecolvarerror.h"
#include "core/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

const QString rootCaption = u"Ecolvar"_s;
const QString setExtension = u".mpl"_s;

QString withSeparator(const QString& dir)
{
    QString d = QDir::toNativeSeparators(dir);
    if (!d.endsWith(QDir::separator()))
        d += QDir::separator();
    return d;
}

QString withoutFinalSeparator(const QString& path)
{
    return path.endsWith(QDir::separator()) ? path.chopped(1) : path;
}

// Whether s ends in suffix (lower-case ASCII), comparing ASCII letters in any case.
bool endsWithAsciiNoCase(const QString& s, QLatin1StringView suffix)
{
    if (s.size() < suffix.size())
        return false;
    const qsizetype offset = s.size() - suffix.size();
    for (qsizetype i = 0; i < suffix.size(); ++i) {
        char16_t c = s.at(offset + i).unicode();
        if (c >= u'A' && c <= u'Z')
            c += u'a' - u'A';
        if (c != static_cast<char16_t>(suffix.at(i).unicode()))
            return false;
    }
    return true;
}

QString ioError(int code)
{
    return u"I/O error %1"_s.arg(code);
}

// A name that would reach outside its folder, or name no entry of its own, is refused.
void refuseUnsafeName(const QString& name)
{
    if (name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(u'\\')
        || name.contains(QChar(u'\0')))
        throw EcolvarError(ioError(EINVAL));
}

// Whether dir holds an entry named name in any letter case, other than the entry named except.
// On file systems that tell case apart this keeps "Lesson1.mpl" and "lesson1.mpl" from
// standing side by side, as they cannot on the program's other platforms.
bool holdsNameIgnoringCase(
    const QString& dir, const QString& name, QDir::Filters kinds, const QString& except = {})
{
    const QStringList entries = QDir(dir).entryList(kinds | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry != except && entry.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

constexpr QDir::Filters anyEntry = QDir::AllEntries | QDir::System;

// Creates the directory dir + name; throws the input/output error with the system's number.
void createFolder(const QString& dir, const QString& name)
{
    if (holdsNameIgnoringCase(dir, name, anyEntry))
        throw EcolvarError(ioError(EEXIST));
    std::error_code error;
    if (!std::filesystem::create_directory(
            std::filesystem::path(QString(dir + name).toStdU16String()), error))
        throw EcolvarError(ioError(error ? error.value() : EEXIST));
}

// Renames the entry dir + from to dir + to; false when it cannot be renamed or the new name is
// taken, in any letter case. Never replaces an existing entry.
bool renameEntry(const QString& dir, const QString& from, const QString& to)
{
    if (from == to)
        return QFileInfo::exists(dir + from);
    if (holdsNameIgnoringCase(dir, to, anyEntry, from))
        return false;
    return QDir().rename(dir + from, dir + to);
}

// Adds the contents of dir (ending in a separator) to node. chain holds the canonical paths of
// the directories being listed above, so that a link leading back to one of them ends the walk.
void addContents(LibraryNode& node, const QString& dir, QStringList& chain)
{
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    if (canonical.isEmpty() || chain.contains(canonical))
        return;
    chain.append(canonical);

    // Regular files and directories only: no sockets, pipes or broken links.
    const QFileInfoList entries
        = QDir(dir).entryInfoList(QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
            QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isHidden()) {
            LibraryNode& folder = node.addChild(LibraryNode::Kind::Folder, entry.fileName());
            addContents(folder, dir + entry.fileName() + QDir::separator(), chain);
        }
    }
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir() && IsAudioSetFileName(entry.fileName()))
            node.addChild(LibraryNode::Kind::AudioSet, entry.fileName());
    }
    chain.removeLast();
}

} // namespace

LibraryNode& LibraryNode::addChild(Kind childKind, const QString& childCaption)
{
    auto child = std::make_unique<LibraryNode>();
    child->kind = childKind;
    child->caption = childCaption;
    child->parent = this;
    children.push_back(std::move(child));
    return *children.back();
}

bool IsAudioSetFileName(const QString& name)
{
    return endsWithAsciiNoCase(name, "mpl"_L1);
}

bool IsSetCaption(const QString& caption)
{
    return endsWithAsciiNoCase(caption, ".mpl"_L1);
}

PopupMenu1Items PopupMenu1Popup(const LibraryNode* selected, const PopupMenu1Items& current)
{
    if (!selected)
        return current;
    const bool set = IsSetCaption(selected->caption);
    return { .N2 = !set, .N4 = !set, .N5 = !set, .N3 = !set, .N7 = set, .N8 = set, .t1 = set };
}

LibraryTree::LibraryTree(Prompts& prompts, const QString& libraryDir)
    : m_prompts(prompts), m_libraryDir(withSeparator(libraryDir)),
      m_root(std::make_unique<LibraryNode>())
{
    m_root->caption = rootCaption;
}

void LibraryTree::RebuildLibraryTree()
{
    auto root = std::make_unique<LibraryNode>();
    root->caption = rootCaption;
    AddFolderContents(*root, m_libraryDir);
    m_root = std::move(root);
    if (m_rebuilt)
        m_rebuilt();
}

void LibraryTree::AddFolderContents(LibraryNode& node, const QString& dir)
{
    QStringList chain;
    addContents(node, withSeparator(dir), chain);
}

QString LibraryTree::NodePath(const LibraryNode& node) const
{
    QStringList captions;
    for (const LibraryNode* n = &node; n->parent; n = n->parent)
        captions.prepend(n->caption);
    QString path = m_libraryDir;
    for (const QString& caption : captions)
        path += caption + QDir::separator();
    return path;
}

QString LibraryTree::SetFilePath(const LibraryNode& node) const
{
    return withoutFinalSeparator(NodePath(node));
}

void LibraryTree::N2Click(const LibraryNode* selected)
{
    if (!selected) {
        m_prompts.information(u"请选择相应节点"_s);
        return;
    }
    const QString name = m_prompts.input(u"请输入文件夹名称:"_s);
    if (name.isEmpty())
        return;
    refuseUnsafeName(name);
    createFolder(NodePath(*selected), name);
    RebuildLibraryTree();
}

void LibraryTree::N4Click(const LibraryNode* selected)
{
    if (!selected)
        return;
    if (m_prompts.confirm(u"将删除此目录下所有文件及子目录，是否继续？"_s)) {
        // The root empties the library but keeps LibraryDir, so folders can be added again.
        if (!selected->parent)
            DeleteDirContents(m_libraryDir);
        else
            DeleteDirTree(SetFilePath(*selected));
    }
    RebuildLibraryTree();
}

void LibraryTree::N5Click(const LibraryNode* selected)
{
    if (!selected)
        return;
    const QString oldName = selected->caption;
    const QString newName = m_prompts.input(u"请输入新的名称"_s);
    if (newName.isEmpty())
        return;
    refuseUnsafeName(newName);
    // The root's caption names no directory: renaming it always fails, and never touches
    // whatever lies beside the program under that name.
    if (!selected->parent || !renameEntry(NodePath(*selected->parent), oldName, newName)) {
        m_prompts.information(u"重命名失败"_s);
        return;
    }
    RebuildLibraryTree();
}

void LibraryTree::N3Click(const LibraryNode* selected)
{
    if (!selected) {
        m_prompts.information(u"请选择相应节点"_s);
        return;
    }
    const QString name = m_prompts.input(u"请输入音频文件集名称:"_s);
    if (name.isEmpty())
        return;
    refuseUnsafeName(name);
    const QString dir = NodePath(*selected);
    const QString fileName = name + setExtension;
    if (holdsNameIgnoringCase(dir, fileName, QDir::Files | QDir::System)) {
        m_prompts.information(u"此目录下已存在此文件"_s);
        return;
    }
    // An empty set; a set that cannot be created (no such folder, a directory of that name)
    // simply does not appear.
    QFile file(dir + fileName);
    (void)file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    file.close();
    RebuildLibraryTree();
}

void LibraryTree::N7Click(const LibraryNode* selected)
{
    if (!selected)
        return;
    const QString path = SetFilePath(*selected);
    if (!m_prompts.confirm(u"确实要删除吗？"_s))
        return;
    QFile::remove(path); // a link itself, never its target; a failure is not reported
    RebuildLibraryTree();
}

void LibraryTree::N8Click(const LibraryNode* selected)
{
    if (!selected)
        return;
    const QString oldName = selected->caption;
    const QString newName = m_prompts.input(u"请输入新的名称"_s);
    if (newName.isEmpty())
        return;
    refuseUnsafeName(newName);
    // The extension is always appended; a failed rename is not reported.
    if (selected->parent)
        renameEntry(NodePath(*selected->parent), oldName, newName + setExtension);
    RebuildLibraryTree();
}

} // namespace ecolvar
