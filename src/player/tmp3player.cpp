#include "tmp3player.h"

#include "core/prompts.h"
#include "player/barunits.h"
#include "player/mediadevice.h"
#include "player/playerview.h"
#include "player/trackbarview.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <utility>

using namespace Qt::StringLiterals;

namespace ecolvar {

TMp3Player::TMp3Player(MediaDevice& player, MediaDevice& probe, TrackBarView& bar, PlayerView& view,
    Prompts& prompts, QObject* parent)
    : QObject(parent), m_player(player), m_probe(probe), m_bar(bar), m_view(view),
      m_prompts(prompts)
{
}

void TMp3Player::setSelStart(int value)
{
    m_selStart = value;
    m_bar.showSelection(m_selStart, m_selEnd);
}

void TMp3Player::setSelEnd(int value)
{
    m_selEnd = value;
    m_bar.showSelection(m_selStart, m_selEnd);
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
    m_view.setTickEnabled(false);
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
    m_selStart = m_selEnd = 0;
    m_bar.showSelection(0, 0);
    m_bar.setThumb(0);
    m_view.setSegmentText(segmentText(0, 0));
    m_listMode = false;
    LoadFileList(docName, { path });
    Q_EMIT documentOpened(m_docName);
    return true;
}

void TMp3Player::EnterListMode()
{
    stopForLoad();
    m_bar.setThumb(0);
    m_listMode = true;
}

void TMp3Player::OpenList(const QString& listName, const QStringList& files, bool resetSelection)
{
    if (resetSelection) {
        m_selStart = m_selEnd = 0;
        m_bar.showSelection(0, 0);
    }
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
    m_bar.setBarMaximum(m_listMode ? m_bar.barWidth() : static_cast<int>(m_totalLength / 1000));
    m_bar.showPieces(m_segLengths, m_listMode);
    if (m_fileList.isEmpty())
        return;
    m_view.setPositionText(positionText(0, m_totalLength));
    // A learner who started playing while the lengths were measured keeps listening.
    if (measured && m_view.tickEnabled()) {
        QueueNextFile();
        return;
    }
    m_player.setFileName(m_fileList.first());
    m_player.Open();
    m_player.setPlayFrom(0);
    m_player.setPlayTo(0);
    m_selStart = m_selEnd = 0;
    m_bar.showSelection(0, 0);
}

void TMp3Player::showSideLines()
{
    // Single-file mode lists nothing in the side panel.
    m_view.setSideLines(m_listMode ? m_fileList : QStringList());
}

std::optional<double> TMp3Player::msPerBarUnit() const
{
    const int width = m_bar.barWidth();
    if (width <= 0 || m_totalLength <= 0)
        return std::nullopt;
    return static_cast<double>(m_totalLength) / width;
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
    if (m_fileList.isEmpty())
        return;
    LocateBarPos(m_listMode ? m_bar.thumb() + 1 : m_bar.thumb());
    playLocated();
}

void TMp3Player::PlayFromPoint(qint64 ms)
{
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

void TMp3Player::playLocated()
{
    if (m_curFileIndex >= m_fileList.size())
        return;
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
    m_player.Seek(m_curOffset);
    // The first play uses up a start or end point still pending; the second plays on from the
    // position to the end of the file.
    m_player.Play();
    m_player.Play();
    m_movedOnSeen = m_player.movedOnCount();
    QueueNextFile();
    m_view.setTickEnabled(true);
}

void TMp3Player::QueueNextFile()
{
    const qsizetype next = m_curFileIndex + 1;
    const bool segment = m_selStart >= 0 && m_selEnd > 0;
    if (!m_listMode || m_measuring || segment || next >= m_fileList.size()
        || m_fileList.at(m_curFileIndex) != m_player.FileName()) {
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

} // namespace ecolvar
