#pragma once

#include <QString>
#include <QStringList>

namespace ecolvar {

// What the player shows and reads in the main window besides the track bar: the two labels, the
// playlist name, the side panel and the tick timer. The window implements it over its controls;
// tests implement it with plain values.
class PlayerView {
public:
    virtual ~PlayerView() = default;

    // Label7, the position.
    virtual void setPositionText(const QString& text) = 0;
    // Label6, the repeat segment.
    virtual void setSegmentText(const QString& text) = 0;
    // LblFileLst, the name of what is loaded.
    virtual void setListName(const QString& name) = 0;
    // The status line: what a load is busy with; empty clears it.
    virtual void setStatusText(const QString& text) = 0;

    // ListBox1, the side panel: its lines (full paths), the highlighted line, the selected line
    // (-1 when none).
    virtual void setSideLines(const QStringList& lines) = 0;
    virtual void selectSideLine(int index) = 0;
    virtual int selectedSideLine() const = 0;

    // Timer2, which drives the playback tick: it runs exactly while the player plays.
    virtual void setTickEnabled(bool enabled) = 0;
};

// "位置：<position>/<total>", both in milliseconds.
QString positionText(qint64 positionMs, qint64 totalMs);
// "起始点：<start>  结束点：<end>", both in milliseconds.
QString segmentText(qint64 startMs, qint64 endMs);

} // namespace ecolvar
