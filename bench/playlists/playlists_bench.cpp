// The playlist database at the size of a large collection: 1 000 playlists holding 100 000
// entries, one of them (the playing list) 5 000 long. Measures the database work of start-up,
// of listing the playlists, of opening the long list into the player, of adding 1 000 files
// from the file list and of moving an entry up.
#include "core/prompts.h"
#include "playlists/lstquery.h"
#include "playlists/playinglist.h"
#include "playlists/playlistdatabase.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace ecolvar;

namespace {

constexpr int listCount = 1000;
constexpr int entryCount = 100000;
constexpr int longListLength = 5000;
const QString longList = u"听力 0000"_s;

class SilentPrompts : public Prompts {
public:
    void information(const QString&) override { }
    bool confirm(const QString&, const QString&) override { return false; }
    QString input(const QString&) override { return {}; }
    void error(const QString&) override { }
};

QString listName(int i)
{
    return u"听力 %1"_s.arg(i, 4, 10, QChar(u'0'));
}

// The database file, filled once for all benchmarks.
const QString& databaseFile()
{
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString path = dir.filePath(u"vek.db"_s);
        PlaylistDatabase db(path);
        ScopedTransaction transaction(db);
        QSqlQuery lists(db.connection());
        lists.prepare(u"insert into LstFileTblM values(?, ?)"_s);
        for (int i = 0; i < listCount; ++i) {
            lists.addBindValue(listName(i));
            lists.addBindValue(i == 0 ? 1 : 0);
            lists.exec();
        }
        QSqlQuery entries(db.connection());
        entries.prepare(u"insert into LstFileTbl values(?, ?, ?, ?)"_s);
        const int perOtherList = (entryCount - longListLength) / (listCount - 1);
        int added = 0;
        for (int i = 0; i < listCount && added < entryCount; ++i) {
            const int length = i == 0 ? longListLength : perOtherList;
            for (int n = 1; n <= length && added < entryCount; ++n, ++added) {
                entries.addBindValue(n);
                entries.addBindValue(listName(i));
                entries.addBindValue(u"第%1课.mp3"_s.arg(n));
                // Directories that do not exist: the start-up check keeps their entries.
                entries.addBindValue(u"/media/课文/%1/"_s.arg(i));
                entries.exec();
            }
        }
        transaction.commit();
        return path;
    }();
    return file;
}

void BM_StartUp(benchmark::State& state)
{
    SilentPrompts prompts;
    for (auto _ : state) {
        PlaylistDatabase db(databaseFile());
        PlayingList playing(db, prompts);
        benchmark::DoNotOptimize(playing.CheckLstFiles(playing.GetPlayingLstName()));
        // The chooser and the start-up maintenance dialog fill their lists.
        benchmark::DoNotOptimize(playing.temqry().allLists());
        LstQuery qry1(db, u"qry1"_s);
        benchmark::DoNotOptimize(qry1.allLists());
        benchmark::DoNotOptimize(qry1.orderedPaths(listName(0)));
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

void BM_ListPlaylists(benchmark::State& state)
{
    PlaylistDatabase db(databaseFile());
    LstQuery temqry(db, u"temqry"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(temqry.allLists());
}
BENCHMARK(BM_ListPlaylists)->Unit(benchmark::kMillisecond);

void BM_OpenLongList(benchmark::State& state)
{
    PlaylistDatabase db(databaseFile());
    LstQuery temqry(db, u"temqry"_s);
    for (auto _ : state) {
        const QStringList files = temqry.orderedPaths(longList);
        if (files.size() != longListLength)
            state.SkipWithError("wrong length");
    }
}
BENCHMARK(BM_OpenLongList)->Unit(benchmark::kMillisecond);

void BM_Add1000Files(benchmark::State& state)
{
    PlaylistDatabase db(databaseFile());
    SilentPrompts prompts;
    PlayingList playing(db, prompts);
    QList<FileListRow> rows;
    for (int i = 0; i < 1000; ++i)
        rows.append({ u"新文件 %1.mp3"_s.arg(i), {}, u"/media/新/"_s });
    for (auto _ : state) {
        playing.AddFilesToLst(longList, rows);
        state.PauseTiming();
        QSqlQuery(u"delete from LstFileTbl where FilePath = '/media/新/'"_s, db.connection());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Add1000Files)->Unit(benchmark::kMillisecond);

void BM_MoveUp(benchmark::State& state)
{
    PlaylistDatabase db(databaseFile());
    LstQuery qry1(db, u"qry1"_s);
    const QString a = u"/media/课文/0/第2500课.mp3"_s;
    const QString b = u"/media/课文/0/第2501课.mp3"_s;
    for (auto _ : state) {
        if (!qry1.swapPositions(longList, b, a))
            state.SkipWithError("entry not found");
    }
}
BENCHMARK(BM_MoveUp)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    databaseFile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
