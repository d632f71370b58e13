#include "practicecommands.h"

#include "core/ecolvarerror.h"
#include "paragraphstamps.h"
#include "player/playercontrols.h"
#include "player/tmp3player.h"
#include "practicecontroller.h"
#include "practicestore.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

void TimelinePasses::playPass(qint64 startMs, qint64 endMs)
{
    m_player.playLentRange(startMs, endMs);
}

bool TimelinePasses::isPassPlaying()
{
    return m_player.isLentRangePlaying();
}

void TimelinePasses::stopPasses()
{
    m_player.stopLentRange();
}

PracticeCommands::PracticeCommands(
    TMp3Player& player, PlayerControls& controls, PracticeController& practice, QObject* parent)
    : QObject(parent), m_player(player), m_controls(controls), m_practice(practice)
{
    // The player took its device back: the drill is over.
    connect(&m_player, &TMp3Player::deviceReclaimed, this, [this] {
        if (m_practice.drill().isRunning())
            m_practice.toggleDrill(0);
        Q_EMIT drillRunningChanged(false);
    });
    // A new document whose lengths are still measured: the marks of the one before are gone
    // until its timeline is ready (a timeline laid out at once was announced before).
    connect(&m_player, &TMp3Player::documentOpened, this, [this] {
        if (!m_player.isMeasuring())
            return;
        m_practice.documentClosed();
        Q_EMIT drillRunningChanged(false);
    });
    connect(
        &m_player, &TMp3Player::positionShown, &m_practice, &PracticeController::showSentenceAt);
}

bool PracticeCommands::canFindSentences()
{
    QString reason;
    if (m_player.DocName().isEmpty())
        reason = u"请先打开一个文件或播放列表"_s;
    else if (m_player.isMeasuring())
        reason = u"正在读取文件时长，请稍候再试"_s;
    else
        reason = m_practice.noSentenceReason(m_player.positionMs());
    if (!reason.isEmpty())
        m_practice.showMessage(reason);
    return reason.isEmpty();
}

bool PracticeCommands::isDrilling() const
{
    return m_practice.drill().isRunning();
}

void PracticeCommands::tick(qint64 nowMs)
{
    if (!isDrilling()) {
        m_controls.PlayTick();
        return;
    }
    m_practice.tick(nowMs);
    m_player.showDevicePosition();
    // After the last sentence the device stays where it ended.
    if (!isDrilling())
        m_player.reclaimDevice();
}

void PracticeCommands::playFrom(qint64 ms)
{
    m_player.PlayFromPoint(ms);
    m_player.showPosition(ms);
}

void PracticeCommands::skipBy(int deltaMs)
{
    if (m_player.DocName().isEmpty())
        return;
    const bool playing = m_player.isPlaying();
    const qint64 target
        = std::clamp<qint64>(m_player.positionMs() + deltaMs, 0, m_player.TotalLength());
    m_player.reclaimDevice();
    // Past the end of the timeline is its end, where playing stops.
    if (playing && target < m_player.TotalLength())
        playFrom(target);
    else
        m_player.moveTo(target);
}

void PracticeCommands::previousSentence()
{
    if (m_practice.stepDrill(-1) || !canFindSentences())
        return;
    if (const auto start = m_practice.previousSentenceStart(m_player.positionMs()))
        playFrom(*start);
}

void PracticeCommands::nextSentence()
{
    if (m_practice.stepDrill(1) || !canFindSentences())
        return;
    if (const auto start = m_practice.nextSentenceStart(m_player.positionMs()))
        playFrom(*start);
    else
        m_practice.showMessage(u"已是最后一句"_s);
}

void PracticeCommands::repeatSentence()
{
    if (!canFindSentences())
        return;
    const auto sentence = m_practice.sentenceAt(m_player.positionMs());
    m_player.setRepeatSegment(sentence->startMs, sentence->endMs);
    playFrom(sentence->startMs);
}

void PracticeCommands::toggleDrill()
{
    if (isDrilling()) {
        m_player.reclaimDevice();
        return;
    }
    if (!canFindSentences())
        return;
    const qint64 position = m_player.positionMs();
    m_player.lendDevice();
    m_practice.toggleDrill(position);
    Q_EMIT drillRunningChanged(true);
}

void PracticeCommands::playFromStamp(qint64 ms)
{
    if (m_player.DocName().isEmpty() || m_player.TotalLength() <= 0)
        m_practice.showMessage(u"请先打开一个文件或播放列表"_s);
    else if (ms >= m_player.TotalLength())
        m_practice.showMessage(u"时间标记 %1 超出了音频的长度"_s.arg(stampText(ms)));
    else
        playFrom(ms);
}

void PracticeCommands::stopDrill()
{
    if (isDrilling())
        m_player.reclaimDevice();
}

QList<TimelineFile> PracticeCommands::timelineFiles() const
{
    QList<TimelineFile> files;
    qint64 start = 0;
    for (qsizetype i = 0; i < m_player.FileList().size(); ++i) {
        const qint64 length = m_player.SegLengths().value(i);
        files.append({ m_player.FileList().at(i), start, length });
        start += length;
    }
    return files;
}

TimelineFile PracticeCommands::placeOfLyrics(const QString& lyricsPath) const
{
    if (m_player.ListMode()) {
        const QString name = QFileInfo(lyricsPath).completeBaseName();
        for (const TimelineFile& file : timelineFiles()) {
            if (QFileInfo(file.path).completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
                return file;
        }
    }
    return { QString(), 0, m_player.TotalLength() };
}

std::optional<double> PracticeCommands::documentReady(const QString& docName)
{
    const auto point = m_practice.documentOpened(docName, timelineFiles());
    Q_EMIT drillRunningChanged(false);
    m_practice.showSentenceAt(m_player.positionMs());
    if (!point)
        return std::nullopt;
    // A learner who started playing while the lengths were measured is not moved.
    const qint64 total = m_player.TotalLength();
    if (point->positionMs > 0 && point->positionMs < total && !m_player.isPlaying())
        m_player.moveTo(point->positionMs);
    return point->speed;
}

void PracticeCommands::rememberDocument(double speed)
{
    const QString& docName = m_player.DocName();
    if (docName.isEmpty())
        return;
    // A failure here was reported when the database failed to open; leaving never fails.
    try {
        m_practice.documentLeft(docName, m_player.positionMs(), speed);
    } catch (const EcolvarError&) {
    }
}

} // namespace ecolvar
