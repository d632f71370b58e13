#include "sentencedrill.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ecolvar {

SentenceDrill::SentenceDrill(PassPlayer& passes) : m_passes(passes) { }

void SentenceDrill::setSettings(const Settings& settings)
{
    m_settings.passes = std::clamp(settings.passes, minPasses, maxPasses);
    m_settings.pausePercent = std::clamp(settings.pausePercent, 0, maxPausePercent);
}

void SentenceDrill::start(const QList<Sentence>& sentences, int index)
{
    if (index < 0 || index >= sentences.size())
        return;
    m_sentences = sentences;
    m_state = State::Playing;
    jumpTo(index);
}

void SentenceDrill::jumpTo(int index)
{
    if (!isRunning())
        return;
    m_index = std::clamp(index, 0, int(m_sentences.size()) - 1);
    m_pass = 1;
    playPass();
}

void SentenceDrill::stop()
{
    if (!isRunning())
        return;
    m_passes.stopPasses();
    m_state = State::Idle;
}

void SentenceDrill::tick(qint64 nowMs)
{
    if (m_state == State::Playing && !m_passes.isPassPlaying()) {
        const bool lastPass = m_pass >= m_settings.passes;
        if (lastPass && m_index + 1 >= m_sentences.size()) {
            m_state = State::Idle; // the last pass of the last sentence ends the drill
            return;
        }
        const Sentence& s = m_sentences[m_index];
        m_pauseEndMs = nowMs + qint64(s.endMs - s.startMs) * m_settings.pausePercent / 100;
        m_state = State::Pausing;
    }
    if (m_state == State::Pausing && nowMs >= m_pauseEndMs) {
        if (m_pass < m_settings.passes) {
            ++m_pass;
        } else {
            ++m_index;
            m_pass = 1;
        }
        playPass();
    }
}

QString SentenceDrill::statusText() const
{
    if (!isRunning())
        return {};
    return u"第 %1/%2 句 · 第 %3/%4 遍"_s.arg(m_index + 1)
        .arg(m_sentences.size())
        .arg(m_pass)
        .arg(m_settings.passes);
}

void SentenceDrill::playPass()
{
    const Sentence& s = m_sentences[m_index];
    m_state = State::Playing;
    m_passes.playPass(s.startMs, s.endMs);
}

} // namespace ecolvar
