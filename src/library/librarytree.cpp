#include "librarytree.h"

#include "core/commonprocs.h"
#include "core/ecolvarerror.h"
#include "core/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

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

// The longest name, in bytes of the file system's encoding, that file systems hold.
constexpr qsizetype maxNameBytes = 255;

// A name that would reach outside its folder, or name no entry of its own, is refused; so is a
// name the file system cannot hold, with the reason. extension is appended to the name on disk.
void refuseUnsafeName(const QString& name, const QString& extension = {})
{
    if (name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(u'\\')
        || name.contains(QChar(u'\0')))
        throw EcolvarError(ioError(EINVAL));
    if (!name.isValidUtf16())
        throw EcolvarError(u"名称中含有无法用作文件名的字符（不成对的代理项）"_s);
    const qsizetype bytes = QFile::encodeName(name + extension).size();
    if (bytes > maxNameBytes)
        throw EcolvarError(
            u"名称太长：文件名最多 %1 字节，此名称有 %2 字节"_s.arg(maxNameBytes).arg(bytes));
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

// What identifies a directory however it is reached: its device and inode where the platform
// has them (a bind mount of a directory above is caught too), else its canonical path. Empty
// when the directory cannot be reached.
QByteArray directoryIdentity(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return QByteArray::number(static_cast<quint64>(info.st_dev)) + ':'
        + QByteArray::number(static_cast<quint64>(info.st_ino));
#else
    return QFileInfo(path).canonicalFilePath().toUtf8();
#endif
}

// One walk of the library. Real directories are walked first, in listing order; links to
// directories are entered afterwards, in the order they were met, and only when they lead to a
// directory inside the library that no node shows yet. So every directory is listed once, a
// link never hides the contents of the real folder it points to, and a link leading out of the
// library (to "/", say) is a folder that does not expand.
class LibraryWalk {
public:
    LibraryWalk(const QString& libraryDir, LibraryTree::Limits limits)
        : m_library(QFileInfo(libraryDir).canonicalFilePath()), m_limits(limits)
    {
    }

    void run(LibraryNode& root, const QString& dir)
    {
        const QByteArray identity = directoryIdentity(dir);
        if (identity.isEmpty())
            return;
        m_visited.insert(identity);
        addContents(root, dir, 0);
        for (std::size_t i = 0; i < m_links.size(); ++i) {
            const PendingLink link = m_links[i];
            if (!insideLibrary(link.dir))
                continue;
            if (!m_visited.contains(link.identity)) {
                m_visited.insert(link.identity);
                addContents(*link.node, link.dir, link.depth);
            }
        }
    }

    bool depthLimitHit() const { return m_depthLimitHit; }
    bool nodeLimitHit() const { return m_nodeLimitHit; }

private:
    struct PendingLink {
        LibraryNode* node;
        QString dir;
        QByteArray identity;
        int depth;
    };

    bool insideLibrary(const QString& dir) const
    {
        const QString target = QFileInfo(dir).canonicalFilePath();
        return !m_library.isEmpty() && target.startsWith(m_library + u'/');
    }

    LibraryNode* add(LibraryNode& node, LibraryNode::Kind kind, const QString& caption)
    {
        if (m_nodes >= m_limits.maxNodes) {
            m_nodeLimitHit = true;
            return nullptr;
        }
        ++m_nodes;
        return &node.addChild(kind, caption);
    }

    // Adds the contents of dir (ending in a separator), a directory depth levels below the
    // library, to node.
    void addContents(LibraryNode& node, const QString& dir, int depth)
    {
        // Regular files and directories only: no sockets, pipes or broken links.
        const QFileInfoList entries = QDir(dir).entryInfoList(
            QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
            QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries) {
            if (!entry.isDir() || entry.isHidden())
                continue;
            LibraryNode* folder = add(node, LibraryNode::Kind::Folder, entry.fileName());
            if (!folder)
                return;
            const QString path = dir + entry.fileName() + QDir::separator();
            const QByteArray identity = directoryIdentity(path);
            if (identity.isEmpty())
                continue;
            if (depth + 1 >= m_limits.maxDepth) {
                m_depthLimitHit = true;
                continue;
            }
            if (entry.isSymLink())
                m_links.push_back({ folder, path, identity, depth + 1 });
            else if (!m_visited.contains(identity)) {
                m_visited.insert(identity);
                addContents(*folder, path, depth + 1);
            }
        }
        for (const QFileInfo& entry : entries) {
            if (!entry.isDir() && IsAudioSetFileName(entry.fileName())
                && !add(node, LibraryNode::Kind::AudioSet, entry.fileName()))
                return;
        }
    }

    QString m_library;
    LibraryTree::Limits m_limits;
    QSet<QByteArray> m_visited;
    std::vector<PendingLink> m_links;
    int m_nodes = 0;
    bool m_depthLimitHit = false;
    bool m_nodeLimitHit = false;
};

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
    LibraryWalk walk(m_libraryDir, m_limits);
    walk.run(*root, m_libraryDir);
    m_root = std::move(root);
    if (m_rebuilt)
        m_rebuilt();
    // Once each: the limit stays hit at every later rebuild until the library shrinks.
    if (walk.nodeLimitHit() && !m_nodeLimitShown) {
        m_nodeLimitShown = true;
        m_prompts.information(nodeLimitMessage());
    }
    if (walk.depthLimitHit() && !m_depthLimitShown) {
        m_depthLimitShown = true;
        m_prompts.information(depthLimitMessage());
    }
}

QString LibraryTree::nodeLimitMessage() const
{
    return u"素材库中的文件夹和音频文件集超过 %1 个，只显示了前 %1 个"_s.arg(m_limits.maxNodes);
}

QString LibraryTree::depthLimitMessage() const
{
    return u"素材库中的文件夹超过 %1 层，更深的文件夹没有显示"_s.arg(m_limits.maxDepth);
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
    refuseUnsafeName(name, setExtension);
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
    refuseUnsafeName(newName, setExtension);
    // The extension is always appended; a failed rename is not reported.
    if (selected->parent)
        renameEntry(NodePath(*selected->parent), oldName, newName + setExtension);
    RebuildLibraryTree();
}

} // namespace ecolvar
