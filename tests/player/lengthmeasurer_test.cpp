#include "player/lengthmeasurer.h"

#include "memorycache.h"
#include "playerrig.h"
#include "qtprinters.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using test::MemoryCache;

// A probe of the worker's own over the files of a table shared read-only with the test; while
// the gate is closed, every open waits for it.
class Probes {
public:
    LengthMeasurer::ProbeFactory factory()
    {
        return [this] {
            ++made;
            auto probe = std::make_unique<GatedProbe>(gate);
            for (auto it = lengths.cbegin(); it != lengths.cend(); ++it)
                probe->addFile(it.key(), it.value());
            return probe;
        };
    }

    QHash<QString, int> lengths;
    std::atomic<int> made = 0;
    QSemaphore gate { 1'000'000 };

private:
    class GatedProbe : public test::FakeMediaDevice {
    public:
        explicit GatedProbe(QSemaphore& gate) : m_gate(gate) { }
        void Open() override
        {
            m_gate.acquire();
            m_gate.release();
            test::FakeMediaDevice::Open();
        }

    private:
        QSemaphore& m_gate;
    };
};

class LengthMeasurerTest : public test::PlayerRig {
protected:
    // A file on disk with some bytes, known to the probes with the given length.
    QString measuredFile(const QString& name, int lengthMs, const QByteArray& bytes = "x")
    {
        const QString file = path(name);
        test::writeFile(file, bytes);
        probes.lengths.insert(file, lengthMs);
        return file;
    }

    QList<int> run(const QStringList& paths)
    {
        QSignalSpy finished(&measurer, &LengthMeasurer::finished);
        measurer.start(paths);
        if (finished.isEmpty()) {
            EXPECT_TRUE(finished.wait(10'000));
        }
        QList<int> lengths;
        if (finished.isEmpty())
            return lengths;
        for (const MeasuredLength& length : finished.last().at(0).value<QList<MeasuredLength>>())
            lengths.append(length.error.isEmpty() ? length.lengthMs : -1);
        return lengths;
    }

    MemoryCache cache;
    Probes probes;
    LengthMeasurer measurer { probes.factory(), &cache };
};

TEST_F(LengthMeasurerTest, MeasuresOnceAndAgainOnlyWhenTheFileChanged)
{
    const QString a = measuredFile(u"a.mp3"_s, 1'000);
    const QString b = measuredFile(u"b.mp3"_s, 2'000);
    const QString broken = path(u"broken.mp3"_s);
    test::writeFile(broken, "?");
    QSignalSpy progress(&measurer, &LengthMeasurer::progress);

    EXPECT_EQ(run({ a, broken, b }), QList<int>({ 1'000, -1, 2'000 }));
    EXPECT_EQ(progress.last(), QVariantList({ 3, 3 }));
    // A probe per worker, not per file.
    const int probesMade = probes.made;
    EXPECT_GE(probesMade, 1);
    EXPECT_LE(probesMade, std::min(QThread::idealThreadCount(), 3));
    EXPECT_EQ(cache.size(), 2); // a file that failed is not remembered

    // Known now: answered at once, without a probe.
    probes.lengths[a] = 9'999;
    QSignalSpy finished(&measurer, &LengthMeasurer::finished);
    measurer.start({ a, b });
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(probes.made, probesMade);

    // Another size, or the same size with another time: measured again.
    test::writeFile(a, "longer");
    EXPECT_EQ(run({ a }), QList<int>({ 9'999 }));
    probes.lengths[b] = 7'000;
    QFile file(b);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(
        QFileInfo(b).lastModified().addSecs(-60), QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(run({ b }), QList<int>({ 7'000 }));
}

TEST_F(LengthMeasurerTest, AStartedRunCancelsTheOneInProgress)
{
    const QString a = measuredFile(u"a.mp3"_s, 1'000);
    const QString b = measuredFile(u"b.mp3"_s, 2'000);
    probes.gate.acquire(1'000'000);
    QSignalSpy finished(&measurer, &LengthMeasurer::finished);
    measurer.start({ a });
    measurer.start({ b });
    probes.gate.release(1'000'000);
    ASSERT_TRUE(finished.wait(10'000));
    QTest::qWait(100);
    ASSERT_EQ(finished.size(), 1);
    const auto lengths = finished.first().at(0).value<QList<MeasuredLength>>();
    ASSERT_EQ(lengths.size(), 1);
    EXPECT_EQ(lengths.first().lengthMs, 2'000);
}

TEST_F(LengthMeasurerTest, TheTimelineShowsItsFilesAtOnceAndPlaysTheFirstBeforeTheLengths)
{
    player.setMeasurer(&measurer);
    const QString a = measuredFile(u"a.mp3"_s, 30'000);
    const QString b = measuredFile(u"b.mp3"_s, 10'000);
    device.addFile(a, 30'000);
    device.addFile(b, 10'000);
    probes.gate.acquire(1'000'000);
    QSignalSpy finished(&measurer, &LengthMeasurer::finished);
    player.EnterListMode();
    QSignalSpy ready(&player, &TMp3Player::timelineReady);
    player.OpenList(u"课"_s, { a, b }, true);
    EXPECT_TRUE(player.isMeasuring());
    EXPECT_TRUE(ready.isEmpty());
    EXPECT_EQ(view.sideLines, QStringList({ a, b }));
    EXPECT_TRUE(bar.pieces.isEmpty());

    controls.SpeedButton1Click();
    EXPECT_EQ(device.openFile(), a);
    EXPECT_EQ(device.Mode(), ModePlaying);

    probes.gate.release(1'000'000);
    ASSERT_TRUE(finished.wait(10'000));
    EXPECT_FALSE(player.isMeasuring());
    EXPECT_EQ(ready.size(), 1);
    EXPECT_EQ(player.TotalLength(), 40'000);
    EXPECT_EQ(bar.pieces, QList<qint64>({ 30'000, 10'000 }));
    EXPECT_TRUE(view.statusTexts.contains(u"正在读取时长 2/2"_s));
    EXPECT_EQ(view.statusTexts.last(), QString());
    // Playing goes on undisturbed.
    EXPECT_EQ(device.Mode(), ModePlaying);
    EXPECT_EQ(device.openFile(), a);
}

TEST_F(LengthMeasurerTest, OpeningAnotherListLeavesNoStaleLengths)
{
    player.setMeasurer(&measurer);
    const QString a = measuredFile(u"a.mp3"_s, 30'000);
    const QString b = measuredFile(u"b.mp3"_s, 10'000);
    device.addFile(b, 10'000);
    probes.gate.acquire(1'000'000);
    QSignalSpy finished(&measurer, &LengthMeasurer::finished);
    player.EnterListMode();
    player.OpenList(u"one"_s, { a }, true);
    player.EnterListMode();
    player.OpenList(u"two"_s, { b }, true);
    probes.gate.release(1'000'000);
    ASSERT_TRUE(finished.wait(10'000));
    QTest::qWait(100);
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(player.FileList(), QStringList({ b }));
    EXPECT_EQ(player.SegLengths(), QList<qint64>({ 10'000 }));
    EXPECT_EQ(player.DocName(), u"two"_s);
}

TEST_F(LengthMeasurerTest, ATimelineOf700HoursTotalsAndLocatesRight)
{
    constexpr int hour = 3'600'000;
    QList<int> lengths(700, hour);
    loadList(lengths, 700);
    EXPECT_EQ(player.TotalLength(), 700LL * hour);
    EXPECT_EQ(view.positionText, u"位置：0:0:0/700:0:0"_s);
    player.LocateBarPos(699.5);
    EXPECT_EQ(player.CurFileIndex(), 699);
    EXPECT_EQ(player.CurOffset(), hour / 2);
    EXPECT_EQ(player.CurFileStart(), 699LL * hour);
}

} // namespace
} // namespace ecolvar
