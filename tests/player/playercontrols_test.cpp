#include "core/ecolvarerror.h"
#include "playerrig.h"
#include "qtprinters.h"

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

using Kind = test::ScriptedPrompts::Kind;
using Controls = PlayerControls;

class PlayerControlsTest : public test::PlayerRig { };

// --- The tick in list mode --------------------------------------------------------------------

TEST_F(PlayerControlsTest, ListPlaysOnIntoTheNextFileAndStopsAtTheEndOfTheTimeline)
{
    loadList({ 30'000, 10'000 });
    device.addFile(path(u"f1.mp3"_s), 10'000, 1); // another format: the device cannot go on
    at(0, &Controls::SpeedButton1Click);
    EXPECT_EQ(device.openFile(), path(u"f0.mp3"_s));
    EXPECT_EQ(device.Position(), 100);
    EXPECT_TRUE(view.tick);

    play(3'000); // ten ticks
    EXPECT_EQ(bar.thumb(), (100 + 10 * 333) / 100);
    EXPECT_EQ(view.positionText, u"位置：0:0:3/0:0:40"_s);
    EXPECT_EQ(view.selectedLine, 0);

    // File 0 ends at 30 000 (bar 300): the tick opens the next file, from its beginning.
    play(27'000);
    EXPECT_EQ(device.openFile(), path(u"f1.mp3"_s));
    EXPECT_EQ(player.CurFileStart(), 30'000);
    EXPECT_EQ(player.CurOffset(), 0);
    EXPECT_TRUE(device.calls().contains(u"Seek 0"_s));
    EXPECT_TRUE(view.tick);
    play(333);
    EXPECT_EQ(view.selectedLine, 1);

    // The last file ends: thumb at the right end, the total on both sides, the timer off.
    play(20'000);
    EXPECT_EQ(bar.thumb(), 400);
    EXPECT_EQ(view.positionText, u"位置：0:0:40/0:0:40"_s);
    EXPECT_FALSE(view.tick);
    EXPECT_EQ(device.Mode(), ModeStopped);

    // Play again: past the end locates the first file from its beginning.
    controls.SpeedButton1Click();
    EXPECT_EQ(device.openFile(), path(u"f0.mp3"_s));
    EXPECT_EQ(device.Position(), 0);
    EXPECT_TRUE(view.tick);
}

TEST_F(PlayerControlsTest, AFileShorterThanOneBarUnitIsPlayedNotSteppedOver)
{
    loadList({ 30'000, 50, 9'950 });
    at(290, &Controls::SpeedButton1Click);
    play(1'500);
    EXPECT_TRUE(device.calls().contains(u"Move on f1.mp3"_s));
    EXPECT_EQ(device.openFile(), path(u"f2.mp3"_s));
    EXPECT_EQ(player.CurFileIndex(), 2);
}

TEST_F(PlayerControlsTest, AFileEndingOnTheBarsLastUnitStillMovesOnToTheNext)
{
    loadList({ 39'900, 100 }); // 100 ms a bar unit: file 0 ends on unit 399 of 400
    at(395, &Controls::SpeedButton1Click);
    play(666);
    EXPECT_EQ(player.CurFileIndex(), 1);
    EXPECT_EQ(device.openFile(), path(u"f1.mp3"_s));
    play(666);
    EXPECT_EQ(bar.thumb(), 400);
    EXPECT_FALSE(view.tick);
}

// Files of one format: the device goes on into the next file by itself, and the tick follows.
TEST_F(PlayerControlsTest, ListMovesOnIntoTheNextFileWithoutReopeningIt)
{
    loadList({ 1'000, 1'000, 1'000 }); // 7.5 ms a bar unit
    at(0, &Controls::SpeedButton1Click);
    EXPECT_EQ(device.Position(), 7);
    EXPECT_EQ(device.nextFile(), path(u"f1.mp3"_s));

    play(999); // file 0 ends during the third tick, 6 ms before its end
    // The first file was opened when the list was laid out: nothing is opened again.
    EXPECT_EQ(device.calls().filter(u"Open"_s), QStringList());
    EXPECT_TRUE(device.calls().contains(u"Move on f1.mp3"_s));
    EXPECT_EQ(device.Mode(), ModePlaying);
    EXPECT_EQ(player.CurFileIndex(), 1);
    EXPECT_EQ(player.CurFileStart(), 1'000);
    EXPECT_EQ(timelinePoint(), 1'006);
    EXPECT_EQ(bar.thumb(), 1'006 * 400 / 3'000);
    EXPECT_EQ(view.selectedLine, 1);
    EXPECT_EQ(device.nextFile(), path(u"f2.mp3"_s));

    // On into the last file; nothing follows it, and the timeline ends there.
    play(999);
    EXPECT_EQ(player.CurFileIndex(), 2);
    EXPECT_TRUE(device.nextFile().isEmpty());
    play(999);
    EXPECT_EQ(device.calls().filter(u"Open"_s), QStringList());
    EXPECT_EQ(bar.thumb(), 400);
    EXPECT_FALSE(view.tick);

    // A repeat segment keeps playing inside it: nothing is queued while it is set.
    at(0, &Controls::SpeedButton1Click);
    EXPECT_EQ(device.nextFile(), path(u"f1.mp3"_s));
    at(0, &Controls::SpeedButton6Click);
    at(120, &Controls::SpeedButton9Click);
    play(333);
    EXPECT_TRUE(device.nextFile().isEmpty());
    EXPECT_EQ(timelinePoint(), 7 + 333);

    // A new document empties the queue.
    at(0, &Controls::SpeedButton11Click);
    play(333);
    EXPECT_EQ(device.nextFile(), path(u"f1.mp3"_s));
    loadList({ 1'000 });
    EXPECT_TRUE(device.nextFile().isEmpty());
}

class ListRepeatTest : public PlayerControlsTest { };

TEST_F(ListRepeatTest, ASegmentAcrossTwoFilesReturnsToItsStartAfterPassingItsEnd)
{
    loadList({ 30'000, 30'000 }); // T = 60 000, W = 400: 150 ms a bar unit
    at(180, &Controls::SpeedButton6Click);
    at(220, &Controls::SpeedButton9Click);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:27  结束点：0:0:33"_s);
    EXPECT_TRUE(view.tick);

    // Stopped and outside the segment: the tick jumps to its start point exactly.
    play(333);
    EXPECT_EQ(device.Mode(), ModePlaying);
    EXPECT_EQ(timelinePoint(), 27'000);

    // While the segment plays in file 0, file 1 is queued: the device goes on into it by itself,
    // from its beginning and without a gap, every pass.
    EXPECT_EQ(device.nextFile(), path(u"f1.mp3"_s));
    const Seen seen = play(20'000);
    EXPECT_EQ(seen.low, 27'000);
    EXPECT_EQ(device.calls().count(u"Move on f1.mp3"_s), 3);
    EXPECT_FALSE(device.calls().contains(u"Seek 0"_s));
    // Runs past the end by up to a tick and a bar unit before jumping back.
    EXPECT_LE(seen.high, 33'000 + 333 + 150);
    EXPECT_GT(seen.high, 33'000);
    EXPECT_FALSE(device.loop());
    EXPECT_TRUE(view.tick);
}

TEST_F(ListRepeatTest, ASegmentInsideOneFileLoopsInTheDeviceAndNeverPlaysPastItsEnd)
{
    loadList({ 30'000, 30'000 }); // 150 ms a bar unit
    at(220, &Controls::SpeedButton6Click); // 33 000 ms, inside file 1
    at(240, &Controls::SpeedButton9Click); // 36 000 ms
    const Seen seen = play(20'000);
    EXPECT_EQ(seen.low, 33'000);
    EXPECT_LE(seen.high, 36'000);
    ASSERT_TRUE(device.loop());
    EXPECT_EQ(device.loop()->fromMs, 3'000);
    EXPECT_EQ(device.loop()->toMs, 6'000);
}

TEST_F(ListRepeatTest, AnEndBeforeTheStartRepeatsTheFirstTickAfterTheStart)
{
    loadList({ 30'000, 30'000 });
    at(210, &Controls::SpeedButton6Click);
    at(100, &Controls::SpeedButton9Click);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:31  结束点：0:0:15"_s);
    const Seen seen = play(10'000);
    EXPECT_EQ(seen.low, 31'500);
    EXPECT_LE(seen.high, 31'500 + 333);
    EXPECT_EQ(player.CurFileIndex(), 1);
}

TEST_F(ListRepeatTest, ASegmentStartingAtZeroIsEnforced)
{
    loadList({ 30'000, 30'000 });
    at(20, &Controls::SpeedButton9Click);
    const Seen seen = play(10'000);
    EXPECT_GE(seen.low, 0);
    EXPECT_LE(seen.high, 3'000);
    ASSERT_TRUE(device.loop());
    EXPECT_EQ(device.loop()->fromMs, 0);
}

TEST_F(PlayerControlsTest, DraggingTheThumbWhilePlayingHasNoLastingEffect)
{
    loadList({ 30'000, 30'000 });
    at(0, &Controls::SpeedButton1Click);
    play(999);
    player.setBarPosition(350);
    play(333);
    EXPECT_EQ(bar.thumb(), (150 + 4 * 333) / 150);
    EXPECT_EQ(player.CurFileIndex(), 0);
}

TEST_F(PlayerControlsTest, ReleasingTheThumbWhilePlayingPlaysOnFromThereInBothModes)
{
    loadList({ 30'000, 30'000 }); // 150 ms a bar unit
    at(0, &Controls::SpeedButton1Click);
    play(999);

    // While dragged, the tick leaves the thumb alone and the label shows the time under it.
    bar.dragging = true;
    player.setBarPosition(300);
    controls.TrackBarMoved(300);
    EXPECT_EQ(view.positionText, u"位置：0:0:45/0:1:0"_s);
    play(333);
    EXPECT_EQ(bar.thumb(), 300);
    bar.dragging = false;
    controls.TrackBarReleased();
    EXPECT_EQ(player.CurFileIndex(), 1);
    EXPECT_LE(timelinePoint() - 45'000, 150);
    EXPECT_EQ(device.Mode(), ModePlaying);
    play(333);
    EXPECT_EQ(bar.thumb(), (45'000 + 150 + 333) / 150);

    // Stopped, releasing only marks where the next play begins.
    controls.SpeedButton1Click();
    player.setBarPosition(100);
    controls.TrackBarReleased();
    EXPECT_EQ(device.Mode(), ModeStopped);

    loadSingle(u"talk.mp3"_s, 60'000);
    at(0, &Controls::SpeedButton1Click);
    play(999);
    player.setBarPosition(42);
    controls.TrackBarReleased();
    EXPECT_EQ(device.Position(), 42'000);
    EXPECT_EQ(device.Mode(), ModePlaying);
}

TEST_F(PlayerControlsTest, AnEmptyTimelineTickDoesNothing)
{
    loadListFiles({ path(u"missing.mp3"_s) });
    player.setState(TMp3Player::PlayState::Playing);
    controls.PlayTick();
    EXPECT_TRUE(device.calls().isEmpty());
}

// --- The tick in single-file mode -------------------------------------------------------------

TEST_F(PlayerControlsTest, SingleFileRepeatStartsWhenTheEndIsSetAndLoops)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    at(2, &Controls::SpeedButton6Click);
    EXPECT_EQ(device.PlayFrom(), 2'000);
    at(4, &Controls::SpeedButton9Click);
    EXPECT_EQ(device.PlayTo(), 4'000);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:2  结束点：0:0:4"_s);
    EXPECT_TRUE(view.tick);

    // The device stands at the end point: the next tick seeks to the start and plays the range.
    device.clearCalls();
    controls.PlayTick();
    EXPECT_EQ(device.calls(), QStringList({ u"Seek 2000"_s, u"Play 2000-4000"_s }));
    play(1'332);
    EXPECT_EQ(view.positionText, u"位置：0:0:3/0:0:10"_s);
    EXPECT_EQ(bar.thumb(), 3);

    // The device loops the segment itself: never past the end point, and no seek once looping.
    device.clearCalls();
    const Seen seen = play(20'000);
    EXPECT_GE(seen.low, 2'000);
    EXPECT_LT(seen.low, 2'000 + 333);
    EXPECT_LT(seen.high, 4'000);
    EXPECT_GE(seen.high, 4'000 - 333);
    EXPECT_TRUE(device.calls().isEmpty());
    ASSERT_TRUE(device.loop());
    EXPECT_EQ(device.loop()->fromMs, 2'000);
    EXPECT_EQ(device.loop()->toMs, 4'000);

    // Cancelled, the segment no longer loops.
    controls.SpeedButton11Click();
    EXPECT_FALSE(device.loop());
}

TEST_F(PlayerControlsTest, SingleFileRepeatWithTheEndBeforeTheStartOrNoEnd)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    at(4, &Controls::SpeedButton6Click);
    at(2, &Controls::SpeedButton9Click);
    const Seen seen = play(5'000);
    EXPECT_EQ(seen.low, 4'000);
    EXPECT_LE(seen.high, 4'333);

    // A start point with no end point enforces nothing: the file plays on to its end.
    controls.SpeedButton2Click();
    controls.SpeedButton11Click();
    at(1, &Controls::SpeedButton6Click);
    controls.SpeedButton1Click();
    play(12'000);
    EXPECT_EQ(device.Position(), 10'000);
    EXPECT_EQ(view.positionText, u"位置：0:0:10/0:0:10"_s);
    EXPECT_TRUE(view.tick); // single-file mode leaves the timer running at the end
}

TEST_F(PlayerControlsTest, SingleFileSegmentStartingAtZero)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    at(0, &Controls::SpeedButton6Click);
    at(3, &Controls::SpeedButton9Click);
    const Seen seen = play(10'000);
    EXPECT_EQ(seen.low, 0);
    EXPECT_LE(seen.high, 3'000 + 333);
}

// --- The buttons ------------------------------------------------------------------------------

TEST_F(PlayerControlsTest, PlayAndSetEndNeedAnOpenDocument)
{
    controls.SpeedButton1Click();
    controls.SpeedButton9Click();
    EXPECT_EQ(prompts.texts(Kind::Information),
        QStringList({ u"没有打开任何文件，无法播放"_s, u"没有打开任何文件，无法执行此操作"_s }));
    EXPECT_FALSE(view.tick);
    EXPECT_EQ(view.segmentText, u"(unset)"_s);
    EXPECT_TRUE(device.calls().isEmpty());

    // Without a file the device reports it; the handler ends there.
    player.setBarPosition(5);
    EXPECT_THROW(controls.SpeedButton2Click(), EcolvarError);
    EXPECT_EQ(bar.thumb(), 5);
}

TEST_F(PlayerControlsTest, AFileNameWithoutADotLoadsButCountsAsNothingOpen)
{
    loadSingle(u"README"_s, 5'000);
    EXPECT_EQ(player.FileList(), QStringList({ path(u"README"_s) }));
    EXPECT_TRUE(player.DocName().isEmpty());
    EXPECT_TRUE(device.isOpen());
    controls.SpeedButton1Click();
    EXPECT_EQ(prompts.texts(Kind::Information), QStringList({ u"没有打开任何文件，无法播放"_s }));
}

TEST_F(PlayerControlsTest, SingleFilePlayPauseAndStop)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    at(3, &Controls::SpeedButton1Click);
    EXPECT_EQ(device.calls(),
        QStringList({ u"Seek 3000"_s, u"Play 3000-10000"_s, u"Play 3000-10000"_s, u"Seek 3000"_s,
            u"Play 3000-10000"_s }));
    EXPECT_TRUE(view.tick);

    device.clearCalls();
    controls.SpeedButton1Click(); // pause = stop
    EXPECT_EQ(device.calls(), QStringList({ u"Stop"_s }));
    EXPECT_FALSE(view.tick);

    play(333);
    controls.SpeedButton2Click();
    EXPECT_EQ(bar.thumb(), 0);
    EXPECT_FALSE(view.tick);
}

TEST_F(PlayerControlsTest, ListModeSetAndShiftFollowTheTimelineScale)
{
    loadList({ 30'000, 30'000 }); // T = 60 000, W = 400
    at(100, &Controls::SpeedButton6Click);
    EXPECT_EQ(player.SegStartMs(), 15'000);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:15  结束点：0:0:0"_s);
    controls.SpeedButton7Click();
    EXPECT_EQ(player.SegStartMs(), 16'000);
    EXPECT_EQ(player.SelStart(), 106);

    player.setRepeatSegment(player.SegStartMs(), 59'800);
    controls.SpeedButton10Click();
    EXPECT_EQ(player.SegEndMs(), 60'003);
    EXPECT_EQ(player.SelEnd(), 400);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:16  结束点：0:1:0"_s);

    player.setRepeatSegment(500, player.SegEndMs());
    controls.SpeedButton5Click();
    EXPECT_EQ(player.SegStartMs(), 0);
    EXPECT_EQ(player.SelStart(), 0);
    controls.SpeedButton7Click();
    EXPECT_EQ(player.SegStartMs(), 1'000);
    EXPECT_EQ(player.SelStart(), 6);

    player.setRepeatSegment(player.SegStartMs(), 300);
    controls.SpeedButton8Click();
    EXPECT_EQ(player.SegEndMs(), 0);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:1  结束点：0:0:0"_s);
    // Shifting in list mode never touches the device or the timer.
    EXPECT_TRUE(device.calls().isEmpty());
    EXPECT_FALSE(view.tick);

    // Cancelling clears the bar and the device points but keeps the remembered values.
    player.setRepeatSegment(player.SegStartMs(), 30'000);
    controls.SpeedButton11Click();
    EXPECT_EQ(player.SelStart(), 0);
    EXPECT_EQ(player.SelEnd(), 0);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:0  结束点：0:0:0"_s);
    controls.SpeedButton10Click();
    EXPECT_EQ(player.SegEndMs(), 31'000);
    EXPECT_EQ(player.SelEnd(), 206);
}

TEST_F(PlayerControlsTest, ListModeSetAndShiftDoNothingOnAnEmptyTimelineOrABarOfWidthZero)
{
    const auto pressAll = [this] {
        for (auto handler : { &Controls::SpeedButton5Click, &Controls::SpeedButton6Click,
                 &Controls::SpeedButton7Click, &Controls::SpeedButton8Click,
                 &Controls::SpeedButton9Click, &Controls::SpeedButton10Click })
            at(7, handler);
    };
    player.setRepeatSegment(2'000, 4'000);
    const QString shown = view.segmentText;

    loadListFiles({ path(u"missing.mp3"_s) });
    pressAll();
    EXPECT_EQ(player.SegStartMs(), 2'000);
    EXPECT_EQ(player.SegEndMs(), 4'000);
    EXPECT_EQ(player.SelStart(), 0);
    EXPECT_EQ(view.segmentText, shown);
    EXPECT_FALSE(view.tick);

    loadList({ 10'000 });
    bar.width = 0;
    pressAll();
    EXPECT_EQ(player.SegStartMs(), 2'000);
    EXPECT_EQ(player.SelEnd(), 0);
    EXPECT_EQ(view.segmentText, shown);
}

TEST_F(PlayerControlsTest, SingleFileShiftsMoveTheDevicePointsAndPlay)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    player.setRepeatSegment(2'500, 6'000);
    device.clearCalls();
    controls.SpeedButton5Click();
    EXPECT_EQ(device.PlayFrom(), 1'500);
    EXPECT_EQ(player.SelStart(), 1);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:1  结束点：0:0:6"_s);
    EXPECT_EQ(device.calls(), QStringList({ u"Play 1500-6000"_s }));
    player.setRepeatSegment(1'500, 0);

    controls.SpeedButton5Click();
    controls.SpeedButton5Click();
    EXPECT_EQ(device.PlayFrom(), 0);
    controls.SpeedButton10Click();
    controls.SpeedButton10Click();
    controls.SpeedButton7Click();
    EXPECT_EQ(device.PlayFrom(), 1'000);
    EXPECT_EQ(device.PlayTo(), 2'000);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:1  结束点：0:0:2"_s);
    controls.SpeedButton8Click();
    controls.SpeedButton8Click();
    controls.SpeedButton8Click();
    EXPECT_EQ(device.PlayTo(), 0);
}

TEST_F(PlayerControlsTest, SingleFileShiftWithNoFileOpenReportsTheDevice)
{
    EXPECT_THROW(controls.SpeedButton7Click(), EcolvarError);
}

// --- The side panel and 立即播放 --------------------------------------------------------------

TEST_F(PlayerControlsTest, DoubleClickingASidePanelLinePlaysThatFile)
{
    loadList({ 10'000, 10'000, 10'000 }, 300);
    at(50, &Controls::SpeedButton1Click);
    view.selectedLine = 2;
    controls.ListBox1DblClick();
    EXPECT_EQ(bar.thumb(), 200);
    EXPECT_EQ(device.openFile(), path(u"f2.mp3"_s));
    EXPECT_EQ(device.Position(), 100);
    EXPECT_TRUE(view.tick);

    // Outside a repeat segment that starts above 0, the segment's start wins.
    at(120, &Controls::SpeedButton6Click);
    player.setBarPosition(150);
    player.markSegmentEnd();
    view.selectedLine = 0;
    controls.ListBox1DblClick();
    EXPECT_EQ(device.openFile(), path(u"f1.mp3"_s));
    EXPECT_EQ(device.Position(), 2'000);
}

TEST_F(PlayerControlsTest, SidePanelDoubleClickInSingleFileModePlaysFromTheBeginning)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    player.setBarPosition(7);
    controls.ListBox1DblClick();
    EXPECT_EQ(device.calls(),
        QStringList(
            { u"Close"_s, u"Open talk.mp3"_s, u"Seek 0"_s, u"Play 0-10000"_s, u"Play 0-10000"_s }));
}

TEST_F(PlayerControlsTest, OpeningAFileLoadsItInSingleFileMode)
{
    loadList({ 30'000, 10'000 });
    band(10, 20);
    player.setState(TMp3Player::PlayState::Playing);
    loadSingle(u"lesson1.part2.mp3"_s, 95'500);

    EXPECT_EQ(player.DocName(), u"lesson1"_s);
    EXPECT_EQ(view.listName, u"lesson1"_s);
    EXPECT_EQ(player.FileList(), QStringList({ path(u"lesson1.part2.mp3"_s) }));
    EXPECT_FALSE(player.ListMode());
    EXPECT_FALSE(bar.piecesShown);
    EXPECT_TRUE(view.sideLines.isEmpty());
    EXPECT_EQ(bar.maximum, 95);
    EXPECT_EQ(player.SelStart(), 0);
    EXPECT_EQ(player.SelEnd(), 0);
    EXPECT_EQ(view.segmentText, u"起始点：0:0:0  结束点：0:0:0"_s);
    EXPECT_EQ(view.positionText, u"位置：0:0:0/0:1:35"_s);
    EXPECT_FALSE(view.tick);
    EXPECT_EQ(device.openFile(), path(u"lesson1.part2.mp3"_s));

    // A file shorter than a second gives a bar of no seconds.
    loadSingle(u"tick.wav"_s, 800);
    EXPECT_EQ(bar.maximum, 0);
    EXPECT_EQ(bar.thumb(), 0);
}

TEST_F(PlayerControlsTest, OpeningAMissingFileOnlyStopsPlayback)
{
    loadSingle(u"talk.mp3"_s, 10'000);
    at(0, &Controls::SpeedButton1Click);

    EXPECT_FALSE(player.OpenFile(path(u"gone.mp3"_s)));
    EXPECT_FALSE(view.tick);
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(player.DocName(), u"talk"_s);
    EXPECT_EQ(player.FileList(), QStringList({ path(u"talk.mp3"_s) }));
}

} // namespace
} // namespace ecolvar
