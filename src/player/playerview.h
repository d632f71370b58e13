#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace ecolvar {

// A row of the file list: the file name and its directory (ending in a separator).
struct FileRow {
    QString caption;
    QString directory;
};

// What the player shows and reads in the main window besides the track bar: the two labels, the
// playlist name, the side panel, the tick timer and the file list's selected row. The window
// implements it over its controls; tests implement it with plain values.
class PlayerView {
public:
    virtual ~PlayerView() = default;

    // Label7, the position.
    virtual void setPositionText(const QString& text) = 0;
    // Label6, the repeat segment.
    virtual void setSegmentText(const QString& text) = 0;
    // LblFileLst, the name of what is loaded.
    virtual void setListName(const QString& name) = 0;

    // ListBox1, the side panel: its lines (full paths), the highlighted line, the selected line
    // (-1 when none).
    virtual void setSideLines(const QStringList& lines) = 0;
    virtual void selectSideLine(int index) = 0;
    virtual int selectedSideLine() const = 0;

    // Timer2, which drives the playback tick.
    virtual void setTickEnabled(bool enabled) = 0;
    virtual bool tickEnabled() const = 0;

    // The first selected row of the file list ListView1, if any.
    virtual std::optional<FileRow> selectedFile() const = 0;
};

// "位置：<position>/<total>", both in milliseconds.
QString positionText(int positionMs, int totalMs);
// "起始点：<start>  结束点：<end>", both in milliseconds.
QString segmentText(int startMs, int endMs);

} // namespace ecolvar
