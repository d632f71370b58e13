#include "playercontrols.h"

#include "core/prompts.h"
#include "player/barunits.h"
#include "player/mediadevice.h"
#include "player/playerview.h"
#include "player/tmp3player.h"
#include "player/trackbarview.h"

#include <algorithm>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace ecolvar {

namespace {

// a + delta, never below 0 when moving down and never past the range of int when moving up.
int shifted(int a, int delta)
{
    const qint64 sum = qint64(a) + delta;
    return static_cast<int>(std::clamp<qint64>(
        sum, delta < 0 ? 0 : std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A remembered point moved by delta, never below 0 when moving down.
qint64 shifted(qint64 a, int delta)
{
    return delta < 0 ? std::max<qint64>(a + delta, 0) : a + delta;
}

} // namespace

PlayerControls::PlayerControls(TMp3Player& player, MediaDevice& device, TrackBarView& bar,
    PlayerView& view, Prompts& prompts, QObject* parent)
    : QObject(parent), m_player(player), m_device(device), m_bar(bar), m_view(view),
      m_prompts(prompts)
{
}

bool PlayerControls::listScale(int& width, qint64& total) const
{
    width = m_bar.barWidth();
    total = m_player.TotalLength();
    return width > 0 && total > 0;
}

void PlayerControls::PlayTick()
{
    // While the learner drags the thumb, it shows where playing will go on, not where it is.
    if (m_bar.isDragging())
        return;
    if (!m_player.ListMode()) {
        singleFileTick();
        return;
    }
    int width = 0;
    qint64 total = 0;
    if (listScale(width, total))
        listModeTick(width, total);
}

void PlayerControls::listModeTick(int width, qint64 total)
{
    // The device may have moved on into the next file since the last tick.
    const int position = m_device.Position();
    m_player.FollowDevice();
    const qint64 timelinePoint = position + m_player.CurFileStart();
    m_bar.setThumb(
        truncToInt(static_cast<double>(timelinePoint) / static_cast<double>(total) * width));
    m_view.setPositionText(positionText(timelinePoint, m_player.TotalLength()));
    m_view.selectSideLine(m_player.CurFileIndex());
    // A repeat segment set or cancelled since changes what follows.
    m_player.QueueNextFile();

    // Past the repeat segment (or before it): back to its start.
    const int selStart = m_player.SelStart();
    const int selEnd = m_player.SelEnd();
    loopInsideCurrentFile(selStart >= 0 && selEnd > 0);
    bool repeat = false;
    if (selStart >= 0 && selEnd > 0 && (m_bar.thumb() < selStart || m_bar.thumb() > selEnd)) {
        if (m_device.Mode() == ModePlaying)
            m_device.Stop();
        m_bar.setThumb(selStart);
        repeat = true;
    }

    if (m_device.Mode() != ModeStopped)
        return;
    m_view.setTickEnabled(false);
    const bool resume = std::exchange(m_resumeFromThumb, false);
    if (repeat) {
        // The segment plays again from its start point exactly.
        m_player.PlayFromPoint(std::clamp<qint64>(SegStartMs, 0, total));
    } else if (resume) {
        // Stopped by the learner, and the end point set since: on from the thumb.
        m_player.PlayFromBar();
    } else if (m_player.CurFileIndex() + 1 < m_player.FileList().size()) {
        // The file has ended: the next one from its beginning.
        m_player.PlayFromPoint(
            m_player.CurFileStart() + m_player.SegLengths().at(m_player.CurFileIndex()));
    }
    // Otherwise the timeline has ended: the thumb stays at the right end and the tick off.
}

// A repeat segment that lies inside the file being played loops in the device itself, at the
// exact sample; one that spans files is brought back by the tick.
void PlayerControls::loopInsideCurrentFile(bool segmentSet)
{
    const qsizetype index = m_player.CurFileIndex();
    if (!segmentSet || index >= m_player.SegLengths().size()) {
        m_device.clearLoop();
        return;
    }
    const qint64 fileStart = m_player.CurFileStart();
    const qint64 fileEnd = fileStart + m_player.SegLengths().at(index);
    if (SegStartMs >= fileStart && SegEndMs <= fileEnd && SegStartMs < SegEndMs)
        m_device.setLoop(int(SegStartMs - fileStart), int(SegEndMs - fileStart));
    else
        m_device.clearLoop();
}

void PlayerControls::singleFileTick()
{
    // A repeat segment loops in the device itself, at the exact sample: the tick only brings
    // playing into the segment when it is outside.
    if (m_device.PlayTo() > 0 && m_device.PlayFrom() < m_device.PlayTo())
        m_device.setLoop(m_device.PlayFrom(), m_device.PlayTo());
    else
        m_device.clearLoop();
    m_bar.setThumb(m_device.Position() / 1000);
    m_view.setPositionText(positionText(m_device.Position(), m_player.TotalLength()));
    if (m_device.PlayTo() > 0
        && (m_device.Position() < m_device.PlayFrom()
            || m_device.Position() >= m_device.PlayTo())) {
        m_device.Seek(m_device.PlayFrom());
        m_device.Play();
    }
}

void PlayerControls::SpeedButton1Click()
{
    if (m_player.DocName().isEmpty()) {
        m_prompts.information(u"没有打开任何文件，无法播放"_s);
        return;
    }
    // Pausing is stopping: the next play starts again from the thumb.
    if (m_device.Mode() == ModePlaying) {
        m_view.setTickEnabled(false);
        m_device.Stop();
        return;
    }
    if (m_player.ListMode()) {
        m_player.PlayFromBar();
        return;
    }
    // From the thumb's whole second to the end of the file, whatever point was pending.
    const int from = m_bar.thumb() * 1000;
    m_device.Seek(from);
    m_device.Play();
    m_device.Play();
    m_device.Seek(from);
    m_device.Play();
    m_view.setTickEnabled(true);
}

void PlayerControls::SpeedButton2Click()
{
    m_device.Stop();
    m_view.setTickEnabled(false);
    m_bar.setThumb(0);
}

void PlayerControls::segmentFromSelection(double msPerUnit)
{
    SegStartMs = truncToInt64(msPerUnit * m_player.SelStart());
    SegEndMs = truncToInt64(msPerUnit * m_player.SelEnd());
    m_view.setSegmentText(segmentText(SegStartMs, SegEndMs));
}

void PlayerControls::SpeedButton6Click()
{
    if (m_player.ListMode()) {
        int width = 0;
        qint64 total = 0;
        if (!listScale(width, total))
            return;
        m_player.setSelStart(m_bar.thumb());
        segmentFromSelection(static_cast<double>(total) / width);
        return;
    }
    if (!m_view.tickEnabled())
        m_device.Seek(m_bar.thumb() * 1000);
    m_device.setPlayFrom(m_device.Position());
    m_player.setSelStart(m_device.PlayFrom() / 1000);
    segmentFromSelection(1000);
}

void PlayerControls::SpeedButton9Click()
{
    if (m_player.DocName().isEmpty()) {
        m_prompts.information(u"没有打开任何文件，无法执行此操作"_s);
        return;
    }
    if (m_player.ListMode()) {
        int width = 0;
        qint64 total = 0;
        if (!listScale(width, total))
            return;
        m_view.setTickEnabled(false);
        m_resumeFromThumb = m_device.Mode() != ModePlaying;
        m_player.setSelEnd(m_bar.thumb());
        segmentFromSelection(static_cast<double>(total) / width);
    } else {
        if (!m_view.tickEnabled())
            m_device.Seek(m_bar.thumb() * 1000);
        m_device.setPlayTo(m_device.Position());
        m_player.setSelEnd(m_device.PlayTo() / 1000);
        segmentFromSelection(1000);
    }
    // The next tick starts the repeat (or, in list mode, playing again if it was stopped).
    m_view.setTickEnabled(true);
}

void PlayerControls::SpeedButton11Click()
{
    m_player.setSelStart(0);
    m_player.setSelEnd(0);
    m_device.setPlayFrom(0);
    m_device.setPlayTo(0);
    m_device.clearLoop();
    m_view.setSegmentText(segmentText(0, 0));
}

// List mode: the remembered point moves and the bar follows; device and timer are left alone.
void PlayerControls::shiftListPoint(bool start, int deltaMs)
{
    int width = 0;
    qint64 total = 0;
    if (!listScale(width, total))
        return;
    const auto toBar = [&](qint64 ms) {
        return truncToInt(static_cast<double>(ms) / static_cast<double>(total) * width);
    };
    if (start) {
        SegStartMs = shifted(SegStartMs, deltaMs);
        m_player.setSelStart(toBar(SegStartMs));
    } else {
        SegEndMs = shifted(SegEndMs, deltaMs);
        // At the right edge the end point lies just past the total.
        if (SegEndMs > total)
            SegEndMs = total + 3;
        m_player.setSelEnd(toBar(SegEndMs));
    }
    m_view.setSegmentText(segmentText(SegStartMs, SegEndMs));
}

// Single-file mode: the device point moves (pending for the next play) and playing follows it.
void PlayerControls::shiftFilePoint(bool start, int deltaMs)
{
    if (start) {
        m_device.setPlayFrom(shifted(m_device.PlayFrom(), deltaMs));
        m_player.setSelStart(m_device.PlayFrom() / 1000);
    } else {
        m_device.setPlayTo(shifted(m_device.PlayTo(), deltaMs));
        m_player.setSelEnd(m_device.PlayTo() / 1000);
    }
    m_view.setSegmentText(
        segmentText(qint64(m_player.SelStart()) * 1000, qint64(m_player.SelEnd()) * 1000));
    m_device.Play();
}

void PlayerControls::SpeedButton5Click()
{
    m_player.ListMode() ? shiftListPoint(true, -1000) : shiftFilePoint(true, -1000);
}

void PlayerControls::SpeedButton7Click()
{
    m_player.ListMode() ? shiftListPoint(true, 1000) : shiftFilePoint(true, 1000);
}

void PlayerControls::SpeedButton8Click()
{
    m_player.ListMode() ? shiftListPoint(false, -1000) : shiftFilePoint(false, -1000);
}

void PlayerControls::SpeedButton10Click()
{
    m_player.ListMode() ? shiftListPoint(false, 1000) : shiftFilePoint(false, 1000);
}

void PlayerControls::TrackBarMoved(int value)
{
    qint64 ms = qint64(value) * 1000;
    if (m_player.ListMode()) {
        const std::optional<double> scale = m_player.msPerBarUnit();
        ms = scale ? truncToInt64(value * *scale) : 0;
    }
    m_view.setPositionText(positionText(ms, m_player.TotalLength()));
}

void PlayerControls::TrackBarReleased()
{
    // Stopped, the thumb only marks where the next play begins.
    if (!m_view.tickEnabled() || m_device.Mode() != ModePlaying)
        return;
    if (m_player.ListMode()) {
        m_player.PlayFromBar();
        return;
    }
    m_device.Seek(m_bar.thumb() * 1000);
    m_device.Play();
}

void PlayerControls::ListBox1DblClick()
{
    m_view.setTickEnabled(false);
    m_device.Close();
    const int line = m_view.selectedSideLine();
    const QList<qint64>& lengths = m_player.SegLengths();
    const qsizetype above = std::min<qsizetype>(std::max(line, 0), lengths.size());
    qint64 sum = 0;
    for (qsizetype i = 0; i < above; ++i)
        sum += lengths.at(i);
    const qint64 total = m_player.TotalLength();
    m_bar.setThumb(total > 0
            ? truncToInt(static_cast<double>(sum) / static_cast<double>(total) * m_bar.barWidth())
            : 0);
    m_player.PlayFromBar();
}

} // namespace ecolvar
