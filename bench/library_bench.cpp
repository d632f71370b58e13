// The library's speed: rebuilding the tree of a large library, listing a large set with its
// file sizes, adding 1 000 files to it and removing 100 selected rows, each through the same
// handlers the main window runs (widgets included). The sweeps report how the time grows with
// the number of entries (BigO), which must stay linear.
//
//     cmake --preset bench && cmake --build --preset bench
//     build/bench/bench/bench_library

#include "core/prompts.h"
#include "library/librarypanel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

// Answers Yes to every question: adding appends.
class YesPrompts : public Prompts {
public:
    void information(const QString&) override { }
    bool confirm(const QString&, const QString&) override { return true; }
    QString input(const QString&) override { return {}; }
    void error(const QString&) override { }
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// 10 000 small audio files shared by every benchmark; set entries cycle through them.
const QStringList& audioFiles()
{
    static QTemporaryDir dir;
    static const QStringList files = [] {
        QStringList paths;
        for (int i = 0; i < 10000; ++i) {
            paths.append(dir.filePath(u"track%1.mp3"_s.arg(i, 5, 10, QChar(u'0'))));
            writeBytes(paths.last(), QByteArray(1024 + i % 4096, 'x'));
        }
        return paths;
    }();
    return files;
}

QByteArray setBytes(qsizetype entries)
{
    const QStringList& files = audioFiles();
    QByteArray bytes;
    for (qsizetype i = 0; i < entries; ++i)
        bytes += files.at(i % files.size()).toUtf8() + "\r\n";
    return bytes;
}

// A main window's tree, file list and menu items over a library in a temporary directory.
struct Panel {
    Panel()
    {
        for (QAction*& action : actions)
            action = new QAction(&tree);
        fileList.setColumnCount(4);
        tree.resize(300, 600);
        fileList.resize(500, 300);
        tree.show();
        fileList.show();
    }

    QString lib() const { return dir.path() + QDir::separator(); }

    void select(const QString& caption)
    {
        const QList<QTreeWidgetItem*> found
            = tree.findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty())
            qFatal("no node %s", qPrintable(caption));
        tree.clearSelection();
        found.first()->setSelected(true);
    }

    QTemporaryDir dir;
    YesPrompts prompts;
    QTreeWidget tree;
    QTreeWidget fileList;
    QStringList selectedFiles;
    QList<QAction*> actions { 7, nullptr };
    std::unique_ptr<LibraryPanel> panel;

    void create()
    {
        panel = std::make_unique<LibraryPanel>(prompts, lib(),
            LibraryPanel::Controls { &tree, &fileList, actions[0], actions[1], actions[2],
                actions[3], actions[4], actions[5], actions[6] },
            QList<QIcon>(), selectedFiles, nullptr);
        panel->RebuildLibraryTree();
    }
};

// 1 000 folders (50 at the top, 19 in each of them) with 10 sets in each: 10 000 sets.
void makeLibrary(const Panel& p)
{
    for (int top = 0; top < 50; ++top) {
        const QString topDir = p.lib() + u"Book%1/"_s.arg(top);
        for (int sub = 0; sub < 20; ++sub) {
            const QString folder = sub == 0 ? topDir : topDir + u"Unit%1/"_s.arg(sub);
            QDir().mkpath(folder);
            for (int set = 0; set < 10; ++set)
                writeBytes(folder + u"Lesson%1.mpl"_s.arg(set), {});
        }
    }
}

// The same library with hostile links beside it (argument 1): a link to the file system's root
// and a fan-out of 16 levels, each directory holding two links to the next.
void BM_RebuildLibraryTree(benchmark::State& state)
{
    Panel p;
    makeLibrary(p);
    if (state.range(0)) {
        QFile::link(QDir::rootPath(), p.lib() + u"everything"_s);
        QString dir = p.lib() + u"fan"_s;
        for (int level = 0; level < 16; ++level) {
            const QString next = dir + u"/d"_s;
            QDir().mkpath(next);
            QFile::link(next, dir + u"/l1"_s);
            QFile::link(next, dir + u"/l2"_s);
            dir = next;
        }
    }
    p.create();
    for (auto _ : state)
        p.panel->RebuildLibraryTree();
    state.counters["nodes"] = static_cast<double>(
        p.tree.findItems(u"*"_s, Qt::MatchWildcard | Qt::MatchRecursive).size());
}
BENCHMARK(BM_RebuildLibraryTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Clicking a set of n entries lists them with their sizes.
void BM_ListSet(benchmark::State& state)
{
    Panel p;
    writeBytes(p.lib() + u"Big.mpl"_s, setBytes(state.range(0)));
    p.create();
    p.select(u"Big.mpl"_s);
    for (auto _ : state)
        p.panel->TreeView1Click();
    if (p.fileList.topLevelItemCount() != state.range(0))
        state.SkipWithError("wrong number of rows");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ListSet)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// Adding 1 000 chosen files to a set of n entries (appended), the list refreshed.
void BM_AddFiles(benchmark::State& state)
{
    Panel p;
    const QByteArray before = setBytes(state.range(0));
    writeBytes(p.lib() + u"Big.mpl"_s, before);
    p.create();
    p.select(u"Big.mpl"_s);
    const QStringList chosen = audioFiles().mid(0, 1000);
    p.panel->setSelectFileDialog([&chosen](QStringList& files) { files = chosen; });
    for (auto _ : state) {
        state.PauseTiming();
        writeBytes(p.lib() + u"Big.mpl"_s, before);
        state.ResumeTiming();
        p.panel->t1Click();
    }
    if (p.fileList.topLevelItemCount() != state.range(0) + 1000)
        state.SkipWithError("wrong number of rows");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AddFiles)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// Removing n / 100 selected rows, spread over a set of n entries, the list refreshed.
void BM_RemoveRows(benchmark::State& state)
{
    Panel p;
    const qsizetype entries = state.range(0);
    const QByteArray before = setBytes(entries);
    writeBytes(p.lib() + u"Big.mpl"_s, before);
    p.create();
    p.select(u"Big.mpl"_s);
    for (auto _ : state) {
        state.PauseTiming();
        writeBytes(p.lib() + u"Big.mpl"_s, before);
        p.panel->TreeView1Click();
        for (qsizetype row = 0; row < entries; row += 100)
            p.fileList.topLevelItem(static_cast<int>(row))->setSelected(true);
        state.ResumeTiming();
        p.panel->N11Click();
    }
    if (p.fileList.topLevelItemCount() != entries - entries / 100)
        state.SkipWithError("wrong number of rows");
    state.SetComplexityN(entries);
}
BENCHMARK(BM_RemoveRows)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    audioFiles();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
