#include "playercontrols.h"

#include "core/prompts.h"
#include "player/mediadevice.h"
#include "player/playerview.h"
#include "player/tmp3player.h"
#include "player/trackbarview.h"

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace ecolvar {

PlayerControls::PlayerControls(TMp3Player& player, MediaDevice& device, TrackBarView& bar,
    PlayerView& view, Prompts& prompts, QObject* parent)
    : QObject(parent), m_player(player), m_device(device), m_bar(bar), m_view(view),
      m_prompts(prompts)
{
}

void PlayerControls::PlayTick()
{
    // While the learner drags the thumb, it shows where playing will go on, not where it is.
    if (m_bar.isDragging())
        return;
    if (!m_player.ListMode())
        singleFileTick();
    else if (m_player.msPerBarUnit())
        listModeTick();
}

void PlayerControls::listModeTick()
{
    m_player.showDevicePosition();
    m_view.selectSideLine(m_player.CurFileIndex());
    // A repeat segment set or cancelled since changes what follows.
    m_player.QueueNextFile();
    m_player.applyLoop();

    // Past the repeat segment (or before it): back to its start.
    const int selStart = m_player.SelStart();
    const int selEnd = m_player.SelEnd();
    const int bar = m_player.barPosition();
    bool repeat = false;
    if (selStart >= 0 && selEnd > 0 && (bar < selStart || bar > selEnd)) {
        if (m_device.Mode() == ModePlaying)
            m_device.Stop();
        m_player.setBarPosition(selStart);
        repeat = true;
    }

    if (m_device.Mode() != ModeStopped)
        return;
    m_player.setState(TMp3Player::PlayState::Stopped);
    const bool resume = std::exchange(m_resumeFromThumb, false);
    if (repeat) {
        // The segment plays again from its start point exactly.
        m_player.PlayFromPoint(
            std::clamp<qint64>(m_player.repeatSegment()->startMs, 0, m_player.TotalLength()));
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

void PlayerControls::singleFileTick()
{
    // A repeat segment loops in the device itself, at the exact sample: the tick only brings
    // playing into the segment when it is outside.
    m_player.applyLoop();
    m_player.showDevicePosition();
    const std::optional<TMp3Player::RepeatSegment> segment = m_player.repeatSegment();
    const int position = m_device.Position();
    if (segment && (position < segment->startMs || position >= segment->endMs)) {
        m_device.Seek(int(segment->startMs));
        m_device.Play();
    }
}

void PlayerControls::SpeedButton1Click()
{
    if (m_player.DocName().isEmpty()) {
        m_prompts.information(u"没有打开任何文件，无法播放"_s);
        return;
    }
    m_player.playPause();
}

void PlayerControls::SpeedButton2Click()
{
    m_player.stop();
}

void PlayerControls::SpeedButton6Click()
{
    m_player.markSegmentStart();
}

void PlayerControls::SpeedButton9Click()
{
    if (m_player.DocName().isEmpty()) {
        m_prompts.information(u"没有打开任何文件，无法执行此操作"_s);
        return;
    }
    if (m_player.ListMode()) {
        if (!m_player.msPerBarUnit())
            return;
        m_resumeFromThumb = m_device.Mode() != ModePlaying;
    }
    m_player.markSegmentEnd();
    // The next tick starts the repeat (or, in list mode, playing again if it was stopped).
    m_player.setState(TMp3Player::PlayState::Playing);
}

void PlayerControls::SpeedButton11Click()
{
    m_player.clearRepeatSegment();
}

void PlayerControls::SpeedButton5Click()
{
    m_player.shiftSegmentStart(-1000);
}

void PlayerControls::SpeedButton7Click()
{
    m_player.shiftSegmentStart(1000);
}

void PlayerControls::SpeedButton8Click()
{
    m_player.shiftSegmentEnd(-1000);
}

void PlayerControls::SpeedButton10Click()
{
    m_player.shiftSegmentEnd(1000);
}

void PlayerControls::TrackBarMoved(int value)
{
    m_view.setPositionText(positionText(m_player.fromBar(value), m_player.TotalLength()));
}

void PlayerControls::TrackBarReleased()
{
    // Stopped, the thumb only marks where the next play begins.
    if (!m_player.isPlaying() || m_device.Mode() != ModePlaying)
        return;
    if (m_player.ListMode()) {
        m_player.PlayFromBar();
        return;
    }
    m_player.reclaimDevice();
    m_device.Seek(m_player.barPosition() * 1000);
    m_device.Play();
    m_player.setState(TMp3Player::PlayState::Playing);
}

void PlayerControls::ListBox1DblClick()
{
    m_player.reclaimDevice();
    m_player.setState(TMp3Player::PlayState::Stopped);
    m_device.Close();
    const int line = m_view.selectedSideLine();
    const QList<qint64>& lengths = m_player.SegLengths();
    const qsizetype above = std::min<qsizetype>(std::max(line, 0), lengths.size());
    qint64 sum = 0;
    for (qsizetype i = 0; i < above; ++i)
        sum += lengths.at(i);
    m_player.setBarPosition(m_player.toBar(sum));
    m_player.PlayFromBar();
}

} // namespace ecolvar
