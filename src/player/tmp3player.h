#pragma once

#include <QString>
#include <QStringList>

namespace ecolvar {

class MediaDevice;
class PlayerView;
class Prompts;
class TSegmentTrackBar;

// The timeline player: plays an ordered list of audio files as one timeline through the playing
// device, with the segment track bar as position display and seek control. In single-file mode
// the bar counts whole seconds; in list mode it counts its own pixels (0 to its width W) and bar
// position x stands for x * TotalLength / W milliseconds. Every conversion is done in floating
// point and truncated toward zero. The main window owns it; it does not own the devices, the bar
// or the view.
class TMp3Player {
public:
    // player plays the timeline; probe only measures file lengths.
    TMp3Player(MediaDevice& player, MediaDevice& probe, TSegmentTrackBar& bar, PlayerView& view,
        Prompts& prompts);

    // Full paths of the timeline's files, in playing order.
    QStringList FileList;
    // Sum of the lengths of FileList after the last load, in milliseconds.
    int TotalLength = 0;
    // The document name: the file's name up to its first "." (single-file mode) or the playlist
    // name (list mode); empty until the first load.
    QString DocName;
    bool ListMode = false;

    // The located position, written only by LocateBarPos: the file of FileList to play, the
    // milliseconds into it, and the timeline point where it begins.
    int CurFileIndex = 0;
    int CurOffset = 0;
    int CurFileStart = 0;

    // Measures FileList, drops the files that are missing, unreadable or empty, and lays the rest
    // out on the bar, the side panel and the device (the first file open, stopped). The caller has
    // stopped the tick, closed the device, set the bar position to 0, set ListMode and the bar's
    // ShowSegments, filled FileList and set DocName. Never starts playback.
    void LoadFileList();
    // Locates bar position x (bar units). In list mode a point outside a repeat segment whose start
    // and end are above 0 goes to the segment's start; a point on the boundary between two files
    // belongs to the earlier one, at its end; a point in no file gives the first file from its
    // beginning.
    void LocateBarPos(double x);
    // Plays from the bar's position (in list mode one bar unit after it) and enables the tick.
    // A point at the end of a file that has a successor plays the successor from its beginning.
    // Does nothing on an empty timeline.
    void PlayFromBar();
    // Length of the audio file at path in milliseconds; 0 when it is missing, and 0 after the
    // " 打不开" box when it cannot be opened.
    int ProbeLength(const QString& path);

private:
    MediaDevice& m_player;
    MediaDevice& m_probe;
    TSegmentTrackBar& m_bar;
    PlayerView& m_view;
    Prompts& m_prompts;
};

} // namespace ecolvar
