#pragma once

#include "fakemediadevice.h"
#include "fakeplayerview.h"
#include "faketrackbar.h"
#include "player/playercontrols.h"
#include "player/tmp3player.h"
#include "scriptedprompts.h"
#include "testutil.h"

#include <QDir>
#include <QList>
#include <QTemporaryDir>

#include <algorithm>
#include <limits>

#include <gtest/gtest.h>

namespace ecolvar::test {

// The player and its handlers over a fake device with a manual clock, a fake track bar and a fake
// view. Files exist on disk (empty) and have their lengths in the fakes.
class PlayerRig : public ::testing::Test {
protected:
    PlayerRig()
        : player(device, probe, bar, view, prompts), controls(player, device, bar, view, prompts)
    {
    }

    QString path(const QString& name) const { return dir.path() + QDir::separator() + name; }

    QString addFile(const QString& name, int lengthMs)
    {
        const QString file = path(name);
        writeFile(file, QByteArray());
        device.addFile(file, lengthMs);
        probe.addFile(file, lengthMs);
        return file;
    }

    // Files f0.mp3, f1.mp3, ... with the given lengths, opened as a playlist on a bar of the
    // given width.
    void loadList(const QList<int>& lengths, int width = 400)
    {
        QStringList files;
        for (int i = 0; i < lengths.size(); ++i)
            files.append(addFile(QStringLiteral("f%1.mp3").arg(i), lengths[i]));
        loadListFiles(files, width);
    }

    void loadListFiles(const QStringList& files, int width = 400)
    {
        bar.width = width;
        player.EnterListMode();
        player.OpenList(QStringLiteral("lst"), files, true);
        device.clearCalls();
    }

    // A file of the given length opened in single-file mode.
    void loadSingle(const QString& name, int lengthMs)
    {
        player.OpenFile(addFile(name, lengthMs));
        device.clearCalls();
    }

    // Timeline points seen while playing: the highest reached before a tick, the lowest where a
    // tick left the device.
    struct Seen {
        qint64 low = std::numeric_limits<qint64>::max();
        qint64 high = std::numeric_limits<qint64>::min();
    };
    qint64 timelinePoint() { return device.Position() + player.CurFileStart(); }

    // Lets up to ms milliseconds of playback pass, one tick every 333 ms while the timer runs.
    Seen play(int ms)
    {
        Seen seen;
        for (int elapsed = 0; elapsed < ms && view.tick; elapsed += 333) {
            device.advance(333);
            seen.high = std::max(seen.high, timelinePoint());
            controls.PlayTick();
            seen.low = std::min(seen.low, timelinePoint());
        }
        return seen;
    }

    // The learner marks a repeat segment from bar position start to end.
    void band(int start, int end)
    {
        player.setBarPosition(start);
        player.markSegmentStart();
        player.setBarPosition(end);
        player.markSegmentEnd();
    }

    // Moves the thumb and runs one of the handlers.
    void at(int barPosition, void (PlayerControls::*handler)())
    {
        player.setBarPosition(barPosition);
        (controls.*handler)();
    }

    QTemporaryDir dir;
    FakeMediaDevice device;
    FakeMediaDevice probe;
    FakeTrackBar bar;
    FakePlayerView view;
    ScriptedPrompts prompts;
    TMp3Player player;
    PlayerControls controls;
};

} // namespace ecolvar::test
