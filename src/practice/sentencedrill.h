#pragma once

#include "sentences.h"

namespace ecolvar {

// Where the drill plays its passes: a range of the document's timeline (or of the one file),
// in milliseconds.
class PassPlayer {
public:
    virtual ~PassPlayer() = default;
    virtual void playPass(qint64 startMs, qint64 endMs) = 0;
    // Whether the last pass still plays.
    virtual bool isPassPlaying() = 0;
    virtual void stopPasses() = 0;
};

// The drill: plays each sentence a number of times with a pause after each pass (a share of the
// sentence's length, for saying it aloud), then moves on to the next sentence and stops after
// the last. It plays through a pass player; time comes in through tick(), called often (every
// tick of the window's timer) with a clock in milliseconds. Owned by the practice controller; it
// does not own the pass player.
class SentenceDrill {
public:
    static constexpr int minPasses = 1;
    static constexpr int maxPasses = 10;
    static constexpr int maxPausePercent = 200;

    struct Settings {
        int passes = 3;
        // The pause after each pass, in per cent of the sentence's length.
        int pausePercent = 100;
    };

    explicit SentenceDrill(PassPlayer& passes);

    // Values out of range are brought into it (passes 1 to 10, pause 0 to 200 %).
    void setSettings(const Settings& settings);
    const Settings& settings() const { return m_settings; }

    // Starts the drill at sentence index (0-based) with its first pass; nothing happens when
    // there is no such sentence.
    void start(const QList<Sentence>& sentences, int index);
    // Moves a running drill to sentence index (clamped to the sentences), first pass.
    void jumpTo(int index);
    // Stops the drill and its passes; the position stays where it is.
    void stop();
    // Lets the drill see the time: a pass that ended starts its pause, a pause that ran out
    // starts the next pass or sentence.
    void tick(qint64 nowMs);

    bool isRunning() const { return m_state != State::Idle; }
    bool isPausing() const { return m_state == State::Pausing; }
    // 0-based sentence index and 1-based pass of a running drill.
    int sentenceIndex() const { return m_index; }
    int pass() const { return m_pass; }
    // "第 12/87 句 · 第 2/3 遍" while the drill runs, empty otherwise.
    QString statusText() const;

private:
    enum class State { Idle, Playing, Pausing };

    void playPass();

    PassPlayer& m_passes;
    Settings m_settings;
    QList<Sentence> m_sentences;
    State m_state = State::Idle;
    int m_index = 0;
    int m_pass = 1;
    qint64 m_pauseEndMs = 0;
};

} // namespace ecolvar
