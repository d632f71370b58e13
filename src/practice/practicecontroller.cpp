#include "practicecontroller.h"

#include "core/ecolvarerror.h"
#include "practicestore.h"

using namespace Qt::StringLiterals;

namespace ecolvar {

PracticeController::PracticeController(
    MediaDevice& player, PracticeStore* store, PracticeView& view, QObject* parent)
    : QObject(parent), m_store(store), m_view(view), m_finder(store), m_drill(player)
{
    connect(&m_finder, &SentenceFinder::marksFound, this, &PracticeController::marksFound);
    connect(&m_finder, &SentenceFinder::progressChanged, this,
        [this](int percent) { m_view.showPracticeMessage(u"正在分句 %1%"_s.arg(percent)); });
    connect(&m_finder, &SentenceFinder::failed, this,
        [this](const QString&, const QString& error) { m_view.showPracticeMessage(error); });
}

std::optional<ResumePoint> PracticeController::documentOpened(
    const QString& docName, const QString& audioPath, int lengthMs)
{
    m_drill.stop();
    showDrillStatus();
    m_marks = {};
    m_audioPath = audioPath;
    m_view.showSentenceTicks({});
    m_view.showPracticeMessage({});
    if (audioPath.isEmpty())
        m_finder.cancel();
    else
        m_finder.find(audioPath, lengthMs);
    if (!m_store || docName.isEmpty())
        return std::nullopt;
    try {
        return m_store->resumePoint(docName);
    } catch (const EcolvarError&) {
        return std::nullopt; // the document opens at its beginning, as without a database
    }
}

void PracticeController::documentLeft(const QString& docName, qint64 positionMs, double speed)
{
    if (m_store && !docName.isEmpty())
        m_store->setResumePoint(docName, { positionMs, speed });
}

std::optional<int> PracticeController::previousSentenceStart(int positionMs) const
{
    const int i = m_marks.indexAt(positionMs);
    if (i < 0)
        return std::nullopt;
    return m_marks.sentences[std::max(0, i - 1)].startMs;
}

std::optional<int> PracticeController::nextSentenceStart(int positionMs) const
{
    const int i = m_marks.indexAt(positionMs);
    if (i < 0)
        return std::nullopt;
    // Before the first sentence, the next one is the first.
    if (positionMs < m_marks.sentences[i].startMs)
        return m_marks.sentences[i].startMs;
    if (i + 1 >= m_marks.sentences.size())
        return std::nullopt;
    return m_marks.sentences[i + 1].startMs;
}

std::optional<Sentence> PracticeController::sentenceAt(int positionMs) const
{
    const int i = m_marks.indexAt(positionMs);
    if (i < 0)
        return std::nullopt;
    return m_marks.sentences[i];
}

void PracticeController::toggleDrill(int positionMs)
{
    if (m_drill.isRunning())
        m_drill.stop();
    else
        m_drill.start(m_marks.sentences, m_marks.indexAt(positionMs));
    showDrillStatus();
}

bool PracticeController::stepDrill(int delta)
{
    if (!m_drill.isRunning())
        return false;
    m_drill.jumpTo(m_drill.sentenceIndex() + delta);
    showDrillStatus();
    return true;
}

void PracticeController::tick(qint64 nowMs)
{
    if (!m_drill.isRunning())
        return;
    m_drill.tick(nowMs);
    showDrillStatus();
}

void PracticeController::marksFound(
    const QString& path, const SentenceMarks& marks, const QString& note)
{
    if (path != m_audioPath)
        return;
    m_marks = marks;
    m_view.showSentenceTicks(marks.starts());
    m_view.showPracticeMessage(note);
}

void PracticeController::showDrillStatus()
{
    m_view.showDrillStatus(m_drill.statusText());
}

} // namespace ecolvar
