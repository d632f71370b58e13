#include "audiofixtures.h"
#include "player/playercontrols.h"
#include "player/playerwidgets.h"
#include "player/sndfilemediadevice.h"
#include "player/tmp3player.h"
#include "player/tsegmenttrackbar.h"

#include "qtprinters.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace ecolvar {
namespace {

// The whole player on the real device with its silent output, driven by the real timer.
struct Rig {
    Rig()
    {
        Timer2.setInterval(333);
        bar.resize(400, 27);
        QObject::connect(&Timer2, &QTimer::timeout, &controls, &PlayerControls::PlayTick);
    }

    SndFileMediaDevice device { SndFileMediaDevice::Output::Silent };
    SndFileMediaDevice probe { SndFileMediaDevice::Output::Silent };
    QLabel Label6, Label7, LblFileLst;
    QListWidget ListBox1;
    QTimer Timer2;
    QStatusBar StatusBar1;
    PlayerWidgets view { { &Label6, &Label7, &LblFileLst, &ListBox1, &Timer2, &StatusBar1 } };
    TSegmentTrackBar bar;
    test::ScriptedPrompts prompts;
    TMp3Player player { device, probe, bar, view, prompts };
    PlayerControls controls { player, device, bar, view, prompts };
};

// A list of three short files plays through and stops at the end.
TEST(PlaybackEndToEnd, AListOfThreeFilesPlaysThroughAndStopsAtTheEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList files;
    for (const auto& [name, seconds] : { std::pair { u"one.wav"_s, u"0.6"_s },
             std::pair { u"two.wav"_s, u"0.4"_s }, std::pair { u"three.wav"_s, u"0.8"_s } }) {
        files.append(dir.filePath(name));
        test::writeTone(files.last(), seconds);
    }

    Rig rig;
    SndFileMediaDevice& device = rig.device;
    QLabel& Label7 = rig.Label7;
    QListWidget& ListBox1 = rig.ListBox1;
    QTimer& Timer2 = rig.Timer2;
    TSegmentTrackBar& bar = rig.bar;
    TMp3Player& player = rig.player;
    player.EnterListMode();
    player.OpenList(u"three tones"_s, files, true);
    ASSERT_EQ(player.FileList(), files);
    EXPECT_EQ(player.TotalLength(), 1'800);
    EXPECT_EQ(bar.pieces(), QList<qint64>({ 600, 400, 800 }));
    EXPECT_EQ(Label7.text(), u"位置：0:0:0/0:0:1"_s);

    // Follow the thumb, the label and the highlighted file at every tick.
    QList<int> thumbs;
    QList<int> lines;
    QObject::connect(&Timer2, &QTimer::timeout, [&] {
        thumbs.append(bar.value());
        if (lines.isEmpty() || lines.last() != ListBox1.currentRow())
            lines.append(ListBox1.currentRow());
    });

    rig.controls.SpeedButton1Click();
    EXPECT_TRUE(Timer2.isActive());
    EXPECT_EQ(device.Mode(), ModePlaying);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Timer2.isActive(); }, 10'000));

    EXPECT_EQ(lines, QList<int>({ 0, 1, 2 }));
    EXPECT_TRUE(std::is_sorted(thumbs.begin(), thumbs.end()));
    EXPECT_EQ(bar.value(), 400);
    EXPECT_EQ(Label7.text(), u"位置：0:0:1/0:0:1"_s);
    EXPECT_EQ(device.FileName(), files.last());
    EXPECT_EQ(device.Mode(), ModeStopped);
    EXPECT_EQ(device.Position(), 800);
    EXPECT_TRUE(rig.prompts.shown().isEmpty());
}

// A repeat segment across the seam of a 44.1 kHz stereo file and a 24 kHz mono one: every pass
// goes on into the second file by itself in the same output (nothing stops or reopens at the
// seam), and playing returns to the segment's start after its end.
TEST(PlaybackEndToEnd, ASegmentAcrossFilesOfTwoFormatsPlaysOnAtTheSeamEveryPass)
{
    const QStringList files
        = { test::audioFixture(u"tone.wav"_s), test::audioFixture(u"mono24k.wav"_s) };
    Rig rig;
    rig.player.EnterListMode();
    rig.player.OpenList(u"two formats"_s, files, true);
    ASSERT_EQ(rig.player.TotalLength(), 4'000); // 10 ms a bar unit
    rig.player.setRepeatSegment(1'500, 2'500);

    QList<int> thumbs;
    QObject::connect(&rig.Timer2, &QTimer::timeout, [&] { thumbs.append(rig.bar.value()); });
    rig.controls.SpeedButton1Click();
    EXPECT_EQ(rig.device.nextFile(), files.last());
    QTest::qWait(3'500);

    EXPECT_GE(rig.device.movedOnCount(), 2);
    ASSERT_FALSE(thumbs.isEmpty());
    // Never before the start; past the end by a tick at most before returning.
    EXPECT_GE(*std::min_element(thumbs.begin(), thumbs.end()), 150);
    EXPECT_LE(*std::max_element(thumbs.begin(), thumbs.end()), 250 + 34);
    EXPECT_TRUE(rig.Timer2.isActive());
    EXPECT_TRUE(rig.prompts.shown().isEmpty());
}

} // namespace
} // namespace ecolvar
