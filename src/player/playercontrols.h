#pragma once

#include <QObject>

namespace ecolvar {

class MediaDevice;
class PlayerView;
class Prompts;
class TMp3Player;
class TrackBarView;

// The main window's playback handlers: the tick that follows the device while the player plays,
// the transport and repeat-segment buttons, the thumb and the side panel's double-click. They
// ask the timeline player for the playing state, the position and the repeat segment, and leave
// all of them to it. The main window owns it; handlers are connected to it directly.
class PlayerControls : public QObject {
    Q_OBJECT

public:
    PlayerControls(TMp3Player& player, MediaDevice& device, TrackBarView& bar, PlayerView& view,
        Prompts& prompts, QObject* parent = nullptr);

    // One tick of the timer: moves the thumb and the position label with the device, highlights
    // the current file, enforces the repeat segment and moves on to the next file of a list (from
    // its beginning; a repeat segment restarts at its start point). In a list the device normally
    // goes on into the next file by itself (it is queued while a file plays) and the tick only
    // follows it. Does nothing while the thumb is dragged.
    void PlayTick();

    void SpeedButton1Click(); // play / pause
    void SpeedButton2Click(); // stop and return to the beginning
    void SpeedButton5Click(); // start point 1000 ms earlier
    void SpeedButton6Click(); // start point at the thumb
    void SpeedButton7Click(); // start point 1000 ms later
    void SpeedButton8Click(); // end point 1000 ms earlier
    void SpeedButton9Click(); // end point at the thumb
    void SpeedButton10Click(); // end point 1000 ms later
    void SpeedButton11Click(); // cancel the repeat segment

    // The thumb is dragged to bar position value: the position label shows the time under it.
    void TrackBarMoved(int value);
    // The thumb was released or the bar clicked: while playing, playing goes on from the thumb (in
    // list mode one bar unit after it, or at the repeat segment's start when outside it).
    void TrackBarReleased();

    // Plays the file of the side panel's selected line from its beginning.
    void ListBox1DblClick();

private:
    void listModeTick();
    void singleFileTick();

    TMp3Player& m_player;
    MediaDevice& m_device;
    // Asked only whether the learner holds the thumb.
    TrackBarView& m_bar;
    PlayerView& m_view;
    Prompts& m_prompts;
    // The end point was set in list mode while stopped: the next tick plays on from the thumb.
    bool m_resumeFromThumb = false;
};

} // namespace ecolvar
