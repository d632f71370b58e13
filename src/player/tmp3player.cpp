#include "tmp3player.h"

#include "core/prompts.h"
#include "player/barunits.h"
#include "player/mediadevice.h"
#include "player/playerview.h"
#include "player/trackbarview.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace ecolvar {

TMp3Player::TMp3Player(MediaDevice& player, MediaDevice& probe, TrackBarView& bar, PlayerView& view,
    Prompts& prompts, QObject* parent)
    : QObject(parent), m_player(player), m_probe(probe), m_bar(bar), m_view(view),
      m_prompts(prompts)
{
}

int TMp3Player::ProbeLength(const QString& path)
{
    int length = 0;
    m_probe.Close();
    m_probe.setFileName(path);
    if (QFileInfo::exists(path)) {
        try {
            m_probe.Open();
            length = m_probe.Length();
        } catch (const std::exception&) {
            m_probe.Close();
            m_prompts.information(path + u" 打不开"_s);
            return 0;
        }
    }
    m_probe.Close();
    return length;
}

void TMp3Player::stopForLoad()
{
    reclaimDevice();
    setState(PlayState::Stopped);
    m_player.clearNextFile();
    m_player.Close();
}

bool TMp3Player::OpenFile(const QString& path)
{
    stopForLoad();
    if (!QFileInfo::exists(path))
        return false;

    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.indexOf(u'.');
    const QString docName = dot < 0 ? QString() : name.left(dot);

    m_player.setFileName(path);
    setBand(0, 0);
    m_playFromMs = m_playToMs = 0;
    m_listMode = false;
    setBarPosition(0);
    m_view.setSegmentText(segmentText(0, 0));
    LoadFileList(docName, { path });
    Q_EMIT documentOpened(m_docName);
    return true;
}

void TMp3Player::EnterListMode()
{
    stopForLoad();
    m_listMode = true;
    setBarPosition(0);
}

void TMp3Player::OpenList(const QString& listName, const QStringList& files, bool resetSelection)
{
    reclaimDevice();
    if (resetSelection)
        setBand(0, 0);
    LoadFileList(listName, files);
    Q_EMIT documentOpened(m_docName);
}

void TMp3Player::setMeasurer(LengthMeasurer* measurer)
{
    m_measurer = measurer;
    connect(measurer, &LengthMeasurer::progress, this, [this](int done, int total) {
        m_view.setStatusText(u"正在读取时长 %1/%2"_s.arg(done).arg(total));
    });
    connect(measurer, &LengthMeasurer::finished, this, &TMp3Player::layOut);
}

void TMp3Player::LoadFileList(const QString& docName, const QStringList& files)
{
    if (m_measurer)
        m_measurer->cancel();
    m_docName = docName;
    m_view.setListName(docName);
    // Missing files leave the timeline without a message.
    m_fileList.clear();
    for (const QString& file : files) {
        if (QFileInfo::exists(file))
            m_fileList.append(file);
    }
    m_segLengths.clear();
    m_totalLength = 0;

    if (!m_measurer) {
        // Last file first, so that the boxes of a list come in that order too.
        QList<MeasuredLength> lengths(m_fileList.size());
        for (qsizetype i = m_fileList.size() - 1; i >= 0; --i)
            lengths[i].lengthMs = ProbeLength(m_fileList.at(i));
        layOut(lengths);
        return;
    }

    // The files show at once; the first plays while the others are measured.
    m_measuring = true;
    showSideLines();
    m_bar.showPieces({}, false);
    m_measurer->start(m_fileList);
}

void TMp3Player::layOut(const QList<MeasuredLength>& lengths)
{
    layOutTimeline(lengths);
    Q_EMIT timelineReady(m_docName);
}

void TMp3Player::layOutTimeline(const QList<MeasuredLength>& lengths)
{
    const bool measured = std::exchange(m_measuring, false);
    if (measured)
        m_view.setStatusText(QString());
    // Unreadable and empty files leave the timeline; the boxes come last file first.
    QList<qint64> kept;
    QStringList files;
    for (qsizetype i = m_fileList.size() - 1; i >= 0; --i) {
        const MeasuredLength& length = lengths.value(i);
        if (!length.error.isEmpty())
            m_prompts.information(m_fileList.at(i) + u" 打不开"_s);
        if (!length.error.isEmpty() || length.lengthMs <= 0)
            continue;
        kept.prepend(length.lengthMs);
        files.prepend(m_fileList.at(i));
    }
    m_fileList = files;
    m_segLengths = kept;
    m_totalLength = 0;
    for (qint64 length : kept)
        m_totalLength += length;

    showSideLines();
    const int maximum = m_listMode ? m_bar.barWidth() : static_cast<int>(m_totalLength / 1000);
    if (maximum >= 0)
        m_barMaximum = maximum;
    m_bar.setBarMaximum(maximum);
    m_bar.showPieces(m_segLengths, m_listMode);
    if (m_fileList.isEmpty())
        return;
    m_view.setPositionText(positionText(0, m_totalLength));
    // A learner who started playing while the lengths were measured keeps listening.
    if (measured && isPlaying()) {
        QueueNextFile();
        return;
    }
    m_player.setFileName(m_fileList.first());
    m_player.Open();
    m_player.setPlayFrom(0);
    m_player.setPlayTo(0);
    m_playFromMs = m_playToMs = 0;
    setBand(0, 0);
}

void TMp3Player::showSideLines()
{
    // Single-file mode lists nothing in the side panel.
    m_view.setSideLines(m_listMode ? m_fileList : QStringList());
}

std::optional<double> TMp3Player::msPerBarUnit() const
{
    if (!m_listMode)
        return 1000.0;
    const int width = m_bar.barWidth();
    if (width <= 0 || m_totalLength <= 0)
        return std::nullopt;
    return static_cast<double>(m_totalLength) / width;
}

int TMp3Player::toBar(qint64 ms) const
{
    const std::optional<double> scale = msPerBarUnit();
    return scale ? truncToInt(static_cast<double>(ms) / *scale) : 0;
}

qint64 TMp3Player::fromBar(double x) const
{
    const std::optional<double> scale = msPerBarUnit();
    return scale ? truncToInt64(x * *scale) : 0;
}

void TMp3Player::LocateBarPos(double x)
{
    m_curOffset = 0;
    m_curFileIndex = 0;
    m_curFileStart = 0;
    if (!m_listMode) {
        m_curOffset = truncToInt(x * 1000);
        return;
    }

    const std::optional<double> scale = msPerBarUnit();
    if (!scale)
        return;
    const bool outsideSegment = m_selStart > 0 && m_selEnd > 0 && (x < m_selStart || x > m_selEnd);
    locatePoint((outsideSegment ? m_selStart : x) * *scale);
}

void TMp3Player::locatePoint(double target)
{
    m_curOffset = 0;
    m_curFileIndex = 0;
    m_curFileStart = 0;
    qint64 start = 0;
    for (qsizetype i = 0; i < m_segLengths.size(); ++i) {
        const qint64 end = start + m_segLengths.at(i);
        if (static_cast<double>(start) <= target && target <= static_cast<double>(end)) {
            m_curOffset = truncToInt(target - static_cast<double>(start));
            m_curFileIndex = static_cast<int>(i);
            m_curFileStart = start;
            return;
        }
        start = end;
    }
}

void TMp3Player::PlayFromBar()
{
    reclaimDevice();
    if (m_fileList.isEmpty())
        return;
    LocateBarPos(m_listMode ? m_barPos + 1 : m_barPos);
    playLocated();
}

void TMp3Player::PlayFromPoint(qint64 ms)
{
    reclaimDevice();
    if (m_fileList.isEmpty())
        return;
    if (m_listMode) {
        locatePoint(static_cast<double>(ms));
    } else {
        m_curFileIndex = 0;
        m_curFileStart = 0;
        m_curOffset = static_cast<int>(std::clamp<qint64>(ms, 0, m_totalLength));
    }
    playLocated();
}

void TMp3Player::openLocated()
{
    // A point at the very end of a file plays on in the next one: the device would start the
    // ended file over from its beginning.
    if (m_listMode && m_curFileIndex + 1 < m_segLengths.size()
        && m_curOffset >= m_segLengths.at(m_curFileIndex)) {
        m_curFileStart += m_segLengths.at(m_curFileIndex);
        ++m_curFileIndex;
        m_curOffset = 0;
    }
    // The file already open is sought in, not opened again.
    const QString& path = m_fileList.at(m_curFileIndex);
    if (m_player.Mode() == ModeNotReady || m_player.FileName() != path) {
        m_player.Close();
        m_player.setFileName(path);
        m_player.Open();
    }
}

void TMp3Player::playLocated()
{
    if (m_curFileIndex >= m_fileList.size())
        return;
    openLocated();
    m_player.Seek(m_curOffset);
    // The first play uses up a start or end point still pending; the second plays on from the
    // position to the end of the file.
    m_player.Play();
    m_player.Play();
    m_movedOnSeen = m_player.movedOnCount();
    QueueNextFile();
    applyLoop();
    setState(PlayState::Playing);
}

void TMp3Player::QueueNextFile()
{
    const qsizetype next = m_curFileIndex + 1;
    if (!m_listMode || m_measuring || m_lent || next >= m_fileList.size()
        || next > m_segLengths.size() || m_fileList.at(m_curFileIndex) != m_player.FileName()) {
        m_player.clearNextFile();
        return;
    }
    // A repeat segment that ends in the located file (or before it) is looped or returned to
    // from there; one that ends in a later file plays on into the next without a gap.
    const std::optional<RepeatSegment> segment = repeatSegment();
    if (segment && segment->endMs <= m_curFileStart + m_segLengths.at(m_curFileIndex)) {
        m_player.clearNextFile();
        return;
    }
    m_player.setNextFile(m_fileList.at(next));
}

void TMp3Player::FollowDevice()
{
    bool moved = false;
    for (; m_movedOnSeen != m_player.movedOnCount(); ++m_movedOnSeen) {
        if (m_curFileIndex + 1 >= m_segLengths.size())
            continue;
        m_curFileStart += m_segLengths.at(m_curFileIndex);
        ++m_curFileIndex;
        m_curOffset = 0;
        moved = true;
    }
    if (moved)
        QueueNextFile();
}

// --- Playing state and position ------------------------------------------------------------

void TMp3Player::setState(PlayState state)
{
    m_state = state;
    m_view.setTickEnabled(state == PlayState::Playing);
}

void TMp3Player::playPause()
{
    // A drill is paused by taking the device back.
    if (m_lent) {
        reclaimDevice();
        return;
    }
    // Pausing is stopping: the next play starts again from the thumb.
    if (m_player.Mode() == ModePlaying) {
        showDevicePosition();
        setState(PlayState::Paused);
        m_player.Stop();
        if (m_rewindOnPauseMs > 0)
            moveTo(m_positionMs - m_rewindOnPauseMs);
        return;
    }
    if (m_listMode) {
        PlayFromBar();
        return;
    }
    // From the thumb's whole second to the end of the file, whatever point was pending.
    const int from = m_barPos * 1000;
    m_player.Seek(from);
    m_player.Play();
    m_player.Play();
    m_player.Seek(from);
    m_player.Play();
    setState(PlayState::Playing);
}

void TMp3Player::stop()
{
    reclaimDevice();
    m_player.Stop();
    setState(PlayState::Stopped);
    setBarPosition(0);
}

qint64 TMp3Player::positionMs()
{
    if (m_state != PlayState::Playing || m_player.Mode() == ModeNotReady)
        return m_positionMs;
    const int position = m_player.Position();
    if (!m_listMode)
        return position;
    FollowDevice();
    return position + m_curFileStart;
}

void TMp3Player::setBarPosition(int x)
{
    m_barPos = std::clamp(x, 0, m_barMaximum);
    m_positionMs = fromBar(m_barPos);
    m_bar.setThumb(m_barPos);
    Q_EMIT positionShown(m_positionMs);
}

void TMp3Player::showPosition(qint64 ms)
{
    m_positionMs = ms;
    m_barPos = std::clamp(toBar(ms), 0, m_barMaximum);
    m_bar.setThumb(m_barPos);
    m_view.setPositionText(positionText(ms, m_totalLength));
    Q_EMIT positionShown(ms);
}

void TMp3Player::moveTo(qint64 ms)
{
    reclaimDevice();
    if (isPlaying())
        setState(PlayState::Paused);
    ms = std::clamp<qint64>(ms, 0, m_totalLength);
    if (!m_listMode && m_player.Mode() != ModeNotReady)
        m_player.Seek(int(ms));
    showPosition(ms);
}

void TMp3Player::showDevicePosition()
{
    const int position = m_player.Position();
    if (!m_listMode) {
        showPosition(position);
        return;
    }
    // The device may have moved on into the next file since it was last asked.
    FollowDevice();
    showPosition(position + m_curFileStart);
}

// --- Repeat segment -----------------------------------------------------------------------

void TMp3Player::setBand(int start, int end)
{
    m_selStart = start;
    m_selEnd = end;
    m_bar.showSelection(start, end);
}

void TMp3Player::showSegment()
{
    // The label reads what repeats; without a segment, the points remembered for the next one.
    const std::optional<RepeatSegment> segment = repeatSegment();
    m_view.setSegmentText(segment ? segmentText(segment->startMs, segment->endMs)
                                  : segmentText(m_segStartMs, m_segEndMs));
}

void TMp3Player::segmentFromBand()
{
    m_segStartMs = fromBar(m_selStart);
    m_segEndMs = fromBar(m_selEnd);
}

qint64 TMp3Player::bandPointMs(int band, qint64 remembered) const
{
    return toBar(remembered) == band ? remembered : fromBar(band);
}

std::optional<TMp3Player::RepeatSegment> TMp3Player::repeatSegment() const
{
    if (!m_listMode) {
        if (m_playToMs <= 0)
            return std::nullopt;
        return RepeatSegment { m_playFromMs, m_playToMs };
    }
    if (m_selStart < 0 || m_selEnd <= 0)
        return std::nullopt;
    return RepeatSegment { bandPointMs(m_selStart, m_segStartMs),
        bandPointMs(m_selEnd, m_segEndMs) };
}

void TMp3Player::setRepeatSegment(qint64 startMs, qint64 endMs)
{
    reclaimDevice();
    m_segStartMs = startMs;
    m_segEndMs = endMs;
    if (!m_listMode) {
        m_playFromMs = truncToInt(static_cast<double>(startMs));
        m_playToMs = truncToInt(static_cast<double>(endMs));
        m_player.setPlayFrom(m_playFromMs);
        m_player.setPlayTo(m_playToMs);
    }
    setBand(toBar(startMs), toBar(endMs));
    showSegment();
    applyLoop();
}

void TMp3Player::clearRepeatSegment()
{
    reclaimDevice();
    setBand(0, 0);
    m_playFromMs = m_playToMs = 0;
    m_player.setPlayFrom(0);
    m_player.setPlayTo(0);
    m_player.clearLoop();
    m_view.setSegmentText(segmentText(0, 0));
}

void TMp3Player::markSegmentStart()
{
    reclaimDevice();
    if (m_listMode) {
        if (!msPerBarUnit())
            return;
        setBand(m_barPos, m_selEnd);
        segmentFromBand();
    } else {
        if (!isPlaying())
            m_player.Seek(m_barPos * 1000);
        m_playFromMs = m_player.Position();
        m_player.setPlayFrom(m_playFromMs);
        setBand(m_playFromMs / 1000, m_selEnd);
        m_segStartMs = qint64(m_selStart) * 1000;
        m_segEndMs = qint64(m_selEnd) * 1000;
    }
    showSegment();
    applyLoop();
}

void TMp3Player::markSegmentEnd()
{
    reclaimDevice();
    if (m_listMode) {
        if (!msPerBarUnit())
            return;
        setBand(m_selStart, m_barPos);
        segmentFromBand();
    } else {
        if (!isPlaying())
            m_player.Seek(m_barPos * 1000);
        m_playToMs = m_player.Position();
        m_player.setPlayTo(m_playToMs);
        setBand(m_selStart, m_playToMs / 1000);
        m_segStartMs = qint64(m_selStart) * 1000;
        m_segEndMs = qint64(m_selEnd) * 1000;
    }
    showSegment();
    applyLoop();
}

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

void TMp3Player::shiftSegmentStart(int deltaMs)
{
    m_listMode ? shiftListPoint(true, deltaMs) : shiftFilePoint(true, deltaMs);
}

void TMp3Player::shiftSegmentEnd(int deltaMs)
{
    m_listMode ? shiftListPoint(false, deltaMs) : shiftFilePoint(false, deltaMs);
}

// List mode: the remembered point moves and the band follows; the device plays on as it was.
void TMp3Player::shiftListPoint(bool start, int deltaMs)
{
    reclaimDevice();
    if (!msPerBarUnit())
        return;
    if (start) {
        m_segStartMs = shifted(m_segStartMs, deltaMs);
        setBand(toBar(m_segStartMs), m_selEnd);
    } else {
        m_segEndMs = shifted(m_segEndMs, deltaMs);
        // At the right edge the end point lies just past the total.
        if (m_segEndMs > m_totalLength)
            m_segEndMs = m_totalLength + 3;
        setBand(m_selStart, toBar(m_segEndMs));
    }
    showSegment();
    applyLoop();
}

// Single-file mode: the device point moves (pending for the next play) and playing follows it.
void TMp3Player::shiftFilePoint(bool start, int deltaMs)
{
    reclaimDevice();
    if (start) {
        m_playFromMs = shifted(m_playFromMs, deltaMs);
        m_player.setPlayFrom(m_playFromMs);
        setBand(m_playFromMs / 1000, m_selEnd);
    } else {
        m_playToMs = shifted(m_playToMs, deltaMs);
        m_player.setPlayTo(m_playToMs);
        setBand(m_selStart, m_playToMs / 1000);
    }
    m_segStartMs = qint64(m_selStart) * 1000;
    m_segEndMs = qint64(m_selEnd) * 1000;
    showSegment();
    applyLoop();
    m_player.Play();
}

// A segment that lies inside the open file loops in the device itself, at the exact sample; one
// that spans files is brought back by the tick.
void TMp3Player::applyLoop()
{
    if (m_lent)
        return;
    const std::optional<RepeatSegment> segment = repeatSegment();
    if (!segment || segment->startMs >= segment->endMs) {
        m_player.clearLoop();
        return;
    }
    const qsizetype index = m_listMode ? m_curFileIndex : 0;
    if (index >= m_segLengths.size() || m_player.FileName() != m_fileList.at(index)) {
        m_player.clearLoop();
        return;
    }
    const qint64 fileStart = m_listMode ? m_curFileStart : 0;
    const qint64 fileEnd = fileStart + m_segLengths.at(index);
    if (segment->startMs >= fileStart && segment->endMs <= fileEnd)
        m_player.setLoop(int(segment->startMs - fileStart), int(segment->endMs - fileStart));
    else
        m_player.clearLoop();
}

// --- Lending the device -------------------------------------------------------------------

void TMp3Player::lendDevice()
{
    m_lent = true;
    m_player.clearNextFile();
    m_player.clearLoop();
    setState(PlayState::Playing);
}

void TMp3Player::playLentRange(qint64 startMs, qint64 endMs)
{
    if (!m_lent || m_fileList.isEmpty())
        return;
    startMs = std::clamp<qint64>(startMs, 0, m_totalLength);
    if (m_listMode) {
        locatePoint(static_cast<double>(startMs));
    } else {
        m_curFileIndex = 0;
        m_curFileStart = 0;
        m_curOffset = static_cast<int>(startMs);
    }
    openLocated();
    // A range never reaches past the file that holds its start: nothing is queued while lent.
    const qint64 fileLength = m_segLengths.value(m_curFileIndex);
    m_player.setPlayFrom(static_cast<int>(startMs - m_curFileStart));
    m_player.setPlayTo(static_cast<int>(std::clamp<qint64>(endMs - m_curFileStart, 0, fileLength)));
    m_player.Play();
    m_movedOnSeen = m_player.movedOnCount();
}

bool TMp3Player::isLentRangePlaying()
{
    return m_lent && m_player.Mode() == ModePlaying;
}

void TMp3Player::stopLentRange()
{
    if (m_lent && m_player.Mode() != ModeNotReady)
        m_player.Stop();
}

void TMp3Player::reclaimDevice()
{
    if (!m_lent)
        return;
    Q_EMIT deviceReclaimed();
    m_lent = false;
    // The borrower's play range is gone; the segment's points are pending again.
    m_player.setPlayFrom(m_listMode ? 0 : m_playFromMs);
    m_player.setPlayTo(m_listMode ? 0 : m_playToMs);
    applyLoop();
    if (m_player.Mode() != ModeNotReady)
        showDevicePosition();
    setState(PlayState::Paused);
}

} // namespace ecolvar
