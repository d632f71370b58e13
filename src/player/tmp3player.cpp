#include "tmp3player.h"

#include "core/prompts.h"
#include "player/barunits.h"
#include "player/mediadevice.h"
#include "player/playerview.h"
#include "player/tsegmenttrackbar.h"

#include <QFileInfo>

#include <exception>
#include <limits>

using namespace Qt::StringLiterals;

namespace ecolvar {

TMp3Player::TMp3Player(MediaDevice& player, MediaDevice& probe, TSegmentTrackBar& bar,
    PlayerView& view, Prompts& prompts)
    : m_player(player), m_probe(probe), m_bar(bar), m_view(view), m_prompts(prompts)
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

void TMp3Player::LoadFileList()
{
    // Last file first, so that the boxes of a list come in that order too. Missing, unreadable
    // and empty files measure 0 and leave the timeline.
    QList<int> lengths(FileList.size());
    for (qsizetype i = FileList.size() - 1; i >= 0; --i) {
        const int length = ProbeLength(FileList.at(i));
        if (length <= 0) {
            FileList.removeAt(i);
            lengths.removeAt(i);
            continue;
        }
        lengths[i] = length;
    }
    // The timeline counts in int milliseconds (about 596 hours): the files beyond are left out.
    qint64 total = 0;
    qsizetype fitting = 0;
    for (; fitting < lengths.size(); ++fitting) {
        if (total + lengths.at(fitting) > std::numeric_limits<int>::max())
            break;
        total += lengths.at(fitting);
    }
    if (fitting < lengths.size()) {
        m_prompts.information(
            u"播放列表总长超过 596 小时，最后 %1 个文件未加入"_s.arg(lengths.size() - fitting));
        FileList.resize(fitting);
        lengths.resize(fitting);
    }
    TotalLength = static_cast<int>(total);

    m_view.setSideLines(FileList);
    m_bar.SegLengths.clear();
    m_bar.setMax(ListMode ? m_bar.width() : TotalLength / 1000);
    m_bar.TotalLength = TotalLength;
    if (FileList.isEmpty())
        return;

    for (int length : lengths)
        m_bar.SegLengths.append(QString::number(length));
    m_player.setFileName(FileList.first());
    m_player.Open();
    m_player.setPlayFrom(0);
    m_player.setPlayTo(0);
    m_bar.setSelStart(0);
    m_bar.setSelEnd(0);
    m_view.setPositionText(positionText(0, TotalLength));
    m_bar.repaint();
    m_bar.update();
}

void TMp3Player::LocateBarPos(double x)
{
    CurOffset = 0;
    CurFileIndex = 0;
    CurFileStart = 0;
    if (!ListMode) {
        CurOffset = truncToInt(x * 1000);
        return;
    }

    const int width = m_bar.width();
    if (width <= 0 || TotalLength <= 0)
        return;
    const int selStart = m_bar.SelStart();
    const int selEnd = m_bar.SelEnd();
    const bool outsideSegment = selStart > 0 && selEnd > 0 && (x < selStart || x > selEnd);
    const double target
        = (outsideSegment ? selStart : x) * static_cast<double>(TotalLength) / width;

    double start = 0;
    for (qsizetype i = 0; i < m_bar.SegLengths.size(); ++i) {
        const double end = start + m_bar.SegLengths.at(i).toInt();
        if (start <= target && target <= end) {
            CurOffset = truncToInt(target - start);
            CurFileIndex = static_cast<int>(i);
            CurFileStart = truncToInt(start);
            return;
        }
        start = end;
    }
}

void TMp3Player::PlayFromBar()
{
    if (FileList.isEmpty())
        return;
    LocateBarPos(ListMode ? m_bar.value() + 1 : m_bar.value());
    if (CurFileIndex >= FileList.size())
        return;
    // A point at the very end of a file plays on in the next one: the device would start the
    // ended file over from its beginning.
    if (ListMode && CurFileIndex + 1 < m_bar.SegLengths.size()
        && CurOffset >= m_bar.SegLengths.at(CurFileIndex).toInt()) {
        CurFileStart += m_bar.SegLengths.at(CurFileIndex).toInt();
        ++CurFileIndex;
        CurOffset = 0;
    }

    m_player.Close();
    m_player.setFileName(FileList.at(CurFileIndex));
    m_player.Open();
    m_player.Seek(CurOffset);
    // The first play uses up a start or end point still pending; the second plays on from the
    // position to the end of the file.
    m_player.Play();
    m_player.Play();
    m_view.setTickEnabled(true);
}

} // namespace ecolvar
