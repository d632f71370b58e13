#include "practicecommands.h"

#include "core/ecolvarerror.h"
#include "player/playercontrols.h"
#include "player/tmp3player.h"
#include "practicecontroller.h"
#include "practicestore.h"

#include <algorithm>
#include <limits>

namespace ecolvar {

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
    if (m_practice.stepDrill(-1))
        return;
    if (const auto start = m_practice.previousSentenceStart(int(m_player.positionMs())))
        playFrom(*start);
}

void PracticeCommands::nextSentence()
{
    if (m_practice.stepDrill(1))
        return;
    if (const auto start = m_practice.nextSentenceStart(int(m_player.positionMs())))
        playFrom(*start);
}

void PracticeCommands::repeatSentence()
{
    const auto sentence = m_practice.sentenceAt(int(m_player.positionMs()));
    if (!sentence)
        return;
    m_player.setRepeatSegment(sentence->startMs, sentence->endMs);
    playFrom(sentence->startMs);
}

void PracticeCommands::toggleDrill()
{
    if (isDrilling()) {
        m_player.reclaimDevice();
        return;
    }
    const int position = int(m_player.positionMs());
    if (m_practice.marks().indexAt(position) < 0)
        return;
    m_player.lendDevice();
    m_practice.toggleDrill(position);
    Q_EMIT drillRunningChanged(true);
}

void PracticeCommands::stopDrill()
{
    if (isDrilling())
        m_player.reclaimDevice();
}

std::optional<double> PracticeCommands::documentReady(const QString& docName)
{
    const QString audio = m_player.ListMode() ? QString() : m_player.FileList().value(0);
    const qint64 total = m_player.TotalLength();
    const auto point = m_practice.documentOpened(
        docName, audio, int(std::min<qint64>(total, std::numeric_limits<int>::max())));
    Q_EMIT drillRunningChanged(false);
    if (!point)
        return std::nullopt;
    // A learner who started playing while the lengths were measured is not moved.
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
