#include "libraryfixture.h"

#include "qtprinters.h"

#include <cerrno>
#include <functional>

using namespace Qt::StringLiterals;

namespace ecolvar::test {
namespace {

using Kind = ScriptedPrompts::Kind;

QString ioError(int code)
{
    return u"I/O error %1"_s.arg(code);
}

class LibraryTreeTest : public LibraryFixture { };

TEST_F(LibraryTreeTest, FoldersComeBeforeSetsEachByNameAndHiddenFoldersAreLeftOut)
{
    make(u"b/"_s);
    make(u"English/Book2/Lesson1.mpl"_s);
    make(u"English/.cache/inside.mpl"_s);
    make(u"English/notes.txt"_s);
    make(u"English/a.mpl"_s);
    make(u"z.mpl"_s);
    make(u"Lesson.MPL"_s);
    make(u"examplempl"_s);
    make(u".hidden.mpl"_s);
    make(u"mp"_s);
    tree.RebuildLibraryTree();

    EXPECT_EQ(shape(),
        u"Ecolvar:0[b:1 English:1[Book2:1[Lesson1.mpl:2] a.mpl:2] "
        u".hidden.mpl:2 examplempl:2 Lesson.MPL:2 z.mpl:2]"_s);
    EXPECT_EQ(rebuilds, 1);
}

TEST_F(LibraryTreeTest, SetsDirectlyInTheLibraryAreChildrenOfTheRoot)
{
    make(u"only.mpl"_s);
    tree.RebuildLibraryTree();
    EXPECT_EQ(shape(), u"Ecolvar:0[only.mpl:2]"_s);

    QDir(lib()).removeRecursively();
    tree.RebuildLibraryTree();
    EXPECT_EQ(shape(), u"Ecolvar:0"_s);
}

TEST_F(LibraryTreeTest, TheTwoSetTestsDiffer)
{
    for (const QString& name : { u"Lesson.MPL"_s, u"a.mpl"_s, u"examplempl"_s, u"MPL"_s })
        EXPECT_TRUE(IsAudioSetFileName(name)) << name.toStdString();
    for (const QString& name : { u"pl"_s, u"a.mp"_s, u"a.mpl "_s, u"a.ｍpl"_s })
        EXPECT_FALSE(IsAudioSetFileName(name)) << name.toStdString();

    for (const QString& caption : { u"Lesson.MPL"_s, u"old.mpl"_s, u".mpl"_s, u"x.mPl"_s })
        EXPECT_TRUE(IsSetCaption(caption)) << caption.toStdString();
    for (const QString& caption : { u"examplempl"_s, u"Ecolvar"_s, u"mpl"_s, u"a.mpl.txt"_s })
        EXPECT_FALSE(IsSetCaption(caption)) << caption.toStdString();
}

TEST_F(LibraryTreeTest, NodePathEndsInASeparatorAndSetPathsDropIt)
{
    make(u"English/Book2/Lesson1.mpl"_s);
    tree.RebuildLibraryTree();
    const QChar sep = QDir::separator();
    EXPECT_EQ(tree.NodePath(tree.root()), lib());
    EXPECT_EQ(tree.NodePath(at(u"English/Book2"_s)), lib() + u"English"_s + sep + u"Book2"_s + sep);
    const LibraryNode& set = at(u"English/Book2/Lesson1.mpl"_s);
    EXPECT_EQ(tree.NodePath(set), lib() + u"English%1Book2%1Lesson1.mpl%1"_s.arg(sep));
    EXPECT_EQ(tree.SetFilePath(set), lib() + u"English%1Book2%1Lesson1.mpl"_s.arg(sep));
    EXPECT_TRUE(QFileInfo(tree.SetFilePath(set)).isFile());
}

TEST_F(LibraryTreeTest, ContextMenuEnablesTheItemsThatFitTheNode)
{
    make(u"Book/Lesson.MPL"_s);
    make(u"examplempl"_s);
    make(u"old.mpl/"_s);
    tree.RebuildLibraryTree();

    const PopupMenu1Items setItems { false, false, false, false, true, true, true };
    const PopupMenu1Items folderItems { true, true, true, true, false, false, false };
    const PopupMenu1Items mixed { true, false, true, false, true, false, true };
    EXPECT_EQ(PopupMenu1Popup(&at(u"Book/Lesson.MPL"_s), mixed), setItems);
    EXPECT_EQ(PopupMenu1Popup(&at(u"old.mpl"_s), mixed), setItems);
    EXPECT_EQ(PopupMenu1Popup(&at(u"examplempl"_s), mixed), folderItems);
    EXPECT_EQ(PopupMenu1Popup(&at(u"Book"_s), mixed), folderItems);
    EXPECT_EQ(PopupMenu1Popup(&tree.root(), mixed), folderItems);
    EXPECT_EQ(PopupMenu1Popup(nullptr, mixed), mixed);
    EXPECT_EQ(PopupMenu1Items(), PopupMenu1Items({ true, true, true, true, true, true, true }));
}

TEST_F(LibraryTreeTest, AddFolderCreatesItInsideTheSelectedNode)
{
    make(u"English/"_s);
    tree.RebuildLibraryTree();
    prompts.answerInput(u"Book 1"_s);
    tree.N2Click(&at(u"English"_s));
    EXPECT_TRUE(QFileInfo(lib() + u"English/Book 1"_s).isDir());
    EXPECT_EQ(shape(), u"Ecolvar:0[English:1[Book 1:1]]"_s);
    EXPECT_EQ(prompts.texts(Kind::Input), QStringList({ u"请输入文件夹名称:"_s }));

    prompts.answerInput(u"Top"_s);
    tree.N2Click(&tree.root());
    EXPECT_TRUE(QFileInfo(lib() + u"Top"_s).isDir());
    EXPECT_EQ(rebuilds, 3);
}

TEST_F(LibraryTreeTest, AddFolderStopsWithoutANodeOrAName)
{
    tree.N2Click(nullptr);
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ u"请选择相应节点"_s }));
    EXPECT_TRUE(prompts.texts(Kind::Input).isEmpty());

    tree.RebuildLibraryTree();
    prompts.answerInput(QString());
    tree.N2Click(&tree.root());
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(QDir(lib()).isEmpty());
}

TEST_F(LibraryTreeTest, AddFolderReportsTheInputOutputErrorAndDoesNotRebuild)
{
    make(u"English/"_s);
    make(u"file.txt"_s);
    tree.RebuildLibraryTree();
    const auto addFolder = [this](const QString& name, const QString& parent = {}) {
        prompts.answerInput(name);
        const LibraryNode& selected = at(parent);
        return errorOf([&] { tree.N2Click(&selected); });
    };

    EXPECT_EQ(addFolder(u"English"_s), ioError(EEXIST));
    EXPECT_EQ(addFolder(u"english"_s), ioError(EEXIST)); // as on case-blind file systems
    EXPECT_EQ(addFolder(u"file.txt"_s), ioError(EEXIST));
    for (const QString& unsafe : { u"."_s, u".."_s, u"../outside"_s, u"a/b"_s, u"a\\b"_s })
        EXPECT_EQ(addFolder(unsafe), ioError(EINVAL)) << unsafe.toStdString();
    EXPECT_EQ(rebuilds, 1);
    EXPECT_FALSE(QFileInfo::exists(programDir() + u"outside"_s));
    EXPECT_EQ(QDir(lib()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList({ u"English"_s, u"file.txt"_s }));

    // A library removed behind the program's back: the parent is missing.
    QDir(lib()).removeRecursively();
    EXPECT_EQ(addFolder(u"New"_s), ioError(ENOENT));
}

TEST_F(LibraryTreeTest, NamesTheFileSystemCannotHoldAreRefusedWithTheReason)
{
    make(u"Book/a.mpl"_s);
    tree.RebuildLibraryTree();
    // 85 three-byte characters are 255 bytes: a folder, but not a set once ".mpl" is added.
    const QString longest = QString(85, QChar(u'语'));
    const QString loneSurrogate = u"a"_s + QChar(0xD800) + u"b"_s;
    const auto run = [this](void (LibraryTree::*command)(const LibraryNode*), const QString& node,
                         const QString& name) {
        prompts.answerInput(name);
        const LibraryNode& selected = at(node);
        return errorOf([&] { (tree.*command)(&selected); });
    };
    EXPECT_EQ(run(&LibraryTree::N2Click, {}, longest), QString());
    const int rebuildsBefore = rebuilds;
    for (const auto& [command, node] :
        { std::pair { &LibraryTree::N2Click, QString() }, { &LibraryTree::N5Click, u"Book"_s },
            { &LibraryTree::N3Click, QString() }, { &LibraryTree::N8Click, u"Book/a.mpl"_s } }) {
        const bool set = command == &LibraryTree::N3Click || command == &LibraryTree::N8Click;
        const QString tooLong = set ? longest : longest + u"x"_s;
        EXPECT_EQ(run(command, node, tooLong),
            u"名称太长：文件名最多 255 字节，此名称有 %1 字节"_s.arg(set ? 259 : 256));
        EXPECT_EQ(run(command, node, loneSurrogate),
            u"名称中含有无法用作文件名的字符（不成对的代理项）"_s);
    }
    EXPECT_EQ(rebuilds, rebuildsBefore);
    EXPECT_EQ(QDir(lib()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList({ u"Book"_s, longest }));
    EXPECT_TRUE(exists(u"Book/a.mpl"_s));
}

TEST_F(LibraryTreeTest, DeleteFolderAsksAndRebuildsAfterEitherAnswer)
{
    make(u"English/Book/a.mpl"_s);
    make(u"English/.hidden/x"_s);
    make(u"Keep/"_s);
    tree.RebuildLibraryTree();

    prompts.answerConfirm(false);
    tree.N4Click(&at(u"English"_s));
    EXPECT_TRUE(exists(u"English/Book/a.mpl"_s));
    EXPECT_EQ(rebuilds, 2);
    EXPECT_EQ(prompts.texts(Kind::Confirm),
        QStringList({ u"将删除此目录下所有文件及子目录，是否继续？"_s }));

    prompts.answerConfirm(true);
    tree.N4Click(&at(u"English"_s));
    EXPECT_FALSE(exists(u"English"_s));
    EXPECT_EQ(shape(), u"Ecolvar:0[Keep:1]"_s);
    EXPECT_EQ(rebuilds, 3);

    tree.N4Click(nullptr);
    EXPECT_EQ(rebuilds, 3);
}

TEST_F(LibraryTreeTest, DeletingTheRootEmptiesTheLibraryButKeepsItsDirectory)
{
    make(u"English/Book/a.mpl"_s);
    make(u".hidden/x"_s);
    make(u"top.mpl"_s);
    tree.RebuildLibraryTree();
    prompts.answerConfirm(true);
    tree.N4Click(&tree.root());
    EXPECT_TRUE(QFileInfo(lib()).isDir());
    EXPECT_TRUE(QDir(lib()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_EQ(shape(), u"Ecolvar:0"_s);

    prompts.answerInput(u"Again"_s);
    tree.N2Click(&tree.root());
    EXPECT_EQ(shape(), u"Ecolvar:0[Again:1]"_s);
}

TEST_F(LibraryTreeTest, DeletingNeverFollowsLinks)
{
    QTemporaryDir outside;
    writeFile(outside.filePath(u"keep/song.mp3"_s), "data");
    writeFile(outside.filePath(u"set.mpl"_s), "line\r\n");
    make(u"Linked/"_s);
    ASSERT_TRUE(QFile::link(outside.filePath(u"keep"_s), lib() + u"Linked/inner"_s));
    ASSERT_TRUE(QFile::link(outside.filePath(u"keep"_s), lib() + u"Shortcut"_s));
    ASSERT_TRUE(QFile::link(outside.filePath(u"set.mpl"_s), lib() + u"Linked.mpl"_s));
    tree.RebuildLibraryTree();
    EXPECT_EQ(shape(), u"Ecolvar:0[Linked:1[inner:1] Shortcut:1 Linked.mpl:2]"_s);

    // The folder node that is a link: the link goes, what it points to stays.
    prompts.answerConfirm(true).answerConfirm(true).answerConfirm(true);
    tree.N4Click(&at(u"Shortcut"_s));
    EXPECT_FALSE(exists(u"Shortcut"_s));
    tree.N7Click(&at(u"Linked.mpl"_s));
    EXPECT_FALSE(exists(u"Linked.mpl"_s));
    tree.N4Click(&tree.root());
    EXPECT_TRUE(
        QDir(lib()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    EXPECT_EQ(readFile(outside.filePath(u"keep/song.mp3"_s)), "data");
    EXPECT_EQ(readFile(outside.filePath(u"set.mpl"_s)), "line\r\n");
}

TEST_F(LibraryTreeTest, EveryDirectoryIsShownOnceAndLinksNeverHideTheRealFolder)
{
    make(u"A/B/deep.mpl"_s);
    make(u"z/real.mpl"_s);
    make(u".hidden/kept.mpl"_s);
    ASSERT_TRUE(QFile::link(lib() + u"A"_s, lib() + u"A/B/back"_s));
    ASSERT_TRUE(QFile::link(lib(), lib() + u"A/root"_s));
    ASSERT_TRUE(QFile::link(lib() + u"A/B"_s, lib() + u"twin"_s));
    // Listed before the folder it points to, yet the folder keeps its contents.
    ASSERT_TRUE(QFile::link(lib() + u"z"_s, lib() + u"a-link"_s));
    // The only way to a hidden folder: the link shows it.
    ASSERT_TRUE(QFile::link(lib() + u".hidden"_s, lib() + u"shown"_s));
    tree.RebuildLibraryTree();
    EXPECT_EQ(shape(),
        u"Ecolvar:0[A:1[B:1[back:1 deep.mpl:2] root:1] a-link:1 shown:1[kept.mpl:2] twin:1 "
        u"z:1[real.mpl:2]]"_s);
}

TEST_F(LibraryTreeTest, LinksOutOfTheLibraryAndFanOutsOfLinksStayFlat)
{
    // A link to the file system's root, and a link to a sibling of the library.
    ASSERT_TRUE(QFile::link(QDir::rootPath(), lib() + u"everything"_s));
    writeFile(programDir() + u"beside/other.mpl"_s, "");
    ASSERT_TRUE(QFile::link(programDir() + u"beside"_s, lib() + u"beside"_s));
    // 24 levels, each directory with two links to the next: 2^24 paths, 24 directories.
    QString dir = lib() + u"fan"_s;
    for (int level = 0; level < 24; ++level) {
        const QString next = dir + u"/d"_s;
        ASSERT_TRUE(QDir().mkpath(next));
        ASSERT_TRUE(QFile::link(next, dir + u"/l1"_s));
        ASSERT_TRUE(QFile::link(next, dir + u"/l2"_s));
        dir = next;
    }
    tree.RebuildLibraryTree();

    EXPECT_EQ(describe(at(u"everything"_s)), u"everything:1"_s);
    EXPECT_EQ(describe(at(u"beside"_s)), u"beside:1"_s);
    int nodes = 0;
    std::function<void(const LibraryNode&)> count = [&](const LibraryNode& n) {
        ++nodes;
        for (const auto& child : n.children)
            count(*child);
    };
    count(tree.root());
    EXPECT_EQ(nodes, 1 + 2 + 1 + 24 * 3);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(LibraryTreeTest, TheDepthAndNodeLimitsAreEachReportedOnce)
{
    tree.setLimits({ .maxDepth = 10, .maxNodes = 200 });
    QString deep = lib() + u"deep"_s;
    for (int level = 1; level < 13; ++level)
        deep += u"/d"_s;
    ASSERT_TRUE(QDir().mkpath(deep));
    tree.RebuildLibraryTree();
    tree.RebuildLibraryTree();
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList { tree.depthLimitMessage() });
    const LibraryNode* n = &at(u"deep"_s);
    int depth = 1;
    for (; !n->children.empty(); n = n->children.front().get())
        ++depth;
    EXPECT_EQ(depth, 10);

    prompts.clear();
    QDir(lib()).removeRecursively();
    make(u"many/"_s);
    for (int i = 0; i < 300; ++i)
        writeFile(lib() + u"many/%1.mpl"_s.arg(i), "");
    tree.RebuildLibraryTree();
    tree.RebuildLibraryTree();
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList { tree.nodeLimitMessage() });
    EXPECT_EQ(at(u"many"_s).children.size(), std::size_t(199));
}

TEST_F(LibraryTreeTest, RenameFolder)
{
    make(u"Book/a.mpl"_s);
    make(u"Other/"_s);
    tree.RebuildLibraryTree();

    prompts.answerInput(u"Book 1"_s);
    tree.N5Click(&at(u"Book"_s));
    EXPECT_EQ(shape(), u"Ecolvar:0[Book 1:1[a.mpl:2] Other:1]"_s);
    EXPECT_EQ(prompts.texts(Kind::Input), QStringList({ u"请输入新的名称"_s }));

    prompts.answerInput(u"book 1"_s); // only the letter case changes
    tree.N5Click(&at(u"Book 1"_s));
    EXPECT_EQ(shape(), u"Ecolvar:0[book 1:1[a.mpl:2] Other:1]"_s);
    EXPECT_EQ(rebuilds, 3);

    prompts.answerInput(QString());
    tree.N5Click(&at(u"book 1"_s));
    tree.N5Click(nullptr);
    EXPECT_EQ(rebuilds, 3);
    EXPECT_TRUE(prompts.texts(Kind::Information).isEmpty());
}

TEST_F(LibraryTreeTest, AFailedFolderRenameSaysSoAndNeverReplacesAnything)
{
    make(u"Book/a.mpl"_s);
    make(u"Other/"_s);
    make(u"Taken/b.mpl"_s);
    tree.RebuildLibraryTree();
    for (const QString& name : { u"Other"_s, u"OTHER"_s, u"Taken"_s }) {
        prompts.answerInput(name);
        tree.N5Click(&at(u"Book"_s));
    }
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList(3, u"重命名失败"_s));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(exists(u"Book/a.mpl"_s));
    EXPECT_TRUE(exists(u"Taken/b.mpl"_s));

    prompts.answerInput(u"../Escaped"_s);
    EXPECT_EQ(errorOf([&] { tree.N5Click(&at(u"Book"_s)); }), ioError(EINVAL));
    EXPECT_TRUE(exists(u"Book"_s));
}

TEST_F(LibraryTreeTest, RenamingTheRootFailsAndLeavesTheProgramDirectoryAlone)
{
    // Even a directory named like the root's caption beside the library stays untouched.
    ASSERT_TRUE(QDir().mkpath(programDir() + u"Ecolvar"_s));
    tree.RebuildLibraryTree();
    prompts.answerInput(u"Renamed"_s);
    tree.N5Click(&tree.root());
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ u"重命名失败"_s }));
    EXPECT_TRUE(QFileInfo(programDir() + u"Ecolvar"_s).isDir());
    EXPECT_FALSE(QFileInfo::exists(programDir() + u"Renamed"_s));
    EXPECT_EQ(rebuilds, 1);
}

TEST_F(LibraryTreeTest, AddSetCreatesAnEmptyFile)
{
    make(u"Book/"_s);
    tree.RebuildLibraryTree();
    prompts.answerInput(u"Lesson1"_s);
    tree.N3Click(&at(u"Book"_s));
    EXPECT_EQ(prompts.texts(Kind::Input), QStringList({ u"请输入音频文件集名称:"_s }));
    EXPECT_EQ(QFileInfo(lib() + u"Book/Lesson1.mpl"_s).size(), 0);
    EXPECT_TRUE(QFileInfo(lib() + u"Book/Lesson1.mpl"_s).isFile());
    EXPECT_EQ(shape(), u"Ecolvar:0[Book:1[Lesson1.mpl:2]]"_s);

    tree.N3Click(nullptr);
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ u"请选择相应节点"_s }));
    prompts.answerInput(QString());
    tree.N3Click(&tree.root());
    EXPECT_EQ(rebuilds, 2);
}

TEST_F(LibraryTreeTest, AddSetRefusesANameTakenInAnyLetterCase)
{
    make(u"Lesson1.MPL"_s, "keep\r\n");
    tree.RebuildLibraryTree();
    prompts.answerInput(u"lesson1"_s);
    tree.N3Click(&tree.root());
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ u"此目录下已存在此文件"_s }));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(readFile(lib() + u"Lesson1.MPL"_s), "keep\r\n");
    EXPECT_EQ(QDir(lib()).entryList(QDir::Files), QStringList({ u"Lesson1.MPL"_s }));

    prompts.answerInput(u"sub/evil"_s);
    EXPECT_EQ(errorOf([&] { tree.N3Click(&tree.root()); }), ioError(EINVAL));
    EXPECT_EQ(rebuilds, 1);
}

TEST_F(LibraryTreeTest, ClosingADeleteQuestionDeletesNothing)
{
    make(u"English/Book/a.mpl"_s, "x\r\n");
    tree.RebuildLibraryTree();
    prompts.answerClosed().answerClosed();
    tree.N4Click(&at(u"English"_s));
    tree.N7Click(&at(u"English/Book/a.mpl"_s));
    EXPECT_EQ(prompts.texts(Kind::Confirm).size(), 2);
    EXPECT_TRUE(exists(u"English/Book/a.mpl"_s));
    EXPECT_EQ(shape(), u"Ecolvar:0[English:1[Book:1[a.mpl:2]]]"_s);
}

TEST_F(LibraryTreeTest, DeleteSetAsksAndKeepsEverythingOnNo)
{
    make(u"Book/Lesson1.mpl"_s, "x\r\n");
    tree.RebuildLibraryTree();
    prompts.answerConfirm(false);
    tree.N7Click(&at(u"Book/Lesson1.mpl"_s));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(exists(u"Book/Lesson1.mpl"_s));
    EXPECT_EQ(prompts.texts(Kind::Confirm), QStringList({ u"确实要删除吗？"_s }));

    prompts.answerConfirm(true);
    tree.N7Click(&at(u"Book/Lesson1.mpl"_s));
    EXPECT_FALSE(exists(u"Book/Lesson1.mpl"_s));
    EXPECT_EQ(shape(), u"Ecolvar:0[Book:1]"_s);

    tree.N7Click(nullptr);
    EXPECT_EQ(rebuilds, 2);
}

TEST_F(LibraryTreeTest, RenameSetAlwaysAppendsTheExtension)
{
    make(u"Lesson1.mpl"_s, "one\r\n");
    make(u"Taken.mpl"_s, "taken\r\n");
    tree.RebuildLibraryTree();
    prompts.answerInput(u"Lesson2.mpl"_s);
    tree.N8Click(&at(u"Lesson1.mpl"_s));
    EXPECT_EQ(shape(), u"Ecolvar:0[Lesson2.mpl.mpl:2 Taken.mpl:2]"_s);
    EXPECT_EQ(readFile(lib() + u"Lesson2.mpl.mpl"_s), "one\r\n");

    // A taken name (in any case) fails without a message, and the tree is rebuilt anyway.
    for (const QString& taken : { u"Taken"_s, u"TAKEN"_s }) {
        prompts.answerInput(taken);
        tree.N8Click(&at(u"Lesson2.mpl.mpl"_s));
    }
    EXPECT_EQ(rebuilds, 4);
    EXPECT_TRUE(prompts.texts(Kind::Information).isEmpty());
    EXPECT_EQ(readFile(lib() + u"Taken.mpl"_s), "taken\r\n");
    EXPECT_EQ(readFile(lib() + u"Lesson2.mpl.mpl"_s), "one\r\n");

    prompts.answerInput(QString());
    tree.N8Click(&at(u"Taken.mpl"_s));
    prompts.answerInput(u".."_s);
    EXPECT_EQ(errorOf([&] { tree.N8Click(&at(u"Taken.mpl"_s)); }), ioError(EINVAL));
    EXPECT_EQ(rebuilds, 4);
}

} // namespace
} // namespace ecolvar::test
