#pragma once

#include "practicecontroller.h"
#include "sentencedrill.h"

#include <QObject>
#include <QString>

#include <optional>

namespace ecolvar {

class PlayerControls;
class TMp3Player;

// The drill's passes on the timeline player's device, while the player lends it.
class TimelinePasses : public PassPlayer {
public:
    explicit TimelinePasses(TMp3Player& player) : m_player(player) { }
    void playPass(qint64 startMs, qint64 endMs) override;
    bool isPassPlaying() override;
    void stopPasses() override;

private:
    TMp3Player& m_player;
};

// The practice commands of the window over the timeline player and the practice controller:
// skip, previous / repeat / next sentence, the drill, and where the learner leaves a document.
// Positions are the player's, in milliseconds of the timeline. The drill borrows the player's
// device; any command of the player takes it back and so ends the drill. The window owns it and
// connects its keys and its timer to it; it owns nothing it is given.
class PracticeCommands : public QObject {
    Q_OBJECT
public:
    PracticeCommands(TMp3Player& player, PlayerControls& controls, PracticeController& practice,
        QObject* parent = nullptr);

    // One tick of the timer at nowMs of a steady clock: the drill's while it runs, else the
    // playback tick.
    void tick(qint64 nowMs);

    // Moves the position by deltaMs, within the timeline: while playing, playing goes on there.
    void skipBy(int deltaMs);
    // Plays the previous / next sentence, or moves a running drill to it.
    void previousSentence();
    void nextSentence();
    // The sentence at the position becomes the repeat segment, and plays.
    void repeatSentence();
    // Starts the drill at the sentence at the position, or stops the running one.
    void toggleDrill();
    void stopDrill();
    bool isDrilling() const;
    // Plays from timeline point ms of a transcript's stamp; a stamp past the end, or no open
    // document, gets a message on the status line instead.
    void playFromStamp(qint64 ms);

    // The open document's timeline is laid out: its sentence marks are looked for, and the
    // position goes where the learner left it (without playing, and not while playing). Returns
    // the speed the learner left it at, when known.
    std::optional<double> documentReady(const QString& docName);
    // The part of the timeline that lyrics or subtitles of this file name stand for: in a list,
    // the file of the same name; otherwise, or when no file has that name, the whole timeline.
    TimelineFile placeOfLyrics(const QString& lyricsPath) const;
    // Remembers where the learner leaves the open document, at this speed. Never throws.
    void rememberDocument(double speed);

Q_SIGNALS:
    // A drill started, or ended in any way.
    void drillRunningChanged(bool running);

private:
    QList<TimelineFile> timelineFiles() const;
    void playFrom(qint64 ms);
    // The sentence at the position, or nothing with the reason on the status line.
    bool canFindSentences();

    TMp3Player& m_player;
    PlayerControls& m_controls;
    PracticeController& m_practice;
};

} // namespace ecolvar
