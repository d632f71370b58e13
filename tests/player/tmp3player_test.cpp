#include "core/ecolvarerror.h"
#include "playerrig.h"
#include "qtprinters.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;

// The located position: file index, offset in the file, timeline start of the file.
struct Located {
    int index, offset;
    qint64 start;
    bool operator==(const Located&) const = default;
};

void PrintTo(const Located& l, std::ostream* os)
{
    *os << "{file " << l.index << ", offset " << l.offset << ", start " << l.start << "}";
}

class TMp3PlayerTest : public test::PlayerRig {
protected:
    Located locate(double x)
    {
        player.LocateBarPos(x);
        return { player.CurFileIndex(), player.CurOffset(), player.CurFileStart() };
    }
};

TEST_F(TMp3PlayerTest, LoadDropsMissingUnreadableAndEmptyFilesAndLaysOutTheRest)
{
    const QString a = addFile(u"a.mp3"_s, 30'000);
    const QString missing = path(u"gone.mp3"_s);
    const QString broken1 = addFile(u"broken1.mp3"_s, 0);
    probe.addBrokenFile(broken1, u"bad header"_s);
    const QString empty = addFile(u"empty.wav"_s, 0);
    const QString b = addFile(u"b.mp3"_s, 10'000);
    const QString broken2 = addFile(u"broken2.mp3"_s, 0);
    probe.addBrokenFile(broken2, u"bad header"_s);

    loadListFiles({ a, missing, broken1, empty, b, broken2 });

    EXPECT_EQ(player.FileList(), QStringList({ a, b }));
    EXPECT_EQ(player.TotalLength(), 40'000);
    // Walked from the last file to the first, so the boxes come in that order.
    EXPECT_EQ(prompts.texts(Kind::Information),
        QStringList({ broken2 + u" 打不开"_s, broken1 + u" 打不开"_s }));
    EXPECT_EQ(view.sideLines, QStringList({ a, b }));
    EXPECT_EQ(bar.pieces, QList<qint64>({ 30'000, 10'000 }));
    EXPECT_TRUE(bar.piecesShown);
    EXPECT_EQ(bar.maximum, 400);
    EXPECT_EQ(view.positionText, u"位置：0:0:0/0:0:40"_s);
    EXPECT_FALSE(probe.isOpen());

    // The first file waits in the device, stopped, with 0 and 0 pending for the next play.
    EXPECT_EQ(device.openFile(), a);
    EXPECT_EQ(device.Mode(), ModeStopped);
    device.Seek(5'000);
    device.Play();
    EXPECT_EQ(device.calls().last(), u"Play 5000-30000"_s);
    EXPECT_FALSE(view.tick);
}

TEST_F(TMp3PlayerTest, ATimelineLongerThan596HoursKeepsEveryFile)
{
    // Three files of 243 hours: the total passes 2^31 ms and never wraps.
    const int hours243 = 243 * 3'600'000;
    const QString a = addFile(u"a.mp3"_s, hours243);
    const QString b = addFile(u"b.mp3"_s, hours243);
    const QString c = addFile(u"c.mp3"_s, hours243);
    loadListFiles({ a, b, c });
    EXPECT_EQ(player.FileList(), QStringList({ a, b, c }));
    EXPECT_EQ(player.TotalLength(), 3LL * hours243);
    EXPECT_EQ(bar.pieces.size(), 3);
    EXPECT_TRUE(prompts.shown().isEmpty());
}

TEST_F(TMp3PlayerTest, AListOfMissingFilesLoadsAsAnEmptyTimelineThatNothingPlays)
{
    view.positionText = u"位置：0:0:7/0:0:9"_s;
    bar.pieces = { 5'000 };
    loadListFiles({ path(u"x.mp3"_s), path(u"y.mp3"_s) });

    EXPECT_TRUE(player.FileList().isEmpty());
    EXPECT_EQ(player.TotalLength(), 0);
    EXPECT_TRUE(view.sideLines.isEmpty());
    EXPECT_TRUE(bar.pieces.isEmpty());
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(view.positionText, u"位置：0:0:7/0:0:9"_s);
    EXPECT_TRUE(prompts.shown().isEmpty());

    player.PlayFromBar();
    EXPECT_TRUE(device.calls().isEmpty());
    EXPECT_FALSE(view.tick);
    EXPECT_EQ(locate(200), (Located { 0, 0, 0 }));
}

TEST_F(TMp3PlayerTest, LocatesBarPositionsOnTheTimelineWithBoundariesInTheEarlierFile)
{
    loadList({ 30'000, 10'000 });
    EXPECT_EQ(locate(0), (Located { 0, 0, 0 }));
    EXPECT_EQ(locate(150), (Located { 0, 15'000, 0 }));
    EXPECT_EQ(locate(300), (Located { 0, 30'000, 0 }));
    EXPECT_EQ(locate(301), (Located { 1, 100, 30'000 }));
    EXPECT_EQ(locate(300.5), (Located { 1, 50, 30'000 }));
    EXPECT_EQ(locate(400), (Located { 1, 10'000, 30'000 }));
    // Past the end: the first file from its beginning.
    EXPECT_EQ(locate(401), (Located { 0, 0, 0 }));

    // Outside a repeat segment whose start is above 0: the segment's start.
    band(100, 350);
    EXPECT_EQ(locate(50), (Located { 0, 10'000, 0 }));
    EXPECT_EQ(locate(351), (Located { 0, 10'000, 0 }));
    EXPECT_EQ(locate(320), (Located { 1, 2'000, 30'000 }));
    band(0, 350);
    EXPECT_EQ(locate(360), (Located { 1, 6'000, 30'000 }));

    // A bar of width 0 never divides by zero.
    bar.width = 0;
    EXPECT_EQ(locate(10), (Located { 0, 0, 0 }));
}

TEST_F(TMp3PlayerTest, PlaysFromOneBarUnitAfterTheThumbInListMode)
{
    loadList({ 30'000, 10'000 });
    player.setBarPosition(300);
    player.PlayFromBar();
    EXPECT_EQ(player.CurFileIndex(), 1);
    EXPECT_EQ(player.CurOffset(), 100);
    EXPECT_EQ(player.CurFileStart(), 30'000);
    EXPECT_EQ(device.calls(),
        QStringList({ u"Close"_s, u"Open f1.mp3"_s, u"Seek 100"_s, u"Play 100-10000"_s,
            u"Play 100-10000"_s }));
    EXPECT_TRUE(view.tick);

    // A play in the file already open seeks in it; another file is opened.
    device.clearCalls();
    player.setBarPosition(350);
    player.PlayFromBar();
    EXPECT_EQ(device.calls(),
        QStringList({ u"Seek 5100"_s, u"Play 5100-10000"_s, u"Play 5100-10000"_s }));
    player.setBarPosition(0);
    player.PlayFromBar();
    EXPECT_EQ(device.calls().mid(3, 2), QStringList({ u"Close"_s, u"Open f0.mp3"_s }));
}

TEST_F(TMp3PlayerTest, PlayingFromTheEndOfAFileStartsTheNextOne)
{
    loadList({ 30'000, 10'000 });
    player.setBarPosition(299); // locates 300: the end of file 0
    player.PlayFromBar();
    EXPECT_EQ(device.openFile(), path(u"f1.mp3"_s));
    EXPECT_EQ(device.Position(), 0);
    EXPECT_EQ(player.CurFileStart(), 30'000);

    // The end of the last file has no successor: the device starts it over.
    player.setBarPosition(399);
    player.PlayFromBar();
    EXPECT_EQ(device.openFile(), path(u"f1.mp3"_s));
    EXPECT_EQ(player.CurOffset(), 10'000);
}

TEST_F(TMp3PlayerTest, AFileThatCannotBeOpenedWhenPlayingLeavesTheTimerOff)
{
    loadList({ 30'000, 10'000 });
    device.addBrokenFile(path(u"f1.mp3"_s), u"The file is gone"_s);
    player.setBarPosition(350);
    EXPECT_THROW(player.PlayFromBar(), EcolvarError);
    EXPECT_FALSE(view.tick);
}

TEST_F(TMp3PlayerTest, ProbeMeasuresWithTheSecondDeviceAndReportsWhatItCannotOpen)
{
    const QString good = addFile(u"good.mp3"_s, 12'345);
    const QString bad = addFile(u"bad.mp3"_s, 0);
    probe.addBrokenFile(bad, u"unsupported"_s);

    EXPECT_EQ(player.ProbeLength(good), 12'345);
    EXPECT_EQ(player.ProbeLength(path(u"none.mp3"_s)), 0);
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_EQ(player.ProbeLength(bad), 0);
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ bad + u" 打不开"_s }));
    EXPECT_FALSE(probe.isOpen());
    EXPECT_FALSE(device.isOpen());
}

} // namespace
} // namespace ecolvar
