#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "player/lengthmeasurer.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace ecolvar {

class LengthMeasurer;
class MediaDevice;
class PlayerView;
class Prompts;
class TrackBarView;

// The timeline player: plays an ordered list of audio files as one timeline through the playing
// device, with the track bar as position display and seek control. It is the one owner of what
// is playing: the timeline (the files, their lengths, the total, the mode, the document name),
// the playing state, the position, the located file and the repeat segment, which it applies to
// the device itself (points and loop). The bar, the labels and the tick only show and follow it.
//
// In single-file mode the bar counts whole seconds; in list mode it counts its own pixels (0 to
// its width W) and bar position x stands for x * TotalLength / W milliseconds. Every conversion is
// done in floating point and truncated toward zero. Timeline sums are 64-bit: a list may last
// longer than 2^31 ms. The main window owns it; it does not own the devices, the bar or the view.
class TMp3Player : public QObject {
    Q_OBJECT

public:
    // player plays the timeline; probe only measures file lengths.
    TMp3Player(MediaDevice& player, MediaDevice& probe, TrackBarView& bar, PlayerView& view,
        Prompts& prompts, QObject* parent = nullptr);

    // Full paths of the timeline's files, in playing order.
    const QStringList& FileList() const { return m_fileList; }
    // Length of each file of FileList in milliseconds, measured at the last load.
    const QList<qint64>& SegLengths() const { return m_segLengths; }
    // Sum of SegLengths, in milliseconds.
    qint64 TotalLength() const { return m_totalLength; }
    // The document name: the file's name up to its first "." (single-file mode) or the playlist
    // name (list mode); empty until the first load.
    const QString& DocName() const { return m_docName; }
    bool ListMode() const { return m_listMode; }

    // The located position, written only by LocateBarPos: the file of FileList to play, the
    // milliseconds into it, and the timeline point where it begins.
    int CurFileIndex() const { return m_curFileIndex; }
    int CurOffset() const { return m_curOffset; }
    qint64 CurFileStart() const { return m_curFileStart; }

    // --- Playing state ---------------------------------------------------------------------
    // Playing: the tick follows the device (which may have stopped at the end of a single file,
    // or wait for the tick to play on in a list). Paused: stopped by the learner where they were.
    // Stopped: at the beginning, at the end of a list, or after a load.
    enum class PlayState { Stopped, Playing, Paused };
    PlayState state() const { return m_state; }
    bool isPlaying() const { return m_state == PlayState::Playing; }
    // Sets the state; the tick runs exactly while playing.
    void setState(PlayState state);

    // --- Position ------------------------------------------------------------------------
    // Where the learner is, in milliseconds of the timeline: read from the device while playing,
    // else where playing stopped or the learner moved it.
    qint64 positionMs();
    // The bar position, in bar units: what the thumb shows and where the play button starts.
    int barPosition() const { return m_barPos; }
    // The learner moved the thumb to bar position x.
    void setBarPosition(int x);
    // Puts the position at timeline point ms and shows it on the thumb and the position label.
    void showPosition(qint64 ms);
    // Puts the position at timeline point ms (held within the timeline) without playing: the
    // thumb and the label show it, in single-file mode the device seeks there, and the next play
    // begins at the thumb.
    void moveTo(qint64 ms);
    // Reads the position from the device (and the file it plays) and shows it.
    void showDevicePosition();

    // --- Bar units -----------------------------------------------------------------------
    // Milliseconds per bar unit: 1000 in single-file mode; in list mode the total over the bar's
    // width, or nothing on an empty timeline or a bar of width 0.
    std::optional<double> msPerBarUnit() const;
    // Timeline point ms as a bar position and back, truncated toward zero (0 without a scale).
    int toBar(qint64 ms) const;
    qint64 fromBar(double x) const;

    // --- Repeat segment ------------------------------------------------------------------
    // The repeat segment's band in bar units, as drawn; 0 and 0 is none.
    int SelStart() const { return m_selStart; }
    int SelEnd() const { return m_selEnd; }
    // List mode: the start and end in milliseconds as last set or shifted; they survive loads and
    // cancelling, so that a shift after a cancel starts from them. Single-file mode: the band's
    // ends in whole seconds, as the segment label shows them.
    qint64 SegStartMs() const { return m_segStartMs; }
    qint64 SegEndMs() const { return m_segEndMs; }
    // The segment that playing repeats, in milliseconds of the timeline: in single-file mode the
    // device's points (an end above 0 sets it), in list mode the band (an end above 0 and a start
    // at 0 or more), each end exact where the remembered point lies in the band's unit.
    struct RepeatSegment {
        qint64 startMs = 0;
        qint64 endMs = 0;
        bool operator==(const RepeatSegment&) const = default;
    };
    std::optional<RepeatSegment> repeatSegment() const;
    // The segment from startMs to endMs exactly (a sentence, say), shown and applied at once.
    void setRepeatSegment(qint64 startMs, qint64 endMs);
    // No segment: the band and the device's points become 0 and the device loops nothing; the
    // remembered list-mode points stay.
    void clearRepeatSegment();
    // The start or end point at the bar position (single-file mode: at the device's position
    // while playing, else at the bar's whole second).
    void markSegmentStart();
    void markSegmentEnd();
    // Moves the start or end point by deltaMs (never below 0). In list mode the remembered point
    // moves and the band follows (an end past the total becomes the total + 3); in single-file
    // mode the device's point moves, pending for the next play, and a play applies it.
    void shiftSegmentStart(int deltaMs);
    void shiftSegmentEnd(int deltaMs);
    // Loops the segment in the device where it lies inside the open file, else loops nothing.
    void applyLoop();

    // --- Lending the device --------------------------------------------------------------
    // Another player of passes (the drill) uses the device: the segment stays as shown but the
    // device loops nothing, and the tick does not run. Every command of the player takes the
    // device back first: deviceReclaimed is announced (the borrower stops), the device gets the
    // segment's points and loop again, and the player is paused.
    void lendDevice();
    void reclaimDevice();
    bool isDeviceLent() const { return m_lent; }
    // While lent: plays the timeline from startMs to endMs in the file that holds startMs (the
    // later one on a boundary), never on into the next file; whether that play still runs; and
    // stopping it where it is.
    void playLentRange(qint64 startMs, qint64 endMs);
    bool isLentRangePlaying();
    void stopLentRange();

    // Opens one file in single-file mode: stops the tick, closes the device, and when the file
    // exists clears the repeat segment, loads it under the document name taken from its name and
    // announces the document. A missing file leaves everything else as it was; returns whether
    // the file was opened (it may still have been dropped as unreadable).
    bool OpenFile(const QString& path);
    // Before a playlist is read: stops the tick, closes the device, puts the thumb at 0 and
    // switches to list mode.
    void EnterListMode();
    // Loads a playlist's files (list mode, after EnterListMode) under listName and announces the
    // document. With resetSelection the repeat segment's band is cleared first.
    void OpenList(const QString& listName, const QStringList& files, bool resetSelection);

    // Locates bar position x (bar units). In list mode a point outside a repeat segment whose start
    // and end are above 0 goes to the segment's start; a point on the boundary between two files
    // belongs to the earlier one, at its end; a point in no file gives the first file from its
    // beginning.
    void LocateBarPos(double x);
    // Plays from the bar's position (in list mode one bar unit after it) and enables the tick.
    // A point at the end of a file that has a successor plays the successor from its beginning.
    // Does nothing on an empty timeline.
    void PlayFromBar();
    // Plays from timeline point ms exactly (milliseconds from the start of the timeline) and
    // enables the tick. A point on the boundary between two files plays the later one from its
    // beginning.
    void PlayFromPoint(qint64 ms);
    // List mode: queues the file after the located one on the device, so that playing goes on
    // into it without a gap; clears the queue at the last file, with a repeat segment that ends
    // in the located file or before it, while lengths are measured, or when the device does not
    // play the located file.
    void QueueNextFile();
    // The device moved on into the queued file by itself: the located position follows it to
    // the beginning of the next file, and the file after it is queued.
    void FollowDevice();
    // Length of the audio file at path in milliseconds; 0 when it is missing, and 0 after the
    // " 打不开" box when it cannot be opened.
    int ProbeLength(const QString& path);

    // Measures lengths with measurer from now on, off the window's thread; without one (the
    // default), loads measure each file with the probe before they return.
    void setMeasurer(LengthMeasurer* measurer);
    // Whether a load is still waiting for lengths: the side panel lists the files, the first plays,
    // and the pieces come when all are known.
    bool isMeasuring() const { return m_measuring; }

    // Play or pause: pausing stops where playing is; playing starts at the bar position (in a
    // list one bar unit after it), in single-file mode from its whole second to the end.
    void playPause();
    // Stops and returns to the beginning.
    void stop();
    // How far a pause puts the position back, so that playing on repeats the last words (0:
    // it stays where playing stopped).
    void setRewindOnPauseMs(int ms) { m_rewindOnPauseMs = std::max(ms, 0); }

Q_SIGNALS:
    // The device was taken back from a borrower (see lendDevice).
    void deviceReclaimed();
    // A file or a playlist was loaded under this document name (the transcripts follow it).
    void documentOpened(const QString& docName);
    // Every length of the document's timeline is known and laid out (at once, or when the
    // background measuring ends).
    void timelineReady(const QString& docName);
    // The position shown moved to timeline point ms (playing, a command or the learner).
    void positionShown(qint64 ms);

private:
    // Measures the files, drops those that are missing, unreadable or empty, and lays the rest out
    // on the bar, the side panel and the device (the first file open, stopped). Never plays.
    void LoadFileList(const QString& docName, const QStringList& files);
    // The rest of a load once every length is known (0 for a file to drop, with its error if it
    // could not be opened), in the order of FileList.
    void layOut(const QList<MeasuredLength>& lengths);
    void layOutTimeline(const QList<MeasuredLength>& lengths);
    void stopForLoad();
    void showSideLines();
    // Sets the located position to timeline point target (milliseconds, list mode).
    void locatePoint(double target);
    // Opens the located file unless it is open; a point at the end of a file that has a
    // successor becomes the successor's beginning.
    void openLocated();
    // Opens the located file, seeks to the located offset, plays and enables the tick.
    void playLocated();
    // The band, and the segment label from the remembered points.
    void showSegment();
    void setBand(int start, int end);
    // The list-mode remembered points from the band.
    void segmentFromBand();
    void shiftListPoint(bool start, int deltaMs);
    void shiftFilePoint(bool start, int deltaMs);
    // The repeat segment's end in milliseconds from a band end and its remembered point.
    qint64 bandPointMs(int band, qint64 remembered) const;

    MediaDevice& m_player;
    MediaDevice& m_probe;
    TrackBarView& m_bar;
    PlayerView& m_view;
    Prompts& m_prompts;
    LengthMeasurer* m_measurer = nullptr;
    bool m_measuring = false;

    QStringList m_fileList;
    QList<qint64> m_segLengths;
    qint64 m_totalLength = 0;
    QString m_docName;
    bool m_listMode = false;
    int m_curFileIndex = 0;
    int m_curOffset = 0;
    qint64 m_curFileStart = 0;
    PlayState m_state = PlayState::Stopped;
    bool m_lent = false;
    int m_rewindOnPauseMs = 0;
    qint64 m_positionMs = 0;
    int m_barPos = 0;
    // The bar's range as the last load set it; the bar position is held within it.
    int m_barMaximum = std::numeric_limits<int>::max();
    int m_selStart = 0;
    int m_selEnd = 0;
    qint64 m_segStartMs = 0;
    qint64 m_segEndMs = 0;
    // Single-file mode: the device's start and end points as the player set them.
    int m_playFromMs = 0;
    int m_playToMs = 0;
    // The device's movedOnCount() that the located position has followed.
    int m_movedOnSeen = 0;
};

} // namespace ecolvar
