#include "practicecontroller.h"

#include "core/ecolvarerror.h"
#include "practicestore.h"

#include <algorithm>
#include <climits>

using namespace Qt::StringLiterals;

namespace ecolvar {

PracticeController::PracticeController(
    PassPlayer& passes, PracticeStore* store, PracticeView& view, QObject* parent)
    : QObject(parent), m_store(store), m_view(view), m_finder(store), m_drill(passes)
{
    connect(&m_finder, &SentenceFinder::marksFound, this, &PracticeController::marksFound);
    connect(&m_finder, &SentenceFinder::progressChanged, this, [this](int percent) {
        if (m_files.size() == 1)
            m_view.showPracticeMessage(u"正在分句 %1%"_s.arg(percent));
        else
            m_view.showPracticeMessage(u"正在分句 %1%（第 %2/%3 个文件）"_s.arg(percent)
                                           .arg(m_next + 1)
                                           .arg(m_files.size()));
    });
    connect(&m_finder, &SentenceFinder::failed, this, &PracticeController::findingFailed);
}

std::optional<ResumePoint> PracticeController::documentOpened(
    const QString& docName, const QList<TimelineFile>& files)
{
    documentClosed();
    for (const TimelineFile& file : files)
        m_files.append({ file });
    m_marks.lengthMs = files.isEmpty()
        ? 0
        : int(std::min<qint64>(files.last().startMs + files.last().lengthMs, INT_MAX));
    findNext();
    if (!m_store || docName.isEmpty())
        return std::nullopt;
    try {
        return m_store->resumePoint(docName);
    } catch (const EcolvarError&) {
        return std::nullopt; // the document opens at its beginning, as without a database
    }
}

void PracticeController::documentClosed()
{
    m_drill.stop();
    showDrillStatus();
    m_finder.cancel();
    m_files.clear();
    m_next = 0;
    m_asking = false;
    m_marks = {};
    m_view.showSentenceTicks({});
    m_view.showPracticeMessage({});
    m_currentSentence.clear();
    m_view.showCurrentSentence({});
}

void PracticeController::findNext()
{
    // A finder that answers at once answers inside find(): the loop below asks on.
    if (m_inFindNext)
        return;
    m_inFindNext = true;
    while (!m_asking && m_next < m_files.size()) {
        m_asking = true;
        const TimelineFile& file = m_files.at(m_next).file;
        m_finder.find(file.path, int(std::min<qint64>(file.lengthMs, INT_MAX)));
    }
    m_inFindNext = false;
}

void PracticeController::marksFound(
    const QString& path, const SentenceMarks& marks, const QString& note)
{
    if (!m_asking || m_next >= m_files.size() || path != m_files.at(m_next).file.path)
        return;
    FileMarks& file = m_files[m_next];
    file.state = FileState::Found;
    file.firstIndex = int(m_marks.sentences.size());
    // Files are found in order: this one's sentences follow those of the files before it.
    for (Sentence sentence : marks.sentences) {
        sentence.startMs = int(std::min<qint64>(sentence.startMs + file.file.startMs, INT_MAX));
        sentence.endMs = int(std::min<qint64>(sentence.endMs + file.file.startMs, INT_MAX));
        m_marks.sentences.append(sentence);
    }
    file.count = int(marks.sentences.size());
    if (m_files.size() == 1)
        m_marks.source = marks.source;
    m_view.showSentenceTicks(m_marks.starts());
    m_view.showPracticeMessage(note);
    m_asking = false;
    ++m_next;
    findNext();
}

void PracticeController::findingFailed(const QString& path, const QString& error)
{
    if (!m_asking || m_next >= m_files.size() || path != m_files.at(m_next).file.path)
        return;
    m_files[m_next].state = FileState::Failed;
    m_view.showPracticeMessage(error);
    m_asking = false;
    ++m_next;
    findNext();
}

const PracticeController::FileMarks* PracticeController::fileAt(qint64 positionMs) const
{
    // A point on the boundary of two files belongs to the later one; the end, to the last.
    const auto after = std::upper_bound(m_files.begin(), m_files.end(), positionMs,
        [](qint64 ms, const FileMarks& file) { return ms < file.file.startMs; });
    if (after == m_files.begin())
        return nullptr;
    return &*std::prev(after);
}

int PracticeController::sentenceIndexAt(qint64 positionMs) const
{
    const FileMarks* file = fileAt(positionMs);
    if (!file || file->state != FileState::Found || file->count == 0)
        return -1;
    const auto first = m_marks.sentences.begin() + file->firstIndex;
    const auto after = std::upper_bound(first, first + file->count, positionMs,
        [](qint64 ms, const Sentence& sentence) { return ms < sentence.startMs; });
    return file->firstIndex + int(std::max<qsizetype>(0, after - first - 1));
}

QString PracticeController::noSentenceReason(qint64 positionMs) const
{
    const FileMarks* file = fileAt(positionMs);
    if (!file)
        return u"没有可以分句的文件"_s;
    switch (file->state) {
    case FileState::Waiting:
        return u"这个文件还在分句，请稍候再试"_s;
    case FileState::Failed:
        return u"这个文件无法分句"_s;
    case FileState::Found:
        break;
    }
    return file->count == 0 ? u"这个文件里没有找到句子"_s : QString();
}

void PracticeController::documentLeft(const QString& docName, qint64 positionMs, double speed)
{
    if (m_store && !docName.isEmpty())
        m_store->setResumePoint(docName, { positionMs, speed });
}

std::optional<qint64> PracticeController::previousSentenceStart(qint64 positionMs) const
{
    const int i = sentenceIndexAt(positionMs);
    if (i < 0)
        return std::nullopt;
    return m_marks.sentences[std::max(0, i - 1)].startMs;
}

std::optional<qint64> PracticeController::nextSentenceStart(qint64 positionMs) const
{
    const int i = sentenceIndexAt(positionMs);
    if (i < 0)
        return std::nullopt;
    // Before the first sentence of a file, the next one is that first.
    if (positionMs < m_marks.sentences[i].startMs)
        return m_marks.sentences[i].startMs;
    if (i + 1 >= m_marks.sentences.size())
        return std::nullopt;
    return m_marks.sentences[i + 1].startMs;
}

std::optional<Sentence> PracticeController::sentenceAt(qint64 positionMs) const
{
    const int i = sentenceIndexAt(positionMs);
    if (i < 0)
        return std::nullopt;
    return m_marks.sentences[i];
}

void PracticeController::showSentenceAt(qint64 ms)
{
    // While the drill runs, its sentence is the one being heard.
    const int i = m_drill.isRunning() ? m_drill.sentenceIndex() : sentenceIndexAt(ms);
    QString text;
    if (i >= 0 && i < m_marks.sentences.size()) {
        text = m_marks.sentences[i].text.simplified();
        if (text.isEmpty())
            text = u"第 %1/%2 句"_s.arg(i + 1).arg(m_marks.sentences.size());
    }
    if (text == m_currentSentence)
        return;
    m_currentSentence = text;
    m_view.showCurrentSentence(text);
}

void PracticeController::toggleDrill(qint64 positionMs)
{
    if (m_drill.isRunning())
        m_drill.stop();
    else
        m_drill.start(m_marks.sentences, sentenceIndexAt(positionMs));
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

void PracticeController::showDrillStatus()
{
    m_view.showDrillStatus(m_drill.statusText());
}

} // namespace ecolvar
